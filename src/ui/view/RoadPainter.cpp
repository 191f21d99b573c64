#include "ui/view/RoadPainter.h"

#include "detectors/DetectorCodes.h"
#include "engine/Vehicle.h"
#include "project/CRoadFeature.h"
#include "project/ProjectFile.h"
#include "project/settings/CSettings.h"
#include "ui/view/CTarloView.h"
#include "ui/view/Legend.h"
#include "vehicles/CVehicleType.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace tarlo {

namespace {
// The clock lines take 2.2 text heights; a little more keeps them off the drawing below.
constexpr double clockBandLines = 2.6;
constexpr double lineSpacing = 1.2;
constexpr double labelGap = 4.0;
// Rows of the legend drawn in the view.
constexpr int legendRows = 6;
// A space-time or lane change detector with more lines than this is drawn by its ends.
constexpr int maxDetectorLines = 2000;
} // namespace

QColor settingsColour(std::uint32_t colour) {
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

QColor laneChangeDetectorColour(const CSettings& settings) {
    return settingsColour(settings.View.Colours.CLR_RULER_LINES);
}

QColor featureColour(const CSettings& settings, int featureType) {
    const CSettings::View_Colours& c = settings.View.Colours;
    switch (featureType) {
    case CRoadFeature::SpeedLimit:
        return settingsColour(c.CLR_FEAT_SPEEDLIMIT);
    case CRoadFeature::Gradient:
        return settingsColour(c.CLR_FEAT_GRADIENT);
    case CRoadFeature::Obstacle:
        return settingsColour(c.CLR_FEAT_OBSTACLE);
    case CRoadFeature::Politeness:
        return settingsColour(c.CLR_FEAT_POLITE);
    case CRoadFeature::Bias:
        return settingsColour(c.CLR_FEAT_BIAS);
    case CRoadFeature::LaneChangeBan:
        return settingsColour(c.CLR_FEAT_LCBAN);
    default:
        return settingsColour(c.CLR_FEAT_GAP);
    }
}

QColor detectorColour(const CSettings& settings, int detectorKind) {
    const CSettings::View_Colours& c = settings.View.Colours;
    switch (detectorKind) {
    case DETECTOR_FLOW_DENSITY:
        return settingsColour(c.CLR_DET_FLOWDENSITY);
    case DETECTOR_HEADWAY:
        return settingsColour(c.CLR_DET_HEADWAY);
    case DETECTOR_COMPOSITION:
        return settingsColour(c.CLR_DET_COMPOSITION);
    case DETECTOR_OUTPUT:
        return settingsColour(c.CLR_DET_OUTPUT);
    case DETECTOR_MACRO_SEGMENT:
        return settingsColour(c.CLR_DET_MACRO);
    case DETECTOR_MICRO_SEGMENT:
        return settingsColour(c.CLR_DET_MICRO);
    case DETECTOR_ST_DENSITY:
        return settingsColour(c.CLR_DET_ST_DENSITY);
    case DETECTOR_ST_SMS:
        return settingsColour(c.CLR_DET_ST_SMS);
    case DETECTOR_OCCUPANCY:
        return settingsColour(c.CLR_DET_OCCUPANCY);
    default:
        return laneChangeDetectorColour(settings);
    }
}

RoadPainter::RoadPainter(const ProjectFields& project, const CSettings& settings,
                         const ViewProperties& properties, const QFont& font)
    : m_Project(project), m_Settings(settings), m_Properties(properties), m_Font(font) {
    const double scale = properties.m_Scale;
    m_TextHeight = QFontMetricsF(font).height();
    m_ClockBand = clockBandLines * m_TextHeight;
    m_LaneHeight = properties.m_LaneWidth * scale * properties.m_WidthsScale;
    m_StripHeight = std::max(4.0, m_LaneHeight / 4.0);
    m_RoadTop = m_ClockBand + properties.m_BorderTop * scale + m_TextHeight + m_StripHeight;
    m_RoadBottom = m_RoadTop + std::max(0, project.m_NoLanes) * m_LaneHeight;
    m_RulerTop = m_RoadBottom + m_StripHeight + m_TextHeight + labelGap;
    const double tick = properties.m_TickLength * scale * properties.m_WidthsScale;
    m_LegendTop = m_RulerTop + tick + m_TextHeight + labelGap;
    m_Width = x(project.m_RoadLength) + properties.m_BorderRight * scale;
    m_Height = m_LegendTop + properties.m_BorderBottom * scale;
    if (properties.m_bShowLegend) {
        const QSizeF legend =
            Legend(settings, project.m_pVehicleTypes.get()).size(font, legendRows);
        m_Height += legend.height() + labelGap;
        m_Width = std::max(m_Width, x(0.0) + legend.width());
    }
}

double RoadPainter::x(double metres) const {
    return (m_Properties.m_BorderLeft + metres) * m_Properties.m_Scale;
}

double RoadPainter::metresAt(double drawingX) const {
    return drawingX / m_Properties.m_Scale - m_Properties.m_BorderLeft;
}

int RoadPainter::laneAt(double y) const {
    if (y < m_RoadTop || y >= m_RoadBottom)
        return -1;
    const int row = static_cast<int>((y - m_RoadTop) / m_LaneHeight);
    return m_Project.m_NoLanes - 1 - row;
}

QRectF RoadPainter::laneRect(int laneIndex) const {
    const int row = m_Project.m_NoLanes - 1 - laneIndex;
    return QRectF(x(0.0), m_RoadTop + row * m_LaneHeight, x(m_Project.m_RoadLength) - x(0.0),
                  m_LaneHeight);
}

QRectF RoadPainter::directionRect(bool positive) const {
    const int lanes = positive ? m_Project.m_NoLanesDirPos : m_Project.m_NoLanesDirNeg;
    const double top = positive ? m_RoadBottom - lanes * m_LaneHeight : m_RoadTop;
    return QRectF(x(0.0), top, x(m_Project.m_RoadLength) - x(0.0), lanes * m_LaneHeight);
}

QRectF RoadPainter::vehicleRect(const Vehicle& vehicle, int laneIndex) const {
    const QRectF lane = laneRect(laneIndex);
    const double length = vehicle.length * m_Properties.m_VehicleLengthScale;
    // The front leads in the direction of travel.
    const double front =
        vehicle.dirPositive ? vehicle.position : m_Project.m_RoadLength - vehicle.position;
    const double rear = vehicle.dirPositive ? front - length : front + length;
    const double width =
        m_Properties.m_VehicleWidth * m_Properties.m_Scale * m_Properties.m_WidthsScale;
    const double left = x(std::min(front, rear));
    return QRectF(left, lane.center().y() - width / 2.0, x(std::max(front, rear)) - left, width);
}

void RoadPainter::paint(QPainter& painter, const LaneSnapshot& lanes,
                        const Vehicle* highlighted) const {
    painter.setFont(m_Font);
    const CSettings::View_Colours& c = m_Settings.View.Colours;
    painter.fillRect(QRectF(QPointF(0.0, 0.0), size()), settingsColour(c.CLR_BACKGRND));
    painter.fillRect(
        QRectF(x(0.0), m_RoadTop, x(m_Project.m_RoadLength) - x(0.0), m_RoadBottom - m_RoadTop),
        settingsColour(c.CLR_ROAD_SURFACE));
    paintBridges(painter);
    paintFeatures(painter);
    paintLaneLines(painter);
    paintDetectors(painter);
    paintVehicles(painter, lanes, highlighted);
    paintLaneLabels(painter);
    paintRuler(painter);
    if (m_Properties.m_bShowLegend)
        Legend(m_Settings, m_Project.m_pVehicleTypes.get())
            .paint(painter, QPointF(x(0.0), m_LegendTop), legendRows);
}

void RoadPainter::paintBridges(QPainter& painter) const {
    const QColor surface = settingsColour(m_Settings.View.Colours.CLR_BRIDGE_SURFACE);
    for (const CBridge& bridge : m_Project.m_vBridges) {
        const double left = x(bridge.GetStart());
        painter.fillRect(
            QRectF(left, m_RoadTop, x(bridge.GetEnd()) - left, m_RoadBottom - m_RoadTop), surface);
    }
}

namespace {
QString featureLabel(const CRoadFeature& feature) {
    switch (feature.getType()) {
    case CRoadFeature::SpeedLimit:
        return QString::asprintf("%d km/h", static_cast<int>(feature.getValue()));
    case CRoadFeature::Gradient:
        return QString::asprintf("%d%%", static_cast<int>(feature.getValue()));
    case CRoadFeature::Politeness:
    case CRoadFeature::Bias:
        return QString::asprintf("%.2f", feature.getValue());
    case CRoadFeature::GapControl:
        return QString::asprintf("%.1f m", feature.getValue());
    default:
        return {};
    }
}
} // namespace

void RoadPainter::paintFeatures(QPainter& painter) const {
    painter.setPen(settingsColour(m_Settings.View.Colours.CLR_RULER_TEXT));
    for (const CRoadFeature& feature : m_Project.m_vRoadFeatures) {
        const bool positive = feature.getDirPos();
        const double left = x(feature.getStart());
        const double width = x(feature.getEnd()) - left;
        const double stripTop = positive ? m_RoadBottom : m_RoadTop - m_StripHeight;
        painter.fillRect(QRectF(left, stripTop, width, m_StripHeight),
                         featureColour(m_Settings, feature.getType()));
        const double labelTop = positive ? stripTop + m_StripHeight : stripTop - m_TextHeight;
        const QString label = featureLabel(feature);
        if (!label.isEmpty())
            painter.drawText(QRectF(left, labelTop, width, m_TextHeight),
                             Qt::AlignCenter | Qt::TextDontClip, label);
    }
}

void RoadPainter::paintLaneLines(QPainter& painter) const {
    const QColor colour = settingsColour(m_Settings.View.Colours.CLR_ROAD_LINES);
    const double left = x(0.0);
    const double right = x(m_Project.m_RoadLength);
    painter.setPen(QPen(colour, m_Settings.View.PEN_THIN));
    for (int row = 1; row < m_Project.m_NoLanes; ++row) {
        const double y = m_RoadTop + row * m_LaneHeight;
        painter.drawLine(QPointF(left, y), QPointF(right, y));
    }
    // The road edges and the line between the directions.
    painter.setPen(QPen(colour, m_Settings.View.PEN_WIDE));
    painter.drawLine(QPointF(left, m_RoadTop), QPointF(right, m_RoadTop));
    painter.drawLine(QPointF(left, m_RoadBottom), QPointF(right, m_RoadBottom));
    if (m_Project.m_NoLanesDirPos > 0 && m_Project.m_NoLanesDirNeg > 0) {
        const double median = directionRect(true).top();
        painter.drawLine(QPointF(left, median), QPointF(right, median));
    }
}

void RoadPainter::paintDetectors(QPainter& painter) const {
    const double wide = m_Settings.View.PEN_WIDE;
    const double thin = m_Settings.View.PEN_THIN;
    for (const CStatDetector& detector : m_Project.m_vStatDetectors) {
        const QRectF band = directionRect(detector.getDirPos());
        const QColor colour = detectorColour(m_Settings, detector.getDetectorName());
        const auto line = [&](double metres, double width) {
            painter.setPen(QPen(colour, width));
            painter.drawLine(QPointF(x(metres), band.top()), QPointF(x(metres), band.bottom()));
        };
        const auto lines = [&](double from, double step, double to) {
            if (step < 1.0 || (to - from) / step > maxDetectorLines)
                return;
            for (double at = from + step; at < to; at += step)
                line(at, thin);
        };
        const double a = detector.getParamA();
        const double b = detector.getParamB();
        const double c = detector.getParamC();
        switch (detector.getDetectorType()) {
        case DETECTOR_SEGMENT:
            painter.setPen(QPen(colour, thin));
            painter.drawLine(QPointF(x(a), band.center().y()), QPointF(x(b), band.center().y()));
            line(a, wide);
            line(b, wide);
            break;
        case DETECTOR_ARRAY:
            lines(a, b, c);
            line(a, wide);
            line(c, wide);
            break;
        case DETECTOR_LANE_CHANGE:
            // The detector watches the whole direction in bins of the given width.
            lines(0.0, a, m_Project.m_RoadLength);
            line(0.0, wide);
            line(m_Project.m_RoadLength, wide);
            break;
        default:
            line(a, wide);
            break;
        }
    }
}

void RoadPainter::paintVehicles(QPainter& painter, const LaneSnapshot& lanes,
                                const Vehicle* highlighted) const {
    const CSettings::View_Colours& c = m_Settings.View.Colours;
    const int laneCount = std::min(static_cast<int>(lanes.size()), m_Project.m_NoLanes);
    for (int laneIndex = 0; laneIndex < laneCount; ++laneIndex) {
        for (const Vehicle* vehicle : lanes[static_cast<std::size_t>(laneIndex)]) {
            QColor fill = vehicle->type ? settingsColour(vehicle->type->getColor())
                                        : settingsColour(c.CLR_FEAT_OBSTACLE);
            if (vehicle == highlighted)
                fill = settingsColour(c.CLR_VEH_HIGHLIGHT);
            const QRectF box = vehicleRect(*vehicle, laneIndex);
            painter.fillRect(box, fill);
            if (m_Properties.m_bShowVelocities && !vehicle->isObstacle())
                paintSpeed(painter, box, QString::asprintf("%3.1f", vehicle->speed));
        }
    }
}

void RoadPainter::paintSpeed(QPainter& painter, QRectF box, const QString& speed) const {
    // The speed is often wider than its vehicle: a rim of road surface keeps it readable on
    // the vehicle and beside it alike.
    const QFontMetricsF metrics(m_Font);
    const QPointF baseline(box.center().x() - metrics.horizontalAdvance(speed) / 2.0,
                           box.center().y() + (metrics.ascent() - metrics.descent()) / 2.0);
    QPainterPath text;
    text.addText(baseline, m_Font, speed);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.strokePath(text, QPen(settingsColour(m_Settings.View.Colours.CLR_ROAD_SURFACE), 3.0));
    painter.fillPath(text, settingsColour(m_Settings.View.Colours.CLR_RULER_TEXT));
    painter.restore();
}

void RoadPainter::paintLaneLabels(QPainter& painter) const {
    painter.setPen(settingsColour(m_Settings.View.Colours.CLR_RULER_TEXT));
    const double left = x(m_Project.m_RoadLength) + labelGap;
    for (int lane = 0; lane < m_Project.m_NoLanes; ++lane) {
        const QRectF band = laneRect(lane);
        painter.drawText(QRectF(left, band.top(), m_Width, band.height()),
                         Qt::AlignLeft | Qt::AlignVCenter, QString::asprintf("Lane %d", lane + 1));
    }
}

void RoadPainter::paintRuler(QPainter& painter) const {
    const CSettings::View_Colours& c = m_Settings.View.Colours;
    const double tick =
        m_Properties.m_TickLength * m_Properties.m_Scale * m_Properties.m_WidthsScale;
    painter.setPen(QPen(settingsColour(c.CLR_RULER_LINES), m_Settings.View.PEN_THIN));
    painter.drawLine(QPointF(x(0.0), m_RulerTop), QPointF(x(m_Project.m_RoadLength), m_RulerTop));
    const int interval = m_Properties.m_TickInterval;
    if (interval < 1)
        return;
    const QFontMetricsF metrics(m_Font);
    for (int metres = 0; metres <= m_Project.m_RoadLength; metres += interval) {
        painter.setPen(QPen(settingsColour(c.CLR_RULER_LINES), m_Settings.View.PEN_THIN));
        painter.drawLine(QPointF(x(metres), m_RulerTop), QPointF(x(metres), m_RulerTop + tick));
        const QString label = QString::asprintf("%d m", metres);
        const double width = metrics.horizontalAdvance(label);
        painter.setPen(settingsColour(c.CLR_RULER_TEXT));
        painter.drawText(QRectF(x(metres) - width / 2.0, m_RulerTop + tick, width, m_TextHeight),
                         Qt::AlignCenter | Qt::TextDontClip, label);
    }
}

void RoadPainter::paintClock(QPainter& painter, QPointF topLeft, double simSeconds,
                             double realSeconds, QColor colour) {
    const double height = QFontMetricsF(painter.font()).height();
    painter.setPen(colour);
    painter.drawText(QRectF(topLeft, QSizeF(1000.0, height)), Qt::AlignLeft | Qt::AlignTop,
                     "Sim. Time - Day: " + CTarloView::clockText(simSeconds));
    painter.drawText(QRectF(topLeft + QPointF(0.0, lineSpacing * height), QSizeF(1000.0, height)),
                     Qt::AlignLeft | Qt::AlignTop,
                     "Real Time - Day: " + CTarloView::clockText(realSeconds));
}

} // namespace tarlo
