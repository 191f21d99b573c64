#include "engine/Vehicle.h"
#include "project/CTarloDoc.h"
#include "project/settings/CSettings.h"
#include "support/RecordingHost.h"
#include "support/TrafficFixture.h"
#include "ui/UiFixture.h"
#include "ui/view/CTarloView.h"
#include "ui/view/RoadPainter.h"
#include "vehicles/CVehicleType.h"

#include <QScrollBar>
#include <QtTest>

#include <filesystem>
#include <memory>

namespace tarlo::test {

// The road view of a new project (3000 m, two lanes in the positive direction and one in the
// negative) drawing a lane snapshot the test builds.
class RoadViewTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void vehiclesAreDrawnInTheirTypeColourWhereTheyAre();
    void vehicleLengthAndWidthFollowTheScales();
    void velocitiesAreWrittenOnlyWhenShown();
    void bridgesFeaturesAndDetectorsTakeTheirSettingsColours();
    void clockText_data();
    void clockText();
    void clockIsDrawnOnlyDuringARun();
    void zoomOutAtTheMinimumIsRefused();
    void zoomKeepsTheCentrePoint();
    void scrollingReachesTheRoadEnd();
    void saveImageWritesBmpOrPngByExtension();
    void saveImageReportsAFailure();
    void legendIsDrawnWithShowLegend();
    void exampleProjectDuringAVisibleRun();

private:
    Vehicle& addVehicle(int laneIndex, bool positive, double position, std::size_t typeIndex);
    QColor typeColour(std::size_t typeIndex) const;
    QColor pixelAt(const QImage& image, QPointF point) const;
    RoadPainter painter() const;

    std::unique_ptr<CSettings> m_pSettings;
    std::unique_ptr<RecordingHost> m_pHost;
    std::unique_ptr<CTarloDoc> m_pDoc;
    std::unique_ptr<CTarloView> m_pView;
    std::vector<std::unique_ptr<Vehicle>> m_vVehicles;
};

void RoadViewTest::init() {
    m_pSettings = std::make_unique<CSettings>();
    m_pHost = std::make_unique<RecordingHost>();
    m_pDoc = std::make_unique<CTarloDoc>(*m_pSettings, *m_pHost);
    m_pDoc->newProject();
    m_pView = std::make_unique<CTarloView>(*m_pDoc, *m_pSettings, *m_pHost);
    m_pView->resize(800, 400);
    m_pDoc->runControl().m_LaneSnapshot.assign(3, {});
}

void RoadViewTest::cleanup() {
    m_pDoc->runControl().m_LaneSnapshot.clear();
    m_pDoc->runControl().m_bRunning = false;
    m_pView.reset();
    m_pDoc.reset();
    m_vVehicles.clear();
}

Vehicle& RoadViewTest::addVehicle(int laneIndex, bool positive, double position,
                                  std::size_t typeIndex) {
    auto vehicle = std::make_unique<Vehicle>(*m_pSettings);
    vehicle->dirPositive = positive;
    vehicle->lane = laneIndex + 1;
    vehicle->position = position;
    vehicle->length = 10.0;
    vehicle->speed = 25.0;
    vehicle->vehicleNo = static_cast<unsigned>(m_vVehicles.size() + 1);
    vehicle->type = m_pDoc->m_pVehicleTypes->getType(typeIndex);
    m_pDoc->runControl().m_LaneSnapshot[static_cast<std::size_t>(laneIndex)].push_back(
        vehicle.get());
    m_vVehicles.push_back(std::move(vehicle));
    return *m_vVehicles.back();
}

QColor RoadViewTest::typeColour(std::size_t typeIndex) const {
    return settingsColour(m_pDoc->m_pVehicleTypes->getType(typeIndex)->getColor());
}

QColor RoadViewTest::pixelAt(const QImage& image, QPointF point) const {
    return image.pixelColor(point.toPoint());
}

RoadPainter RoadViewTest::painter() const {
    return RoadPainter(*m_pDoc, *m_pSettings, m_pView->properties(), m_pView->font());
}

void RoadViewTest::vehiclesAreDrawnInTheirTypeColourWhereTheyAre() {
    m_pView->properties().m_bShowVelocities = false;
    const Vehicle& car = addVehicle(0, true, 1500.0, 0);
    const Vehicle& truck = addVehicle(2, false, 1000.0, 2);
    QImage image;
    m_pView->render(image);
    saveForLooking(image, "road-two-vehicles");

    const RoadPainter road = painter();
    const QColor surface = settingsColour(m_pSettings->View.Colours.CLR_ROAD_SURFACE);
    const QRectF lane0 = road.laneRect(0);
    const QRectF lane2 = road.laneRect(2);
    // The positive lane's car has its front at 1500 m and runs towards larger x.
    QCOMPARE(pixelAt(image, {road.x(1500.0) - 2.0, lane0.center().y()}), typeColour(0));
    QCOMPARE(pixelAt(image, {road.x(1500.0) + 3.0, lane0.center().y()}), surface);
    QCOMPARE(pixelAt(image, {road.x(1480.0) + 2.0, lane0.center().y()}), typeColour(0));
    QCOMPARE(pixelAt(image, {road.x(1480.0) - 3.0, lane0.center().y()}), surface);
    // The negative lane's truck: 1000 m along its own direction is 2000 m of the road.
    QCOMPARE(pixelAt(image, {road.x(2000.0) + 2.0, lane2.center().y()}), typeColour(2));
    QCOMPARE(pixelAt(image, {road.x(2000.0) - 3.0, lane2.center().y()}), surface);
    QCOMPARE(pixelAt(image, {road.x(1000.0), lane2.center().y()}), surface);
    // Nothing is drawn in the empty middle lane.
    QCOMPARE(pixelAt(image, {road.x(1500.0) - 2.0, road.laneRect(1).center().y()}), surface);
    QCOMPARE(pixelAt(image, {road.x(2000.0) + 2.0, road.laneRect(1).center().y()}), surface);
    QVERIFY(road.vehicleRect(car, 0).intersects(lane0));
    QVERIFY(road.vehicleRect(truck, 2).intersects(lane2));
}

void RoadViewTest::vehicleLengthAndWidthFollowTheScales() {
    ViewProperties& properties = m_pView->properties();
    properties.m_Scale = 2.0;
    properties.m_VehicleLengthScale = 3.0;
    properties.m_WidthsScale = 5.0;
    properties.m_VehicleWidth = 2.0;
    const Vehicle& car = addVehicle(1, true, 100.0, 0);
    const QRectF box = painter().vehicleRect(car, 1);
    QCOMPARE(box.width(), 10.0 * 3.0 * 2.0);
    QCOMPARE(box.height(), 2.0 * 2.0 * 5.0);
    QCOMPARE(box.right(), painter().x(100.0));
    QCOMPARE(box.center().y(), painter().laneRect(1).center().y());
}

void RoadViewTest::velocitiesAreWrittenOnlyWhenShown() {
    const Vehicle& car = addVehicle(0, true, 1500.0, 0);
    // The speed may be wider than the box: look along the lane on both sides of it.
    const QRect around = painter().vehicleRect(car, 0).toRect().adjusted(-20, 0, 20, 0);
    const QColor surface = settingsColour(m_pSettings->View.Colours.CLR_ROAD_SURFACE);
    const auto otherPixels = [&](const QImage& image) {
        int count = 0;
        for (int y = around.top(); y <= around.bottom(); ++y)
            for (int x = around.left(); x <= around.right(); ++x) {
                const QColor pixel = image.pixelColor(x, y);
                count += pixel != typeColour(0) && pixel != surface;
            }
        return count;
    };
    QImage withText;
    m_pView->render(withText);
    saveForLooking(withText.copy(around.adjusted(-20, -40, 20, 40)), "vehicle-with-speed");
    m_pView->properties().m_bShowVelocities = false;
    QImage withoutText;
    m_pView->render(withoutText);
    QVERIFY(otherPixels(withText) > 10);
    QCOMPARE(otherPixels(withoutText), 0);
}

void RoadViewTest::bridgesFeaturesAndDetectorsTakeTheirSettingsColours() {
    CSettings::View_Colours& colours = m_pSettings->View.Colours;
    colours.CLR_BRIDGE_SURFACE = CSettings::rgb(10, 20, 30);
    colours.CLR_DET_FLOWDENSITY = CSettings::rgb(200, 0, 100);
    colours.CLR_FEAT_SPEEDLIMIT = CSettings::rgb(0, 90, 200);
    CBridge& bridge = m_pDoc->addBridge();
    bridge.SetStart(2000.0);
    bridge.SetEnd(2500.0);
    m_pView = std::make_unique<CTarloView>(*m_pDoc, *m_pSettings, *m_pHost);
    QImage image;
    m_pView->render(image);
    saveForLooking(image, "road-new-project-with-bridge");

    const RoadPainter road = painter();
    // The new project's detector stands at 1000 m of the positive direction, its speed
    // limit covers 0 to 1000 m of it.
    QCOMPARE(pixelAt(image, {road.x(1000.0), road.laneRect(0).center().y()}),
             settingsColour(colours.CLR_DET_FLOWDENSITY));
    QCOMPARE(pixelAt(image, {road.x(1000.0), road.laneRect(2).center().y()}),
             settingsColour(colours.CLR_ROAD_SURFACE));
    QCOMPARE(pixelAt(image, {road.x(2250.0), road.laneRect(1).center().y()}),
             settingsColour(colours.CLR_BRIDGE_SURFACE));
    QCOMPARE(pixelAt(image, {road.x(500.0), road.laneRect(0).bottom() + 3.0}),
             settingsColour(colours.CLR_FEAT_SPEEDLIMIT));
    QCOMPARE(pixelAt(image, {road.x(1500.0), road.laneRect(0).bottom() + 3.0}),
             settingsColour(colours.CLR_BACKGRND));
}

void RoadViewTest::clockText_data() {
    QTest::addColumn<double>("seconds");
    QTest::addColumn<QString>("text");
    QTest::newRow("start") << 0.0 << "0 - 0:00:00.00";
    QTest::newRow("day, hour, minute and seconds") << 90061.5 << "1 - 1:01:01.50";
    QTest::newRow("just before midnight") << 86399.99 << "0 - 23:59:59.99";
    QTest::newRow("hundredths") << 3725.25 << "0 - 1:02:05.25";
}

void RoadViewTest::clockText() {
    QFETCH(double, seconds);
    QFETCH(QString, text);
    QCOMPARE(CTarloView::clockText(seconds), text);
}

void RoadViewTest::clockIsDrawnOnlyDuringARun() {
    const QColor background = settingsColour(m_pSettings->View.Colours.CLR_BACKGRND);
    const auto clockPixels = [&] {
        QImage image;
        m_pView->render(image);
        int count = 0;
        for (int y = 0; y < static_cast<int>(painter().clockBandHeight()); ++y)
            for (int x = 0; x < 300; ++x)
                count += image.pixelColor(x, y) != background;
        return std::pair(count, image);
    };
    QCOMPARE(clockPixels().first, 0);
    m_pDoc->runControl().m_bRunning = true;
    m_pDoc->runControl().m_SimTime = 90061.5;
    const auto [count, image] = clockPixels();
    saveForLooking(image.copy(0, 0, 400, 80), "clock");
    QVERIFY(count > 50);
}

void RoadViewTest::zoomOutAtTheMinimumIsRefused() {
    m_pSettings->View.ZOOM_STEP = 0.2;
    m_pSettings->View.MIN_VIEW_SCALE = 0.1;
    m_pView = std::make_unique<CTarloView>(*m_pDoc, *m_pSettings, *m_pHost);
    m_pView->properties().m_Scale = 0.2;
    m_pView->zoomOut();
    QCOMPARE(m_pView->properties().m_Scale, 0.2);
    QCOMPARE(m_pHost->messages.size(), std::size_t{1});
    QCOMPARE(m_pHost->messages[0].text,
             std::string("Cannot zoom out any further - minimum view scale is 0.100000."));
    QVERIFY(m_pHost->messages[0].icon == MessageIcon::Exclamation);

    m_pView->properties().m_Scale = 0.4;
    m_pView->zoomOut();
    QCOMPARE(m_pView->properties().m_Scale, 0.2);
    QCOMPARE(m_pHost->messages.size(), std::size_t{1});
}

void RoadViewTest::zoomKeepsTheCentrePoint() {
    m_pView->show();
    m_pView->refresh();
    QScrollBar* scroll = m_pView->horizontalScrollBar();
    const double halfWidth = m_pView->viewport()->width() / 2.0;
    scroll->setValue(1000);
    const double centre = painter().metresAt(scroll->value() + halfWidth);
    m_pView->zoomIn();
    QCOMPARE(m_pView->properties().m_Scale, 1.0 + m_pSettings->View.ZOOM_STEP);
    QVERIFY(std::abs(painter().metresAt(scroll->value() + halfWidth) - centre) < 1.0);
    m_pView->zoomOut();
    QCOMPARE(m_pView->properties().m_Scale, 1.0);
    QVERIFY(std::abs(painter().metresAt(scroll->value() + halfWidth) - centre) < 1.0);
    QVERIFY(m_pHost->messages.empty());
}

void RoadViewTest::scrollingReachesTheRoadEnd() {
    m_pView->show();
    m_pView->refresh();
    QScrollBar* scroll = m_pView->horizontalScrollBar();
    const RoadPainter road = painter();
    QCOMPARE(scroll->maximum(),
             static_cast<int>(road.size().width()) - m_pView->viewport()->width());
    QVERIFY(road.x(3000.0) < scroll->maximum() + m_pView->viewport()->width());
}

void RoadViewTest::saveImageWritesBmpOrPngByExtension() {
    TempDir dir("tarlo-view-image");
    QVERIFY(m_pView->saveImage(QString::fromStdString(dir.file("road.bmp"))));
    QVERIFY(m_pView->saveImage(QString::fromStdString(dir.file("road.PNG"))));
    QVERIFY(m_pView->saveImage(QString::fromStdString(dir.file("road"))));
    QCOMPARE(readBytes(dir.file("road.bmp")).substr(0, 2), std::string("BM"));
    QCOMPARE(readBytes(dir.file("road.PNG")).substr(1, 3), std::string("PNG"));
    QCOMPARE(readBytes(dir.file("road")).substr(0, 2), std::string("BM"));
    QCOMPARE(m_pHost->messages.size(), std::size_t{3});
    QCOMPARE(m_pHost->messages[0].text, std::string("Image saved."));
}

void RoadViewTest::saveImageReportsAFailure() {
    QVERIFY(!m_pView->saveImage("/nonexistent-folder/road.bmp"));
    QCOMPARE(m_pHost->messages.size(), std::size_t{1});
    QCOMPARE(m_pHost->messages[0].text, std::string("Image saving failed."));
}

void RoadViewTest::legendIsDrawnWithShowLegend() {
    QImage without;
    m_pView->render(without);
    m_pView->properties().m_bShowLegend = true;
    QImage with;
    m_pView->render(with);
    saveForLooking(with, "road-with-legend");
    QVERIFY(with.height() > without.height());
    // The legend's first vehicle type box sits somewhere below the road drawing.
    const QImage legend =
        with.copy(0, without.height(), with.width(), with.height() - without.height());
    bool found = false;
    for (int y = 0; y < legend.height() && !found; ++y)
        for (int x = 0; x < legend.width() && !found; ++x)
            found = legend.pixelColor(x, y) == typeColour(5);
    QVERIFY(found);
}

void RoadViewTest::exampleProjectDuringAVisibleRun() {
    // A copy of the example, so the run writes nothing beside the original.
    TempDir dir("tarlo-view-example");
    for (const char* name : {"demo.tlp", "demo.cas", "mid-span-shear.csv"})
        std::filesystem::copy_file(std::string(TARLO_EXAMPLES) + "/demo/" + name, dir.file(name));
    QVERIFY(m_pDoc->open(dir.file("demo.tlp")));
    m_pDoc->m_bAutoDir = false;
    m_pDoc->m_MetricsDir = dir.file("");
    m_pDoc->m_Seed = 1;
    for (int step = 0; step < 240; ++step)
        m_pDoc->runControl().singleStep();
    QVERIFY(m_pDoc->runControl().m_bRunning);
    int vehicles = 0;
    for (const auto& lane : m_pDoc->runControl().m_LaneSnapshot)
        vehicles += static_cast<int>(lane.size());
    QVERIFY(vehicles > 0);

    m_pView = std::make_unique<CTarloView>(*m_pDoc, *m_pSettings, *m_pHost);
    m_pView->resize(1000, 360);
    m_pView->show();
    m_pView->refresh();
    saveForLooking(m_pView->grab().toImage(), "example-window-during-run");
    QImage image;
    m_pView->render(image);
    saveForLooking(image, "example-during-run");
    // Every vehicle's box shows in the whole drawing in its type's colour.
    const RoadPainter road = painter();
    m_pView->properties().m_bShowVelocities = false;
    m_pView->render(image);
    const LaneSnapshot& lanes = m_pDoc->runControl().m_LaneSnapshot;
    for (std::size_t lane = 0; lane < lanes.size(); ++lane)
        for (const Vehicle* vehicle : lanes[lane]) {
            const QRectF box = road.vehicleRect(*vehicle, static_cast<int>(lane));
            const std::uint32_t colour = vehicle->type
                                             ? vehicle->type->getColor()
                                             : m_pSettings->View.Colours.CLR_FEAT_OBSTACLE;
            QCOMPARE(pixelAt(image, box.center()), settingsColour(colour));
        }
    m_pDoc->runControl().stopSimulation();
}

} // namespace tarlo::test

QTEST_MAIN(tarlo::test::RoadViewTest)
#include "RoadViewTest.moc"
