#include "ui/view/Legend.h"

#include "project/settings/CSettings.h"
#include "ui/view/RoadPainter.h"
#include "vehicles/CVehicleType.h"
#include "vehicles/CVehicleTypes.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>

namespace tarlo {

namespace {
constexpr double rowGap = 4.0;
constexpr double columnGap = 16.0;
} // namespace

Legend::Legend(const CSettings& settings, const CVehicleTypes* vehicleTypes)
    : m_Settings(settings) {
    const CSettings::View_Colours& c = settings.View.Colours;
    m_vEntries = {
        {Symbol::DetectorLine, settingsColour(c.CLR_DET_OUTPUT), "Output Detector"},
        {Symbol::DetectorLine, settingsColour(c.CLR_DET_FLOWDENSITY), "Flow-Density Detector"},
        {Symbol::DetectorLine, settingsColour(c.CLR_DET_HEADWAY), "Headway Detector"},
        {Symbol::DetectorLine, settingsColour(c.CLR_DET_COMPOSITION), "Composition Detector"},
        {Symbol::DetectorSegment, settingsColour(c.CLR_DET_ST_DENSITY), "Space-time Density"},
        {Symbol::DetectorSegment, settingsColour(c.CLR_DET_ST_SMS), "Space-time SMS"},
        {Symbol::DetectorSegment, laneChangeDetectorColour(settings), "Lane Change Detector"},
        {Symbol::DetectorSegment, settingsColour(c.CLR_DET_MACRO), "Macroscopic Detector"},
        {Symbol::DetectorSegment, settingsColour(c.CLR_DET_MICRO), "Microscopic Detector"},
        {Symbol::DetectorSegment, settingsColour(c.CLR_DET_OCCUPANCY), "Occupancy Detector"},
        {Symbol::FeatureBox, settingsColour(c.CLR_FEAT_SPEEDLIMIT), "Speed limit section"},
        {Symbol::FeatureBox, settingsColour(c.CLR_FEAT_GRADIENT), "Gradient section"},
        {Symbol::FeatureBox, settingsColour(c.CLR_FEAT_POLITE), "Politeness section"},
        {Symbol::FeatureBox, settingsColour(c.CLR_FEAT_BIAS), "Bias section"},
        {Symbol::FeatureBox, settingsColour(c.CLR_FEAT_LCBAN), "LC Ban section"},
        {Symbol::FeatureBox, settingsColour(c.CLR_FEAT_GAP), "Gap control section"},
        {Symbol::FeatureBox, settingsColour(c.CLR_FEAT_OBSTACLE), "Obstacle"},
    };
    if (!vehicleTypes)
        return;
    for (std::size_t i = 0; i < vehicleTypes->size(); ++i) {
        const CVehicleType* type = vehicleTypes->getType(i);
        if (type)
            m_vEntries.push_back({Symbol::VehicleBox, settingsColour(type->getColor()),
                                  QString::fromStdString(type->getName())});
    }
}

double Legend::symbolWidth() const {
    const CSettings::View_Legend& sizes = m_Settings.View.Legend;
    return std::max({sizes.DET_LINE_LENGTH, sizes.SEG_BOX_WIDTH, sizes.VEH_BOX_WIDTH}) * 1.0;
}

double Legend::rowHeight(const QFont& font) const {
    const CSettings::View_Legend& sizes = m_Settings.View.Legend;
    const double symbol = std::max({sizes.SEG_BOX_HEIGHT, sizes.VEH_BOX_HEIGHT}) * 1.0;
    return std::max(symbol, QFontMetricsF(font).height()) + rowGap;
}

double Legend::columnWidth(const QFont& font) const {
    const QFontMetricsF metrics(font);
    double text = 0.0;
    for (const Entry& entry : m_vEntries)
        text = std::max(text, metrics.horizontalAdvance(entry.name));
    return symbolWidth() + m_Settings.View.Legend.SYMBOL_TO_TEXT + text;
}

QSizeF Legend::size(const QFont& font, int rowsPerColumn) const {
    const int rows = std::min(rowsPerColumn, entryCount());
    const int columns = (entryCount() + rowsPerColumn - 1) / rowsPerColumn;
    return {columns * columnWidth(font) + (columns - 1) * columnGap, rows * rowHeight(font)};
}

void Legend::paint(QPainter& painter, QPointF topLeft, int rowsPerColumn) const {
    const double row = rowHeight(painter.font());
    const double column = columnWidth(painter.font()) + columnGap;
    const double textOffset = symbolWidth() + m_Settings.View.Legend.SYMBOL_TO_TEXT;
    for (int i = 0; i < entryCount(); ++i) {
        const Entry& entry = m_vEntries[static_cast<std::size_t>(i)];
        const QPointF cellTopLeft =
            topLeft + QPointF((i / rowsPerColumn) * column, (i % rowsPerColumn) * row);
        paintSymbol(painter, entry, QRectF(cellTopLeft, QSizeF(symbolWidth(), row)));
        painter.setPen(settingsColour(m_Settings.View.Colours.CLR_LEGEND_TEXT));
        painter.drawText(QRectF(cellTopLeft + QPointF(textOffset, 0.0), QSizeF(column, row)),
                         Qt::AlignLeft | Qt::AlignVCenter, entry.name);
    }
}

void Legend::paintSymbol(QPainter& painter, const Entry& entry, QRectF cell) const {
    const CSettings::View_Legend& sizes = m_Settings.View.Legend;
    const QPointF centre = cell.center();
    painter.setBrush(Qt::NoBrush);
    switch (entry.symbol) {
    case Symbol::DetectorLine: {
        painter.setPen(QPen(entry.colour, m_Settings.View.PEN_WIDE));
        const double half = sizes.SEG_BOX_HEIGHT / 2.0;
        const double left = cell.left() + (symbolWidth() - sizes.DET_LINE_LENGTH) / 2.0;
        painter.drawLine(QPointF(left, centre.y()),
                         QPointF(left + sizes.DET_LINE_LENGTH, centre.y()));
        painter.drawLine(QPointF(centre.x(), centre.y() - half),
                         QPointF(centre.x(), centre.y() + half));
        break;
    }
    case Symbol::DetectorSegment: {
        QRectF box(0.0, 0.0, sizes.SEG_BOX_WIDTH, sizes.SEG_BOX_HEIGHT);
        box.moveCenter(centre);
        painter.setPen(QPen(entry.colour, m_Settings.View.PEN_THIN));
        painter.drawRect(box);
        painter.setPen(QPen(entry.colour, m_Settings.View.PEN_WIDE));
        painter.drawLine(box.topLeft(), box.bottomLeft());
        painter.drawLine(box.topRight(), box.bottomRight());
        break;
    }
    case Symbol::FeatureBox:
    case Symbol::VehicleBox: {
        const bool vehicle = entry.symbol == Symbol::VehicleBox;
        QRectF box(0.0, 0.0, vehicle ? sizes.VEH_BOX_WIDTH : sizes.SEG_BOX_WIDTH,
                   vehicle ? sizes.VEH_BOX_HEIGHT : sizes.SEG_BOX_HEIGHT);
        box.moveCenter(centre);
        painter.setPen(
            QPen(settingsColour(m_Settings.View.Colours.CLR_ROAD_LINES), m_Settings.View.PEN_THIN));
        painter.setBrush(entry.colour);
        painter.drawRect(box);
        painter.setBrush(Qt::NoBrush);
        break;
    }
    }
}

} // namespace tarlo
