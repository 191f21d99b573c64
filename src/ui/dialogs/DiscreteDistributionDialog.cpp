#include "ui/dialogs/DiscreteDistributionDialog.h"

#include "platform/Host.h"
#include "project/CTarloDoc.h"

#include <algorithm>

namespace tarlo {

DiscreteDistributionDialog::DiscreteDistributionDialog(CTarloDoc& doc, Host& host, QWidget* parent)
    : PointListDialog({"Define Discrete Distribution",
                       {"Data Value", "Probability Mass"},
                       "New Discrete Dist",
                       "No distribution to add row to.",
                       "No distribution to delete."},
                      host, parent),
      m_Doc(doc), m_vDists(doc.m_vDiscreteDists) {
    populate();
}

std::optional<std::string> DiscreteDistributionDialog::firstFault(int number,
                                                                  const CDiscreteDist& dist) {
    const std::string prefix = "Distribution " + std::to_string(number) + ": ";
    const auto atRow = [&prefix](const char* text, std::size_t row) {
        return prefix + text + " at row " + std::to_string(row + 1) + '.';
    };
    const std::vector<double>& data = dist.getData();
    const std::vector<double>& pmf = dist.getPMF();
    if (data.size() != pmf.size())
        return prefix + "Data and PMF different lengths.";
    for (std::size_t row = 0; row < data.size(); ++row)
        if (data[row] == 0.0 && pmf[row] == 0.0)
            return atRow("Data and PMF zero", row);
    for (std::size_t row = 0; row < pmf.size(); ++row)
        if (!(pmf[row] > 0.0 && pmf[row] <= 1.0))
            return atRow("PMF <= 0 or > 1.0", row);
    for (std::size_t row = 0; row < data.size(); ++row)
        if (data[row] < 0.0)
            return atRow("Data < 0", row);
    double previous = 0.0;
    for (std::size_t row = 0; row < data.size(); ++row) {
        if (!(data[row] > previous))
            return atRow("Data must be positive, or \nnot in ascending order", row);
        previous = data[row];
    }
    double sum = 0.0;
    for (double mass : pmf)
        sum += mass;
    if (!(sum <= 1.000001 && sum >= 0.999999))
        return prefix + "PMF does not sum to 1.0.";
    return std::nullopt;
}

void DiscreteDistributionDialog::accept() {
    for (std::size_t i = 0; i < m_vDists.size(); ++i) {
        if (const auto fault = firstFault(static_cast<int>(i) + 1, m_vDists[i])) {
            m_Host.showMessage(*fault, MessageIcon::Exclamation);
            return;
        }
    }
    m_Doc.replaceDiscreteDists(m_vDists);
    PointListDialog::accept();
}

QString DiscreteDistributionDialog::elementDescription(int index) const {
    return QString::fromStdString(m_vDists[static_cast<std::size_t>(index)].getDescription());
}

std::vector<double> DiscreteDistributionDialog::column(int index, int col) const {
    const CDiscreteDist& dist = m_vDists[static_cast<std::size_t>(index)];
    return col == 0 ? dist.getData() : dist.getPMF();
}

void DiscreteDistributionDialog::storeColumns(int index, std::vector<double> first,
                                              std::vector<double> second) {
    CDiscreteDist& dist = m_vDists[static_cast<std::size_t>(index)];
    dist.setData(std::move(first));
    dist.setPMF(std::move(second));
}

void DiscreteDistributionDialog::appendElement(const QString& description) {
    const int number = static_cast<int>(m_vDists.size()) + 1;
    m_vDists.emplace_back(number, description.toStdString());
}

void DiscreteDistributionDialog::eraseElement(int index) {
    m_vDists.erase(m_vDists.begin() + index);
}

} // namespace tarlo
