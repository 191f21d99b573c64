#pragma once

#include "bridges/CInfLineDiscrete.h"
#include "ui/dialogs/PointListDialog.h"

#include <vector>

namespace tarlo {

class CTarloDoc;

// "Define Discrete Influence Line" over a copy of the document's influence lines; OK
// replaces the document's list.
class InfluenceLineDialog : public PointListDialog {
public:
    InfluenceLineDialog(CTarloDoc& doc, Host& host, QWidget* parent = nullptr);

    void accept() override;
    const std::vector<CInfLineDiscrete>& influenceLines() const { return m_vLines; }

private:
    int elementCount() const override { return static_cast<int>(m_vLines.size()); }
    QString elementDescription(int index) const override;
    std::vector<double> column(int index, int col) const override;
    void storeColumns(int index, std::vector<double> first, std::vector<double> second) override;
    void appendElement(const QString& description) override;
    void eraseElement(int index) override;

    CTarloDoc& m_Doc;
    std::vector<CInfLineDiscrete> m_vLines;
};

} // namespace tarlo
