#include "ui/dialogs/ConfigurationDialog.h"
#include "project/CTarloDoc.h"
#include "project/settings/CSettings.h"
#include "support/RecordingHost.h"
#include "ui/UiFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QtTest>

#include <memory>

namespace tarlo::test {

// The configuration dialog over a new project: its entry checks on OK and the values it
// stores.
class ConfigurationDialogTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void okRefusesTheFirstFailedEntry_data();
    void okRefusesTheFirstFailedEntry();
    void acceptedEditChangesTheDocument();
    void cancelLeavesTheDocumentUnchanged();
    void showsTheTimeStepInMilliseconds();

private:
    // Entries named "file", "traffic1", "traffic2", "road1", "road2".
    QLineEdit* entry(const QString& name) const;
    void showDialog();

    std::unique_ptr<CSettings> m_pSettings;
    std::unique_ptr<RecordingHost> m_pHost;
    std::unique_ptr<CTarloDoc> m_pDoc;
    std::unique_ptr<ConfigurationDialog> m_pDialog;
};

void ConfigurationDialogTest::init() {
    m_pSettings = std::make_unique<CSettings>();
    m_pHost = std::make_unique<RecordingHost>();
    m_pDoc = std::make_unique<CTarloDoc>(*m_pSettings, *m_pHost);
    m_pDoc->newProject();
    m_pDoc->m_FileIn = "traffic.cas";
    m_pDoc->m_NoLanesDirPos = m_pDoc->m_TrafFileNoLanesDirPos = 1;
    m_pDoc->m_NoLanesDirNeg = m_pDoc->m_TrafFileNoLanesDirNeg = 1;
    m_pDoc->updateLaneTotals();
    m_pDoc->setModified(false);
}

void ConfigurationDialogTest::cleanup() {
    m_pDialog.reset();
    m_pDoc.reset();
}

QLineEdit* ConfigurationDialogTest::entry(const QString& name) const {
    if (name == "file")
        return m_pDialog->trafficFileEdit();
    if (name.startsWith("traffic"))
        return m_pDialog->trafficLanesEdit(name.back().digitValue());
    return m_pDialog->roadLanesEdit(name.back().digitValue());
}

void ConfigurationDialogTest::showDialog() {
    m_pDialog = std::make_unique<ConfigurationDialog>(*m_pDoc, *m_pHost);
    m_pDialog->show();
    QVERIFY(QTest::qWaitForWindowActive(m_pDialog.get()));
}

void ConfigurationDialogTest::okRefusesTheFirstFailedEntry_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("lanes"); // traffic 1, traffic 2, road 1, road 2
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focused");

    const QString noLanes = "Please specify the number of lanes.";
    const QString zeroTraffic = "There cannot be zero lanes in both directions";
    const QString fewerRoad =
        "The number of simulation lanes must not \nbe less than that of the traffic file.";
    const QString noVehicles =
        "For this direction, there will be no vehicles \nsince there are no lanes in the "
        "traffic file";
    QTest::newRow("no traffic file before empty counts")
        << "" << QStringList{"", "", "", ""} << "Please select a file."
        << "file";
    QTest::newRow("empty traffic count of direction 2")
        << "t.cas" << QStringList{"1", "", "1", "1"} << noLanes << "traffic2";
    QTest::newRow("empty road count of direction 1")
        << "t.cas" << QStringList{"1", "1", "", "1"} << noLanes << "road1";
    QTest::newRow("zero traffic lanes before the road lanes")
        << "t.cas" << QStringList{"0", "0", "0", "0"} << zeroTraffic << "traffic1";
    QTest::newRow("road 1 below traffic 1")
        << "t.cas" << QStringList{"2", "1", "1", "1"} << fewerRoad << "road1";
    QTest::newRow("road 2 below traffic 2")
        << "t.cas" << QStringList{"1", "2", "1", "1"} << fewerRoad << "road2";
    QTest::newRow("direction 1 before direction 2")
        << "t.cas" << QStringList{"2", "2", "1", "1"} << fewerRoad << "road1";
    QTest::newRow("road lanes without traffic lanes in direction 1")
        << "t.cas" << QStringList{"0", "1", "1", "1"} << noVehicles << "road1";
    QTest::newRow("road lanes without traffic lanes in direction 2")
        << "t.cas" << QStringList{"1", "0", "1", "1"} << noVehicles << "road2";
}

void ConfigurationDialogTest::okRefusesTheFirstFailedEntry() {
    QFETCH(QString, file);
    QFETCH(QStringList, lanes);
    QFETCH(QString, message);
    QFETCH(QString, focused);

    showDialog();
    entry("file")->setText(file);
    const QStringList names{"traffic1", "traffic2", "road1", "road2"};
    for (int i = 0; i < names.size(); ++i)
        entry(names[i])->setText(lanes[i]);
    m_pDialog->accept();

    QCOMPARE(m_pHost->messages.size(), std::size_t(1));
    QCOMPARE(QString::fromStdString(m_pHost->messages[0].text), message);
    QVERIFY(entry(focused)->hasFocus());
    QVERIFY(m_pDialog->isVisible());
    QVERIFY(!m_pDoc->isModified());
    QCOMPARE(m_pDoc->m_FileIn, std::string("traffic.cas"));
}

void ConfigurationDialogTest::acceptedEditChangesTheDocument() {
    showDialog();
    saveForLooking(m_pDialog->grab().toImage(), "ConfigurationDialog");
    m_pDialog->trafficFileEdit()->setText("other.cas");
    m_pDialog->fileTypeBox()->setCurrentText("Kirro");
    m_pDialog->timeStepEdit()->setText("250");
    m_pDialog->roadLengthEdit()->setText("1500");
    m_pDialog->trafficLanesEdit(2)->setText("0");
    m_pDialog->roadLanesEdit(1)->setText("2");
    m_pDialog->roadLanesEdit(2)->setText("0");
    m_pDialog->executeOnOpenBox()->setChecked(false);
    m_pDialog->accept();

    QVERIFY(m_pHost->messages.empty());
    QCOMPARE(m_pDialog->result(), int(QDialog::Accepted));
    QVERIFY(m_pDoc->isModified());
    QCOMPARE(m_pDoc->m_FileIn, std::string("other.cas"));
    QCOMPARE(int(m_pDoc->m_FileType), 102);
    QCOMPARE(m_pDoc->m_SimTimeStep, 0.25);
    QCOMPARE(m_pDoc->m_RoadLength, 1500);
    QCOMPARE(m_pDoc->m_NoLanes, 2);
    QCOMPARE(m_pDoc->m_NoDirections, 1);
    QVERIFY(!m_pDoc->m_bExecuteOnOpen);
}

void ConfigurationDialogTest::cancelLeavesTheDocumentUnchanged() {
    showDialog();
    m_pDialog->trafficFileEdit()->setText("other.cas");
    m_pDialog->reject();
    QVERIFY(!m_pDoc->isModified());
    QCOMPARE(m_pDoc->m_FileIn, std::string("traffic.cas"));
}

void ConfigurationDialogTest::showsTheTimeStepInMilliseconds() {
    m_pDoc->m_SimTimeStep = 0.1;
    showDialog();
    QCOMPARE(m_pDialog->timeStepEdit()->text().toDouble(), 100.0);
}

} // namespace tarlo::test

QTEST_MAIN(tarlo::test::ConfigurationDialogTest)
#include "ConfigurationDialogTest.moc"
