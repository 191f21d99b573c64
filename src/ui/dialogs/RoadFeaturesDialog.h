#pragma once

#include "project/CRoadFeature.h"

#include <QDialog>

#include <vector>

class QTableWidget;

namespace tarlo {

class CTarloDoc;
class Host;

// "Road Features Configuration": one grid row per feature of a copy of the document's list,
// the type and vehicle-type cells chosen from their labels; OK replaces the document's list.
class RoadFeaturesDialog : public QDialog {
public:
    RoadFeaturesDialog(CTarloDoc& doc, Host& host, QWidget* parent = nullptr);

    void accept() override;
    QTableWidget* grid() const { return m_pGrid; }

    void addFeature();
    void deleteFeature();

private:
    void fillRow(int row, const CRoadFeature& feature);
    // The row's cells into the feature, whose other fields stay as they were.
    void readRow(int row, CRoadFeature& feature) const;
    void relabelRows();

    CTarloDoc& m_Doc;
    Host& m_Host;
    QTableWidget* m_pGrid;
    std::vector<CRoadFeature> m_vFeatures;
};

} // namespace tarlo
