#pragma once

#include "engine/Road.h"
#include "project/settings/CSettings.h"
#include "ui/view/ViewProperties.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <QString>

namespace tarlo {

class CTarloDoc;
class Host;
class RoadPainter;
class Vehicle;

// The road view, the client area of a project's child window: the road, its elements and
// the vehicles of the last step, scrolled along the road.
class CTarloView : public QAbstractScrollArea {
    Q_OBJECT
public:
    CTarloView(CTarloDoc& doc, const CSettings& settings, Host& host, QWidget* parent = nullptr);
    ~CTarloView() override;

    CTarloDoc& document() { return m_Doc; }
    // The "Window Properties": scales, dimensions, options and borders.
    ViewProperties& properties() { return m_Properties; }

    // Redraws from the document and its lane snapshot.
    void refresh();
    // Changes the overall scale by the zoom step, keeping the road point at the centre.
    void zoomIn();
    void zoomOut();
    // A ".png" path is written as PNG, any other as BMP; reports the outcome through the host.
    bool saveImage(const QString& path);
    // Draws the whole road view, the clock and the legend into the image, sized to fit.
    void render(QImage& image);
    // The road drawing's size in pixels at the current scales.
    QSize drawingSize() const;

    // "%d - %d:%02d:%05.2f": days, hours, minutes and seconds with hundredths.
    static QString clockText(double seconds);

signals:
    // The text of the "Vehicle" pane for the vehicle just selected (CR LF lines).
    void vehicleSelected(const QString& paneText);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    RoadPainter painter() const;
    bool isPaused() const;
    // The lane snapshot while the user-interface thread may read it.
    const LaneSnapshot* visibleLanes() const;
    const Vehicle* selectedVehicle() const;
    void zoomTo(double scale);
    void updateScrollBars();
    void selectVehicleAt(QPoint viewPoint);

    CTarloDoc& m_Doc;
    // The view keeps the settings it was created with.
    const CSettings m_Settings;
    Host& m_Host;
    ViewProperties m_Properties;
    // The vehicle picked while paused, by its lane and number.
    int m_SelectedLane = -1;
    unsigned m_SelectedVehicleNo = 0;
};

} // namespace tarlo
