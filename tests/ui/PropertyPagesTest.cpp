#include "ui/panes/PropertyPages.h"
#include "bridges/CInfLineDiscrete.h"
#include "bridges/CLoadEffect.h"
#include "detectors/DetectorCodes.h"
#include "project/CTarloDoc.h"
#include "project/settings/CSettings.h"
#include "support/RecordingHost.h"
#include "ui/UiFixture.h"
#include "ui/view/CTarloView.h"
#include "ui/widgets/PropertyGrid.h"
#include "vehicles/CDiscreteDist.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

namespace tarlo::test {

// The property pages of a new project's elements, edited through the grid as a user would.
class PropertyPagesTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void featureValueRowFollowsTheType_data();
    void featureValueRowFollowsTheType();
    void detectorPositionRowsFollowTheKind_data();
    void detectorPositionRowsFollowTheKind();
    void acceptedEditIsWrittenBackAndReported();
    void refusedEditKeepsTheOldValue();
    void configurationPageEditsThroughTheDocument();
    void configurationRefusesZeroTrafficLanesInBothDirections();
    void configurationRefusesAnEmptyTrafficFile();
    void bridgeOutputEditsSelectTheirOutputs();
    void loadEffectPageOffersTheInfluenceLines();
    void distributionPageEditsItsPoints();
    void viewPageAppliesTheDisplayRules_data();
    void viewPageAppliesTheDisplayRules();
    void settingsPageKeepsRefusedValues();
    void settingsPageHasOneCategoryPerGroup();
    void editorsInTheTreeWriteBack();
    void choiceEditorReshapesThePageOnceItHasClosed();

private:
    QTreeWidgetItem* item(const QString& label) const {
        const QList<QTreeWidgetItem*> items =
            m_pGrid->tree()->findItems(label, Qt::MatchExactly | Qt::MatchRecursive, 0);
        return items.isEmpty() ? nullptr : items.first();
    }

    std::unique_ptr<CSettings> m_pSettings;
    std::unique_ptr<RecordingHost> m_pHost;
    std::unique_ptr<CTarloDoc> m_pDoc;
    std::unique_ptr<PropertyGrid> m_pGrid;
};

void PropertyPagesTest::init() {
    m_pSettings = std::make_unique<CSettings>();
    m_pHost = std::make_unique<RecordingHost>();
    m_pDoc = std::make_unique<CTarloDoc>(*m_pSettings, *m_pHost);
    m_pDoc->newProject();
    m_pDoc->setModified(false);
    m_pGrid = std::make_unique<PropertyGrid>();
}

void PropertyPagesTest::cleanup() {
    m_pGrid.reset();
    m_pDoc.reset();
}

void PropertyPagesTest::featureValueRowFollowsTheType_data() {
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("valueRow");
    QTest::newRow("speed limit") << "Speed Limit"
                                 << "Speed Limit (km/h)";
    QTest::newRow("gradient") << "Gradient"
                              << "Gradient (%)";
    QTest::newRow("obstacle") << "Obstacle"
                              << "Lane";
    QTest::newRow("politeness") << "Politeness"
                                << "Politeness";
    QTest::newRow("bias") << "Bias"
                          << "Bias";
    QTest::newRow("lane change ban asks no value") << "Lane Change Ban"
                                                   << "";
    QTest::newRow("gap control") << "Gap Control"
                                 << "Gap Control";
}

void PropertyPagesTest::featureValueRowFollowsTheType() {
    QFETCH(QString, type);
    QFETCH(QString, valueRow);
    CRoadFeature& feature = m_pDoc->m_vRoadFeatures[0];
    showElementPage(*m_pGrid, *m_pDoc, feature, *m_pHost);
    QVERIFY(m_pGrid->setValue("Feature Type", type));
    QCOMPARE(QString::fromStdString(feature.typeLabel(feature.getType())), type);
    QStringList expected{"Description", "Feature Type", "Vehicle Types",
                         "Adherence",   "Start (m)",    "End (m)"};
    if (!valueRow.isEmpty())
        expected << valueRow;
    QCOMPARE(m_pGrid->rowPaths(), expected);
}

void PropertyPagesTest::detectorPositionRowsFollowTheKind_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("positionRows");
    const QStringList point{"Location (m)"};
    const QStringList segment{"Start (m)", "End (m)"};
    const QStringList array{"Start (m)", "Interval (m)", "End (m)"};
    QTest::newRow("flow and density") << int(DETECTOR_FLOW_DENSITY) << point;
    QTest::newRow("headway") << int(DETECTOR_HEADWAY) << point;
    QTest::newRow("composition") << int(DETECTOR_COMPOSITION) << point;
    QTest::newRow("lane changes") << int(DETECTOR_LANE_CHANGES) << QStringList{"Interval (m)"};
    QTest::newRow("output vehicles") << int(DETECTOR_OUTPUT) << point;
    QTest::newRow("macro segment") << int(DETECTOR_MACRO_SEGMENT) << segment;
    QTest::newRow("micro segment") << int(DETECTOR_MICRO_SEGMENT) << segment;
    QTest::newRow("space-time density") << int(DETECTOR_ST_DENSITY) << array;
    QTest::newRow("space-time speed") << int(DETECTOR_ST_SMS) << array;
    QTest::newRow("occupancy") << int(DETECTOR_OCCUPANCY) << segment;
}

void PropertyPagesTest::detectorPositionRowsFollowTheKind() {
    QFETCH(int, kind);
    QFETCH(QStringList, positionRows);
    CStatDetector& detector = m_pDoc->m_vStatDetectors[0];
    showElementPage(*m_pGrid, *m_pDoc, detector, *m_pHost);
    QVERIFY(m_pGrid->setValue("Detector Type", QString::fromStdString(detector.kindLabel(kind))));
    QCOMPARE(detector.getDetectorName(), kind);
    QCOMPARE(m_pGrid->rowPaths(), QStringList({"Description", "Detector Type", "Vehicle Types",
                                               "Direction: positive x", "Time Interval (s)"}) +
                                      positionRows);
    // The last position row edits the parameter of its place.
    QVERIFY(m_pGrid->setValue(positionRows.last(), "1234"));
    const int params[] = {detector.getParamA(), detector.getParamB(), detector.getParamC()};
    QCOMPARE(params[positionRows.size() - 1], 1234);
}

void PropertyPagesTest::acceptedEditIsWrittenBackAndReported() {
    CRoadFeature& feature = m_pDoc->m_vRoadFeatures[0];
    showElementPage(*m_pGrid, *m_pDoc, feature, *m_pHost);
    QSignalSpy edited(m_pGrid.get(), &PropertyGrid::edited);
    QVERIFY(m_pGrid->setValue("Start (m)", "250"));
    QVERIFY(m_pGrid->setValue("Description", "Town limit"));
    QVERIFY(m_pGrid->setValue("Vehicle Types", "Cranes"));
    QCOMPARE(feature.getStart(), 250);
    QCOMPARE(feature.getDescription(), std::string("Town limit"));
    QCOMPARE(feature.getFeatVehType(), int(CRoadFeature::Cranes));
    QCOMPARE(m_pGrid->valueText("Start (m)"), QString("250"));
    QCOMPARE(edited.count(), 3);
    QVERIFY(m_pDoc->isModified());
}

void PropertyPagesTest::refusedEditKeepsTheOldValue() {
    CRoadFeature& feature = m_pDoc->m_vRoadFeatures[0];
    showElementPage(*m_pGrid, *m_pDoc, feature, *m_pHost);
    QSignalSpy edited(m_pGrid.get(), &PropertyGrid::edited);
    QVERIFY(!m_pGrid->setValue("Start (m)", "twelve"));
    QVERIFY(!m_pGrid->setValue("Vehicle Types", "Bicycles"));
    QVERIFY(!m_pGrid->setValue("No such row", "1"));
    QCOMPARE(feature.getStart(), 0);
    QCOMPARE(m_pGrid->valueText("Start (m)"), QString("0"));
    QCOMPARE(m_pGrid->valueText("Vehicle Types"), QString("All Vehicles"));
    QCOMPARE(edited.count(), 0);
    QVERIFY(!m_pDoc->isModified());
}

void PropertyPagesTest::configurationPageEditsThroughTheDocument() {
    showConfigurationPage(*m_pGrid, *m_pDoc, *m_pHost);
    QCOMPARE(m_pGrid->rowPaths(),
             QStringList(
                 {"Description", "Traffic Files/Input traffic file",
                  "Traffic Files/Auto metrics directory", "Traffic Files/Metrics output folder",
                  "Traffic Files/Traffic file format", "Traffic Files/Number of Lanes/Direction 1",
                  "Traffic Files/Number of Lanes/Direction 2", "Simulation Details/Time step (s)",
                  "Simulation Details/Execute on open", "Simulation Road/Road length (m)",
                  "Simulation Road/Number of Lanes/Direction 1",
                  "Simulation Road/Number of Lanes/Direction 2",
                  "Simulation Road/Drive on the right", "Simulation Road/Lane changes allowed",
                  "Simulation Road/Constant velocity", "Simulation Road/Output cars to file"}));
    CBridge& bridge = m_pDoc->addBridge();
    QVERIFY(m_pGrid->setValue("Simulation Road/Number of Lanes/Direction 2", "0"));
    QCOMPARE(m_pDoc->m_NoLanesDirNeg, 0);
    QCOMPARE(m_pDoc->m_NoDirections, 1);
    QCOMPARE(m_pDoc->m_NoLanes, 2);
    QCOMPARE(bridge.GetNoLanes(), 2);
    QVERIFY(m_pGrid->setValue("Simulation Details/Time step (s)", "0.1"));
    QCOMPARE(m_pDoc->m_SimTimeStep, 0.1);
    QVERIFY(m_pGrid->setValue("Traffic Files/Traffic file format", "Kirro"));
    QCOMPARE(m_pDoc->m_FileType, std::uint16_t{102});
    QVERIFY(m_pGrid->setValue("Traffic Files/Input traffic file", "/data/a26.txt"));
    QCOMPARE(m_pDoc->m_FileIn, std::string("/data/a26.txt"));
    QVERIFY(m_pGrid->setValue("Simulation Road/Constant velocity", true));
    QVERIFY(m_pDoc->m_bConstVelocity);
    QCOMPARE(m_pGrid->valueText("Simulation Road/Constant velocity"), QString("True"));
    QVERIFY(m_pDoc->isModified());
}

void PropertyPagesTest::configurationRefusesZeroTrafficLanesInBothDirections() {
    showConfigurationPage(*m_pGrid, *m_pDoc, *m_pHost);
    QVERIFY(m_pGrid->setValue("Traffic Files/Number of Lanes/Direction 2", "0"));
    QVERIFY(!m_pGrid->setValue("Traffic Files/Number of Lanes/Direction 1", "0"));
    QCOMPARE(m_pDoc->m_TrafFileNoLanesDirPos, 1);
    QCOMPARE(m_pGrid->valueText("Traffic Files/Number of Lanes/Direction 1"), QString("1"));
    QCOMPARE(m_pHost->messages.size(), std::size_t{1});
    QCOMPARE(m_pHost->messages[0].text,
             std::string("There cannot be zero lanes in both directions"));
}

void PropertyPagesTest::configurationRefusesAnEmptyTrafficFile() {
    showConfigurationPage(*m_pGrid, *m_pDoc, *m_pHost);
    QVERIFY(!m_pGrid->setValue("Traffic Files/Input traffic file", "  "));
    QCOMPARE(m_pDoc->m_FileIn, std::string("Traffic.in"));
    QCOMPARE(m_pHost->messages.size(), std::size_t{1});
    QCOMPARE(m_pHost->messages[0].text, std::string("Please select a file."));
}

void PropertyPagesTest::bridgeOutputEditsSelectTheirOutputs() {
    CBridge& bridge = m_pDoc->addBridge();
    m_pDoc->addLoadEffect(&bridge);
    showElementPage(*m_pGrid, *m_pDoc, bridge, *m_pHost);
    const QStringList paths = m_pGrid->rowPaths();
    QCOMPARE(paths.mid(0, 6),
             QStringList({"Description", "ID", "Location/Start (m)", "Location/End (m)",
                          "Location/Sub steps", "Load Effects/No. of load effects"}));
    QCOMPARE(m_pGrid->valueText("Load Effects/No. of load effects"), QString("2"));
    QVERIFY(paths.contains("Output/Peaks Over Thresholds/Load effect 2"));
    QVERIFY(!paths.contains("Output/Peaks Over Thresholds/Load effect 3"));

    const CEventManager& events = bridge.EventManager();
    QVERIFY(m_pGrid->setValue("Output/Block Maximum/Block size (s)", "3600"));
    QCOMPARE(events.getBlockMaxSize(), 3600.0);
    QVERIFY(events.getBMax());
    QCOMPARE(m_pGrid->valueText("Output/Block Maximum/Output?"), QString("True"));
    QVERIFY(m_pGrid->setValue("Output/Peaks Under Thresholds/Load effect 2", "-50"));
    QCOMPARE(events.getThreshUnder()[1], -50.0);
    QVERIFY(events.getPUT());
    QVERIFY(!events.getPOT());
    QVERIFY(m_pGrid->setValue("Output/Statistics/Histogram", true));
    QVERIFY(events.getStats());
    QVERIFY(m_pGrid->setValue("Output/Statistics/Histogram", false));
    QVERIFY(!events.getStats());
    QVERIFY(m_pGrid->setValue("Location/Start (m)", "600"));
    QCOMPARE(bridge.GetStart(), 600.0);
    QVERIFY(!m_pGrid->setValue("Location/Sub steps", "0"));
    QCOMPARE(bridge.GetStepsPerSimStep(), 1u);
}

void PropertyPagesTest::loadEffectPageOffersTheInfluenceLines() {
    CBridge& bridge = m_pDoc->addBridge();
    CLoadEffect& effect = *bridge.GetLoadEffects()[0];
    showElementPage(*m_pGrid, *m_pDoc, effect, *m_pHost);
    QCOMPARE(m_pGrid->rowPaths(),
             QStringList({"ID", "Description", "Influence Line/IL Type", "Influence Line/Function",
                          "Lane Weights/Index [1]", "Lane Weights/Index [2]",
                          "Lane Weights/Index [3]"}));
    QCOMPARE(m_pGrid->valueText("Influence Line/Function"), QString("Total load on beam"));

    QVERIFY(m_pGrid->setValue("Influence Line/IL Type", "Discrete"));
    QCOMPARE(m_pGrid->valueText("Influence Line/Discrete"), QString("No discrete ILs"));

    CInfLineDiscrete& line = m_pDoc->addInfluenceLine();
    line.SetPoints({0.0, 10.0}, {0.0, 1.0});
    showElementPage(*m_pGrid, *m_pDoc, effect, *m_pHost);
    QCOMPARE(m_pGrid->valueText("Influence Line/Discrete"), QString("Pick discrete IL"));
    QVERIFY(m_pGrid->setValue("Influence Line/Discrete",
                              QString::fromStdString(line.getDescription())));
    QCOMPARE(m_pGrid->valueText("Influence Line/Discrete"),
             QString::fromStdString(line.getDescription()));
    QCOMPARE(effect.GetInfLine()->GetLength(), 10.0);

    QVERIFY(m_pGrid->setValue("Lane Weights/Index [2]", "0.5"));
    QCOMPARE(effect.LaneWeights(), (std::vector<double>{1.0, 0.5, 1.0}));
}

void PropertyPagesTest::distributionPageEditsItsPoints() {
    CDiscreteDist& dist = m_pDoc->addDiscreteDist();
    dist.setData({1.0, 2.0});
    dist.setPMF({0.5, 0.5});
    showElementPage(*m_pGrid, *m_pDoc, dist, *m_pHost);
    QCOMPARE(m_pGrid->rowPaths(),
             QStringList({"Description", "Statistics/No. bins", "Statistics/Weighted mean",
                          "Values/Value", "Values/Value#2", "Probabilities/Probability",
                          "Probabilities/Probability#2"}));
    QCOMPARE(m_pGrid->valueText("Statistics/Weighted mean"), QString("1.5"));
    QVERIFY(m_pGrid->setValue("Values/Value#2", "4"));
    QCOMPARE(dist.getData(), (std::vector<double>{1.0, 4.0}));
    QCOMPARE(m_pGrid->valueText("Statistics/Weighted mean"), QString("2.5"));
}

void PropertyPagesTest::viewPageAppliesTheDisplayRules_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("entered");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("message");
    QTest::newRow("vehicle as wide as the lane")
        << "Dimensions/Vehicle width (m)"
        << "4.0"
        << "3.2"
        << "Vehicle width should be less than lane width - default of 80% of lane width set";
    QTest::newRow("vehicle narrower than the lane") << "Dimensions/Vehicle width (m)"
                                                    << "3.9"
                                                    << "3.9"
                                                    << "";
    QTest::newRow("scale below the minimum")
        << "Scales/Overall scale"
        << "0.01"
        << "0.05"
        << "View scale cannot be less than minimum - default minimum set";
    QTest::newRow("widths scale below one") << "Scales/Widths scale"
                                            << "0.5"
                                            << "10"
                                            << "Widths scale cannot be less than 1.0 - default set";
    QTest::newRow("widths scale of one") << "Scales/Widths scale"
                                         << "1"
                                         << "1"
                                         << "";
    QTest::newRow("tick interval in whole metres") << "Dimensions/Tick interval (m)"
                                                   << "250.6"
                                                   << "251"
                                                   << "";
    QTest::newRow("border") << "Borders/Right (m)"
                            << "150"
                            << "150"
                            << "";
}

void PropertyPagesTest::viewPageAppliesTheDisplayRules() {
    QFETCH(QString, path);
    QFETCH(QString, entered);
    QFETCH(QString, shown);
    QFETCH(QString, message);
    m_pSettings->View.MIN_VIEW_SCALE = 0.05;
    CTarloView view(*m_pDoc, *m_pSettings, *m_pHost);
    showViewPage(*m_pGrid, view, *m_pHost);
    QVERIFY(m_pGrid->setValue(path, entered));
    QCOMPARE(m_pGrid->valueText(path), shown);
    if (message.isEmpty()) {
        QVERIFY(m_pHost->messages.empty());
    } else {
        QCOMPARE(m_pHost->messages.size(), std::size_t{1});
        QCOMPARE(QString::fromStdString(m_pHost->messages[0].text), message);
    }
}

void PropertyPagesTest::settingsPageKeepsRefusedValues() {
    showSettingsPage(*m_pGrid, *m_pSettings, *m_pHost);
    const double safeBraking = m_pSettings->IDM.SAFE_BRAKING;
    QVERIFY(!m_pGrid->setValue("IDM/Safe braking (m/s2)", "0"));
    QVERIFY(!m_pGrid->setValue("IDM/Safe braking (m/s2)", "3"));
    QCOMPARE(m_pSettings->IDM.SAFE_BRAKING, safeBraking);
    QCOMPARE(m_pGrid->valueText("IDM/Safe braking (m/s2)"), QString::number(safeBraking));
    QVERIFY(m_pGrid->setValue("IDM/Safe braking (m/s2)", "-8"));
    QCOMPARE(m_pSettings->IDM.SAFE_BRAKING, -8.0);

    QVERIFY(m_pGrid->setValue("Colours/Road surface", "10, 20, 30"));
    QCOMPARE(m_pSettings->View.Colours.CLR_ROAD_SURFACE, CSettings::rgb(10, 20, 30));
    QCOMPARE(m_pGrid->valueText("Colours/Road surface"), QString("10, 20, 30"));
    QVERIFY(!m_pGrid->setValue("Colours/Road surface", "10, 20, 300"));
    QCOMPARE(m_pSettings->View.Colours.CLR_ROAD_SURFACE, CSettings::rgb(10, 20, 30));

    QVERIFY(!m_pGrid->setValue("Legend/Vehicle height (px)", "0"));
    const std::string_view secondModel = CSettings::desiredGapModelLabels()[1];
    QVERIFY(m_pGrid->setValue("IDM/Desired gap model",
                              QString::fromUtf8(secondModel.data(), secondModel.size())));
    QCOMPARE(m_pSettings->IDM.DESIRED_GAP_MODEL, 1);
    QVERIFY(m_pGrid->setValue("IDM Modifiers/A flag",
                              !m_pSettings->Road.RoadFeatures.Gradient.IDM_Modifiers.A_FLAG));
}

void PropertyPagesTest::settingsPageHasOneCategoryPerGroup() {
    showSettingsPage(*m_pGrid, *m_pSettings, *m_pHost);
    QStringList expected;
    for (const CSettings::Key& key : CSettings::keys())
        expected << QString::fromUtf8(key.group.data(), key.group.size()) + "/" +
                        QString::fromUtf8(key.label.data(), key.label.size());
    QStringList paths = m_pGrid->rowPaths();
    QCOMPARE(paths.size(), expected.size());
    // Rows sit under their group's category, each category once, in the order of the keys.
    for (const QString& path : expected)
        QVERIFY2(paths.contains(path), qPrintable(path));
    QStringList categories;
    for (int i = 0; i < m_pGrid->tree()->topLevelItemCount(); ++i)
        categories << m_pGrid->tree()->topLevelItem(i)->text(0);
    QCOMPARE(categories.removeDuplicates(), 0);
}

void PropertyPagesTest::editorsInTheTreeWriteBack() {
    CBridge& bridge = m_pDoc->addBridge();
    showElementPage(*m_pGrid, *m_pDoc, bridge, *m_pHost);
    m_pGrid->resize(420, 640);
    m_pGrid->show();
    QSignalSpy edited(m_pGrid.get(), &PropertyGrid::edited);

    QTreeWidgetItem* start = item("Start (m)");
    QVERIFY(start);
    m_pGrid->tree()->editItem(start, 1);
    auto* line = m_pGrid->tree()->findChild<QLineEdit*>();
    QVERIFY(line);
    QCOMPARE(line->text(), QString("500"));
    line->setText("700");
    QTest::keyClick(line, Qt::Key_Return);
    // The delegate commits once the key press has been handled.
    QTRY_COMPARE(bridge.GetStart(), 700.0);
    QCOMPARE(start->text(1), QString("700"));

    QTreeWidgetItem* basic = item("Basic");
    QVERIFY(basic);
    basic->setCheckState(1, Qt::Checked);
    QVERIFY(bridge.EventManager().getStatsBasic());
    QVERIFY(bridge.EventManager().getStats());
    QCOMPARE(basic->text(1), QString("True"));
    QCOMPARE(edited.count(), 2);
    saveForLooking(m_pGrid->grab().toImage(), "property-grid-bridge");
}

void PropertyPagesTest::choiceEditorReshapesThePageOnceItHasClosed() {
    CRoadFeature& feature = m_pDoc->m_vRoadFeatures[0];
    showElementPage(*m_pGrid, *m_pDoc, feature, *m_pHost);
    m_pGrid->show();
    m_pGrid->tree()->editItem(item("Feature Type"), 1);
    auto* box = m_pGrid->tree()->findChild<QComboBox*>();
    QVERIFY(box);
    box->setCurrentText("Gradient");
    emit box->activated(box->currentIndex());
    QCOMPARE(feature.getType(), int(CRoadFeature::Gradient));
    QTRY_VERIFY(m_pGrid->rowPaths().contains("Gradient (%)"));
    QVERIFY(!m_pGrid->rowPaths().contains("Speed Limit (km/h)"));
}

} // namespace tarlo::test

QTEST_MAIN(tarlo::test::PropertyPagesTest)
#include "PropertyPagesTest.moc"
