#include "engine/IDM.h"
#include "engine/Vehicle.h"
#include "project/CTarloDoc.h"
#include "project/settings/CSettings.h"
#include "support/RecordingHost.h"
#include "support/TrafficFixture.h"
#include "ui/UiFixture.h"
#include "ui/view/CTarloView.h"
#include "ui/view/RoadPainter.h"
#include "ui/view/VehicleText.h"
#include "vehicles/CVehicleType.h"

#include <QScrollBar>
#include <QSignalSpy>
#include <QToolTip>
#include <QtTest>

#include <algorithm>
#include <filesystem>
#include <memory>

namespace tarlo::test {

// A visible run of a new project over a short traffic file, paused by single steps, and the
// road view picking its vehicles.
class VehicleInspectionTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void paneTextListsTheVehicleLineForLine();
    void clickWhilePausedSelectsTheVehicleUnderThePointer();
    void clickBesideEveryVehicleSelectsNothing();
    void clickWhileRunningSelectsNothing();

private:
    // Steps until a vehicle is well on the road; returns it with its snapshot lane.
    std::pair<const Vehicle*, int> stepUntilAVehicleIsOnTheRoad();
    // Scrolls the vehicle into view and clicks its middle.
    void clickOn(const Vehicle& vehicle, int lane);
    RoadPainter painter() const;

    std::unique_ptr<TempDir> m_pDir;
    std::unique_ptr<CSettings> m_pSettings;
    std::unique_ptr<RecordingHost> m_pHost;
    std::unique_ptr<CTarloDoc> m_pDoc;
    std::unique_ptr<CTarloView> m_pView;
};

void VehicleInspectionTest::init() {
    m_pDir = std::make_unique<TempDir>("tarlo-inspection");
    m_pSettings = std::make_unique<CSettings>();
    m_pHost = std::make_unique<RecordingHost>();
    m_pDoc = std::make_unique<CTarloDoc>(*m_pSettings, *m_pHost);
    m_pDoc->newProject();
    CastorRecord first;
    CastorRecord second;
    second.second = 2;
    second.lane = 2;
    second.lengthDm = 120;
    m_pDoc->m_FileIn = writeCastorFile(*m_pDir, "traffic.cas", {first, second});
    m_pDoc->m_TrafFileNoLanesDirPos = 2;
    m_pDoc->m_bAutoDir = false;
    m_pDoc->m_MetricsDir = m_pDir->file("metrics") + "/";
    std::filesystem::create_directory(m_pDoc->m_MetricsDir);
    m_pDoc->m_Seed = 7;
    m_pView = std::make_unique<CTarloView>(*m_pDoc, *m_pSettings, *m_pHost);
    m_pView->resize(900, 400);
    m_pView->show();
}

void VehicleInspectionTest::cleanup() {
    if (m_pDoc->runControl().canStop())
        m_pDoc->runControl().stopSimulation();
    m_pView.reset();
    m_pDoc.reset();
    m_pDir.reset();
}

RoadPainter VehicleInspectionTest::painter() const {
    return RoadPainter(*m_pDoc, *m_pSettings, m_pView->properties(), m_pView->font());
}

std::pair<const Vehicle*, int> VehicleInspectionTest::stepUntilAVehicleIsOnTheRoad() {
    RunControl& run = m_pDoc->runControl();
    for (int step = 0; step < 400; ++step) {
        run.singleStep();
        const LaneSnapshot& lanes = run.m_LaneSnapshot;
        for (std::size_t lane = 0; lane < lanes.size(); ++lane)
            for (const Vehicle* vehicle : lanes[lane])
                if (vehicle->position > 200.0)
                    return {vehicle, static_cast<int>(lane)};
    }
    return {nullptr, -1};
}

void VehicleInspectionTest::clickOn(const Vehicle& vehicle, int lane) {
    const QRectF box = painter().vehicleRect(vehicle, lane);
    m_pView->horizontalScrollBar()->setValue(static_cast<int>(box.left()) - 300);
    const QPoint at = (box.center() - QPointF(m_pView->horizontalScrollBar()->value(),
                                              m_pView->verticalScrollBar()->value()))
                          .toPoint();
    QTest::mouseClick(m_pView->viewport(), Qt::LeftButton, {}, at);
}

void VehicleInspectionTest::paneTextListsTheVehicleLineForLine() {
    Vehicle vehicle(*m_pSettings);
    vehicle.vehicleClass = 2;
    vehicle.vehicleNo = 17;
    vehicle.dirPositive = false;
    vehicle.lane = 3;
    vehicle.position = 1234.56;
    vehicle.gap = 5.3;
    vehicle.speed = 25.0;
    vehicle.accel = -0.5;
    vehicle.gvw = 392.4;
    vehicle.length = 12.5;
    vehicle.noAxles = 3;
    vehicle.axles = {{0.0, 4.2, 98.1}, {4.2, 1.3, 147.2}, {5.5, 0.0, 147.1}};
    auto driver = std::make_shared<IDM>(*m_pSettings);
    driver->T = 1.5;
    driver->a = 1.0;
    driver->b = 2.5;
    driver->s0 = 2.0;
    driver->s1 = 0.0;
    driver->v0 = 30.0;
    driver->delta = 4.0;
    driver->politeness = 0.2;
    driver->bias = 0.3;
    driver->threshold = 0.1;
    vehicle.driver = driver;

    const QString separator(35, '-');
    const QStringList lines{"Selected Vehicle Data:",
                            separator,
                            "Class:        \t2",
                            "ID:         \t\t17",
                            "Direction: \tNegative",
                            "Lane:         \t3",
                            "Position:     \t1234.6 m",
                            "Gap:\t\t\t\t 5.3 m",
                            "Velocity:     \t90.0 km/h",
                            "Acceleration: \t-0.50 m/s^2",
                            "Desired Vel.: \t108.0 km/h",
                            separator,
                            "IDM T:  \t\t1.50 s",
                            "IDM A:  \t\t1.00 m/s^2",
                            "IDM B:  \t\t2.50 m/s^2",
                            "IDM S0: \t\t2.00 m",
                            "IDM S1: \t\t0.00 m",
                            "IDM V0: \t\t30.0 m/s",
                            "IDM Delta: \t4.0",
                            "IDM Polite: \t0.20",
                            "IDM Bias: \t0.30",
                            "IDM DeltaAth: \t0.10",
                            separator,
                            "GVW:         \t392.4 kN",
                            "Length:      \t12.5 m",
                            "No of Axles: \t3",
                            "Axle 1: \t98.1 kN | 4.2 m",
                            "Axle 2: \t147.2 kN | 1.3 m",
                            "Axle 3: \t147.1 kN"};
    QCOMPARE(vehiclePaneText(vehicle), lines.join("\r\n") + "\r\n");

    vehicle.dirPositive = true;
    QVERIFY(vehiclePaneText(vehicle).contains("\r\nDirection: \tPositive\r\n"));
}

void VehicleInspectionTest::clickWhilePausedSelectsTheVehicleUnderThePointer() {
    const auto [vehicle, lane] = stepUntilAVehicleIsOnTheRoad();
    QVERIFY(vehicle);
    QVERIFY(m_pDoc->runControl().canPause() && m_pDoc->runControl().m_bPaused);
    m_pView->properties().m_bShowVelocities = false;
    QImage before;
    m_pView->render(before);

    QSignalSpy selected(m_pView.get(), &CTarloView::vehicleSelected);
    const std::size_t linesBefore = m_pHost->outputLines.size();
    clickOn(*vehicle, lane);
    QCOMPARE(selected.count(), 1);
    QCOMPARE(selected[0][0].toString(), vehiclePaneText(*vehicle));
    QCOMPARE(m_pHost->outputLines.size(), linesBefore + 1);
    QCOMPARE(m_pHost->outputLines.back(),
             "Selected vehicle no. " + std::to_string(vehicle->vehicleNo));
    QCOMPARE(QToolTip::text(), QString("Vehicle no. %1").arg(vehicle->vehicleNo));

    QImage after;
    m_pView->render(after);
    const QRectF box = painter().vehicleRect(*vehicle, lane);
    saveForLooking(after.copy(box.toRect().adjusted(-300, -120, 300, 120)), "vehicle-selected");
    const QColor highlight = settingsColour(m_pSettings->View.Colours.CLR_VEH_HIGHLIGHT);
    QCOMPARE(after.pixelColor(box.center().toPoint()), highlight);
    QCOMPARE(before.pixelColor(box.center().toPoint()), settingsColour(vehicle->type->getColor()));
}

void VehicleInspectionTest::clickBesideEveryVehicleSelectsNothing() {
    const auto [vehicle, lane] = stepUntilAVehicleIsOnTheRoad();
    QVERIFY(vehicle);
    QSignalSpy selected(m_pView.get(), &CTarloView::vehicleSelected);
    const QRectF box = painter().vehicleRect(*vehicle, lane);
    m_pView->horizontalScrollBar()->setValue(static_cast<int>(box.left()) - 300);
    const int scroll = m_pView->horizontalScrollBar()->value();
    // Ahead of the vehicle in its lane, and level with it in the empty neighbouring lane.
    const int neighbour = lane == 0 ? 1 : lane - 1;
    QTest::mouseClick(
        m_pView->viewport(), Qt::LeftButton, {},
        QPoint(static_cast<int>(box.right()) + 40 - scroll, static_cast<int>(box.center().y())));
    QTest::mouseClick(m_pView->viewport(), Qt::LeftButton, {},
                      QPoint(static_cast<int>(box.center().x()) - scroll,
                             static_cast<int>(painter().laneRect(neighbour).center().y())));
    QCOMPARE(selected.count(), 0);
}

void VehicleInspectionTest::clickWhileRunningSelectsNothing() {
    const auto [vehicle, lane] = stepUntilAVehicleIsOnTheRoad();
    QVERIFY(vehicle);
    m_pDoc->runControl().togglePause();
    QVERIFY(!m_pDoc->runControl().m_bPaused);
    QSignalSpy selected(m_pView.get(), &CTarloView::vehicleSelected);
    const std::size_t linesBefore = m_pHost->outputLines.size();
    clickOn(*vehicle, lane);
    QCOMPARE(selected.count(), 0);
    QCOMPARE(m_pHost->outputLines.size(), linesBefore);

    m_pView->properties().m_bShowVelocities = false;
    QImage image;
    m_pView->render(image);
    const QRectF box = painter().vehicleRect(*vehicle, lane);
    QCOMPARE(image.pixelColor(box.center().toPoint()), settingsColour(vehicle->type->getColor()));
}

} // namespace tarlo::test

QTEST_MAIN(tarlo::test::VehicleInspectionTest)
#include "VehicleInspectionTest.moc"
