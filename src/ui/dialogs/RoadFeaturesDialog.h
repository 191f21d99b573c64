#pragma once

#include "project/CRoadFeature.h"

#include "ui/dialogs/ElementListDialog.h"

#include <vector>

namespace tarlo {

class CTarloDoc;
class Host;

// "Road Features Configuration": one grid row per feature of a copy of the document's list,
// the type and vehicle-type cells chosen from their labels; OK replaces the document's list.
class RoadFeaturesDialog : public ElementListDialog {
public:
    RoadFeaturesDialog(CTarloDoc& doc, Host& host, QWidget* parent = nullptr);

    void accept() override;

    void addFeature();
    void deleteFeature();

private:
    void fillRow(int row, const CRoadFeature& feature);
    // The row's cells into the feature, whose other fields stay as they were.
    void readRow(int row, CRoadFeature& feature) const;

    CTarloDoc& m_Doc;
    Host& m_Host;
    std::vector<CRoadFeature> m_vFeatures;
};

} // namespace tarlo
