#include "ui/view/CTarloView.h"

#include "engine/Vehicle.h"
#include "platform/Host.h"
#include "project/CTarloDoc.h"
#include "ui/view/RoadPainter.h"
#include "ui/view/VehicleText.h"

#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>

#include <cmath>

namespace tarlo {

namespace {
constexpr double secondsPerDay = 86400.0;
constexpr QPointF clockOrigin{4.0, 2.0};
} // namespace

CTarloView::CTarloView(CTarloDoc& doc, const CSettings& settings, Host& host, QWidget* parent)
    : QAbstractScrollArea(parent), m_Doc(doc), m_Settings(settings), m_Host(host),
      m_Properties(settings) {
    horizontalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setSingleStep(20);
    updateScrollBars();
}

CTarloView::~CTarloView() = default;

QString CTarloView::clockText(double seconds) {
    const int days = static_cast<int>(seconds / secondsPerDay);
    double rest = seconds - days * secondsPerDay;
    const int hours = static_cast<int>(rest / 3600.0);
    rest -= hours * 3600.0;
    const int minutes = static_cast<int>(rest / 60.0);
    rest -= minutes * 60.0;
    return QString::asprintf("%d - %d:%02d:%05.2f", days, hours, minutes, rest);
}

RoadPainter CTarloView::painter() const {
    return RoadPainter(m_Doc, m_Settings, m_Properties, font());
}

QSize CTarloView::drawingSize() const {
    return painter().size().toSize();
}

bool CTarloView::isPaused() const {
    const RunControl& run = m_Doc.runControl();
    return run.canPause() && run.m_bPaused;
}

const LaneSnapshot* CTarloView::visibleLanes() const {
    // An invisible run shows no road; the view only draws a visible run's snapshot.
    const RunControl& run = m_Doc.runControl();
    if (run.m_bInvisibleRun)
        return nullptr;
    return &run.m_LaneSnapshot;
}

const Vehicle* CTarloView::selectedVehicle() const {
    const LaneSnapshot* lanes = visibleLanes();
    if (!isPaused() || !lanes || m_SelectedLane < 0 ||
        m_SelectedLane >= static_cast<int>(lanes->size()))
        return nullptr;
    for (const Vehicle* vehicle : (*lanes)[static_cast<std::size_t>(m_SelectedLane)])
        if (vehicle->vehicleNo == m_SelectedVehicleNo)
            return vehicle;
    return nullptr;
}

void CTarloView::refresh() {
    updateScrollBars();
    viewport()->update();
}

void CTarloView::updateScrollBars() {
    const QSize drawing = drawingSize();
    const QSize visible = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, drawing.width() - visible.width()));
    horizontalScrollBar()->setPageStep(visible.width());
    verticalScrollBar()->setRange(0, std::max(0, drawing.height() - visible.height()));
    verticalScrollBar()->setPageStep(visible.height());
}

void CTarloView::zoomIn() {
    zoomTo(m_Properties.m_Scale + m_Settings.View.ZOOM_STEP);
}

void CTarloView::zoomOut() {
    zoomTo(m_Properties.m_Scale - m_Settings.View.ZOOM_STEP);
}

void CTarloView::zoomTo(double scale) {
    const double minimum = m_Settings.View.MIN_VIEW_SCALE;
    if (scale <= minimum) {
        m_Host.showMessage(
            QString::asprintf("Cannot zoom out any further - minimum view scale is %f.", minimum)
                .toStdString(),
            MessageIcon::Exclamation);
        return;
    }
    const double halfWidth = viewport()->width() / 2.0;
    const double centre = painter().metresAt(horizontalScrollBar()->value() + halfWidth);
    m_Properties.m_Scale = scale;
    updateScrollBars();
    horizontalScrollBar()->setValue(static_cast<int>(std::lround(painter().x(centre) - halfWidth)));
    viewport()->update();
}

void CTarloView::render(QImage& image) {
    const RoadPainter road = painter();
    image = QImage(road.size().toSize(), QImage::Format_RGB32);
    QPainter target(&image);
    target.setFont(font());
    static const LaneSnapshot noLanes;
    const LaneSnapshot* lanes = visibleLanes();
    road.paint(target, lanes ? *lanes : noLanes, selectedVehicle());
    const RunControl& run = m_Doc.runControl();
    if (run.m_bRunning)
        RoadPainter::paintClock(target, clockOrigin, run.m_SimTime, run.m_ElapsedMs / 1000.0,
                                settingsColour(m_Settings.View.Colours.CLR_RULER_TEXT));
}

bool CTarloView::saveImage(const QString& path) {
    QImage image;
    render(image);
    const bool png = QFileInfo(path).suffix().compare("png", Qt::CaseInsensitive) == 0;
    const bool saved = image.save(path, png ? "PNG" : "BMP");
    if (saved)
        m_Host.showMessage("Image saved.", MessageIcon::Information);
    else
        m_Host.showMessage("Image saving failed.", MessageIcon::Exclamation);
    return saved;
}

void CTarloView::paintEvent(QPaintEvent*) {
    QPainter target(viewport());
    target.setFont(font());
    target.fillRect(viewport()->rect(), settingsColour(m_Settings.View.Colours.CLR_BACKGRND));
    target.translate(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
    static const LaneSnapshot noLanes;
    const LaneSnapshot* lanes = visibleLanes();
    painter().paint(target, lanes ? *lanes : noLanes, selectedVehicle());
    target.resetTransform();
    const RunControl& run = m_Doc.runControl();
    if (run.m_bRunning)
        RoadPainter::paintClock(target, clockOrigin, run.m_SimTime, run.m_ElapsedMs / 1000.0,
                                settingsColour(m_Settings.View.Colours.CLR_RULER_TEXT));
}

void CTarloView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void CTarloView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        selectVehicleAt(event->position().toPoint());
    QAbstractScrollArea::mousePressEvent(event);
}

void CTarloView::selectVehicleAt(QPoint viewPoint) {
    m_SelectedLane = -1;
    const LaneSnapshot* lanes = visibleLanes();
    if (!isPaused() || !lanes)
        return;
    const RoadPainter road = painter();
    const QPointF at(viewPoint.x() + horizontalScrollBar()->value(),
                     viewPoint.y() + verticalScrollBar()->value());
    const int lane = road.laneAt(at.y());
    if (lane < 0 || lane >= static_cast<int>(lanes->size()))
        return;
    for (const Vehicle* vehicle : (*lanes)[static_cast<std::size_t>(lane)]) {
        const QRectF box = road.vehicleRect(*vehicle, lane);
        if (at.x() < box.left() || at.x() > box.right())
            continue;
        m_SelectedLane = lane;
        m_SelectedVehicleNo = vehicle->vehicleNo;
        viewport()->update();
        const auto number = static_cast<int>(vehicle->vehicleNo);
        QToolTip::showText(viewport()->mapToGlobal(viewPoint),
                           QString::asprintf("Vehicle no. %d", number), viewport(), QRect(),
                           static_cast<int>(m_Settings.View.DATATIP_DELAY * 1000.0));
        m_Host.appendOutputLine(QString::asprintf("Selected vehicle no. %d", number).toStdString());
        emit vehicleSelected(vehiclePaneText(*vehicle));
        return;
    }
}

} // namespace tarlo
