#pragma once

#include "ui/dialogs/PointListDialog.h"
#include "vehicles/CDiscreteDist.h"

#include <optional>
#include <string>
#include <vector>

namespace tarlo {

class CTarloDoc;

// "Define Discrete Distribution" over a copy of the document's distributions; OK tests each
// in turn and keeps the dialog open on the first fault, or replaces the document's list.
class DiscreteDistributionDialog : public PointListDialog {
public:
    DiscreteDistributionDialog(CTarloDoc& doc, Host& host, QWidget* parent = nullptr);

    void accept() override;
    const std::vector<CDiscreteDist>& distributions() const { return m_vDists; }

    // The first fault of the distribution of the number, with its 1-based row; none when
    // it may be used.
    static std::optional<std::string> firstFault(int number, const CDiscreteDist& dist);

private:
    int elementCount() const override { return static_cast<int>(m_vDists.size()); }
    QString elementDescription(int index) const override;
    std::vector<double> column(int index, int col) const override;
    void storeColumns(int index, std::vector<double> first, std::vector<double> second) override;
    void appendElement(const QString& description) override;
    void eraseElement(int index) override;

    CTarloDoc& m_Doc;
    std::vector<CDiscreteDist> m_vDists;
};

} // namespace tarlo
