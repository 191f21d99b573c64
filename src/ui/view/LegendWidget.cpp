#include "ui/view/LegendWidget.h"

#include "project/CTarloDoc.h"
#include "project/settings/CSettings.h"
#include "ui/view/Legend.h"
#include "ui/view/RoadPainter.h"

#include <QPainter>

namespace tarlo {

namespace {
constexpr int margin = 6;
// The pane lists the entries in one column.
constexpr int oneColumn = 1000;
const char* const noDocumentText = "The legend can only be shown when a file is open.";
} // namespace

LegendWidget::LegendWidget(const CSettings& settings, QWidget* parent)
    : QWidget(parent), m_Settings(settings) {
    setAutoFillBackground(false);
}

void LegendWidget::setDocument(CTarloDoc* doc) {
    m_pDoc = doc;
    updateGeometry();
    update();
}

QSize LegendWidget::sizeHint() const {
    if (!m_pDoc)
        return fontMetrics().size(0, noDocumentText) + QSize(2 * margin, 2 * margin);
    const QSizeF legend = Legend(m_Settings, m_pDoc->m_pVehicleTypes.get()).size(font(), oneColumn);
    return legend.toSize() + QSize(2 * margin, 2 * margin);
}

void LegendWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setFont(font());
    painter.fillRect(rect(), settingsColour(m_Settings.View.Colours.CLR_BACKGRND));
    if (!m_pDoc) {
        painter.setPen(settingsColour(m_Settings.View.Colours.CLR_LEGEND_TEXT));
        painter.drawText(rect().adjusted(margin, margin, -margin, -margin),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, noDocumentText);
        return;
    }
    Legend(m_Settings, m_pDoc->m_pVehicleTypes.get())
        .paint(painter, QPointF(margin, margin), oneColumn);
}

} // namespace tarlo
