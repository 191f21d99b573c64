#include "ui/dialogs/InfluenceLineDialog.h"

#include "project/CTarloDoc.h"

#include <algorithm>

namespace tarlo {

InfluenceLineDialog::InfluenceLineDialog(CTarloDoc& doc, Host& host, QWidget* parent)
    : PointListDialog({"Define Discrete Influence Line",
                       {"Distance (m)", "Influence Ordinate"},
                       "New Discrete IL",
                       "No influence line to add row to.",
                       "No influence line to delete."},
                      host, parent),
      m_Doc(doc), m_vLines(doc.m_vInfLines) {
    populate();
}

void InfluenceLineDialog::accept() {
    m_Doc.replaceInfLines(m_vLines);
    PointListDialog::accept();
}

QString InfluenceLineDialog::elementDescription(int index) const {
    return QString::fromStdString(m_vLines[static_cast<std::size_t>(index)].getDescription());
}

std::vector<double> InfluenceLineDialog::column(int index, int col) const {
    const CInfLineDiscrete& line = m_vLines[static_cast<std::size_t>(index)];
    return col == 0 ? line.GetDistances() : line.GetOrdinates();
}

void InfluenceLineDialog::storeColumns(int index, std::vector<double> first,
                                       std::vector<double> second) {
    // A point needs both its numbers: a row filled in one column only is left out.
    const std::size_t points = std::min(first.size(), second.size());
    first.resize(points);
    second.resize(points);
    m_vLines[static_cast<std::size_t>(index)].SetPoints(std::move(first), std::move(second));
}

void InfluenceLineDialog::appendElement(const QString& description) {
    const int number = static_cast<int>(m_vLines.size()) + 1;
    m_vLines.emplace_back(number, description.toStdString());
}

void InfluenceLineDialog::eraseElement(int index) {
    m_vLines.erase(m_vLines.begin() + index);
}

} // namespace tarlo
