#pragma once

#include "engine/Road.h"

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QSizeF>

#include <cstdint>

class QPainter;

namespace tarlo {

class CSettings;
struct ProjectFields;
class Vehicle;
class ViewProperties;

// A colour of the settings or of a vehicle type: R + 256·G + 65536·B.
QColor settingsColour(std::uint32_t colour);
// The settings give the lane change detector no colour of its own: it takes the ruler's.
QColor laneChangeDetectorColour(const CSettings& settings);
// The colour of a road feature type or a detector kind.
QColor featureColour(const CSettings& settings, int featureType);
QColor detectorColour(const CSettings& settings, int detectorKind);

// The geometry and drawing of the road view in drawing coordinates (pixels from the top left
// of the whole drawing). The road runs left to right; the lanes are stacked from the bottom in
// road lane order, so the positive direction lies below the negative one. Above the road sit
// the negative direction's feature regions, below it the positive direction's, then the ruler
// and, with "Show legend", the legend.
class RoadPainter {
public:
    RoadPainter(const ProjectFields& project, const CSettings& settings,
                const ViewProperties& properties, const QFont& font);

    QSizeF size() const { return {m_Width, m_Height}; }
    // Drawing x of a global position along the road, and back.
    double x(double metres) const;
    double metresAt(double x) const;
    // The road lane index (0-based) whose band holds the drawing y; -1 when none does.
    int laneAt(double y) const;
    QRectF laneRect(int laneIndex) const;
    // The box of a vehicle of the snapshot lane.
    QRectF vehicleRect(const Vehicle& vehicle, int laneIndex) const;
    // The band where the view writes the clock lines, at the top left.
    double clockBandHeight() const { return m_ClockBand; }

    // Everything but the clock: the legend only with "Show legend". A vehicle equal to the
    // highlighted one is drawn in the highlight colour.
    void paint(QPainter& painter, const LaneSnapshot& lanes,
               const Vehicle* highlighted = nullptr) const;
    // The two clock lines with their top left at the given point.
    static void paintClock(QPainter& painter, QPointF topLeft, double simSeconds,
                           double realSeconds, QColor colour);

private:
    QRectF directionRect(bool positive) const;
    void paintBridges(QPainter& painter) const;
    void paintFeatures(QPainter& painter) const;
    void paintLaneLines(QPainter& painter) const;
    void paintDetectors(QPainter& painter) const;
    void paintVehicles(QPainter& painter, const LaneSnapshot& lanes,
                       const Vehicle* highlighted) const;
    void paintSpeed(QPainter& painter, QRectF box, const QString& speed) const;
    void paintLaneLabels(QPainter& painter) const;
    void paintRuler(QPainter& painter) const;

    const ProjectFields& m_Project;
    const CSettings& m_Settings;
    const ViewProperties& m_Properties;
    QFont m_Font;
    double m_TextHeight;
    double m_ClockBand;
    double m_LaneHeight;
    double m_StripHeight;
    double m_RoadTop;
    double m_RoadBottom;
    double m_RulerTop;
    double m_LegendTop;
    double m_Width;
    double m_Height;
};

} // namespace tarlo
