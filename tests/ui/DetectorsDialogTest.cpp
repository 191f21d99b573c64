#include "ui/dialogs/DetectorsDialog.h"

#include "detectors/DetectorCodes.h"
#include "project/CTarloDoc.h"
#include "project/settings/CSettings.h"
#include "support/RecordingHost.h"
#include "ui/UiFixture.h"

#include <QComboBox>
#include <QTableWidget>
#include <QtTest>

namespace tarlo::test {

// The detector grid over a new project's one flow and density detector at 1000 m.
class DetectorsDialogTest : public QObject {
    Q_OBJECT

private slots:
    void showsEveryFieldOfTheDetector();
    void cancelLeavesTheDocumentUnchanged();
    void okReplacesTheDocumentsDetectors();
    void deletingWithNoDetectorSelectedSaysSo();
    void deletingTheSelectedDetectorKeepsTheOthersInOrder();
    void refusedNumbersKeepTheStoredValue_data();
    void refusedNumbersKeepTheStoredValue();
    void theKindDecidesWhichParametersAreUsed_data();
    void theKindDecidesWhichParametersAreUsed();

private:
    static QComboBox* box(const DetectorsDialog& dialog, int row, int column) {
        return static_cast<QComboBox*>(dialog.grid()->cellWidget(row, column));
    }
};

void DetectorsDialogTest::showsEveryFieldOfTheDetector() {
    CSettings settings;
    RecordingHost host;
    CTarloDoc doc(settings, host);
    doc.newProject();
    DetectorsDialog dialog(doc, host);
    dialog.show();
    saveForLooking(dialog.grab().toImage(), "DetectorsDialog");
    QCOMPARE(dialog.windowTitle(), QString("Macroscopic Traffic Flow Metrics Detectors"));
    QTableWidget* grid = dialog.grid();
    QCOMPARE(grid->rowCount(), 1);
    QCOMPARE(grid->verticalHeaderItem(0)->text(), QString("Detector 1"));
    QCOMPARE(box(dialog, 0, DetectorsDialog::TypeColumn)->currentText(), QString("Flow & Density"));
    QCOMPARE(box(dialog, 0, DetectorsDialog::TypeColumn)->count(), 10);
    QCOMPARE(box(dialog, 0, DetectorsDialog::VehicleColumn)->currentText(),
             QString("All Vehicles"));
    QCOMPARE(grid->item(0, DetectorsDialog::DirectionColumn)->checkState(), Qt::Checked);
    QCOMPARE(grid->item(0, DetectorsDialog::IntervalColumn)->text(), QString("60"));
    QCOMPARE(grid->item(0, DetectorsDialog::ParamAColumn)->text(), QString("1000"));
    QCOMPARE(grid->item(0, DetectorsDialog::ParamAColumn)->toolTip(), QString("Location (m)"));
}

void DetectorsDialogTest::cancelLeavesTheDocumentUnchanged() {
    CSettings settings;
    RecordingHost host;
    CTarloDoc doc(settings, host);
    doc.newProject();
    DetectorsDialog dialog(doc, host);
    dialog.show();
    dialog.grid()->item(0, DetectorsDialog::ParamAColumn)->setText("250");
    box(dialog, 0, DetectorsDialog::TypeColumn)->setCurrentText("Headway");
    dialog.addDetector();
    dialog.reject();
    QCOMPARE(doc.m_vStatDetectors.size(), std::size_t(1));
    QCOMPARE(doc.m_vStatDetectors[0].getParamA(), 1000);
    QCOMPARE(doc.m_vStatDetectors[0].getDetectorName(), int(DETECTOR_FLOW_DENSITY));
    QVERIFY(!doc.isModified());
}

void DetectorsDialogTest::okReplacesTheDocumentsDetectors() {
    CSettings settings;
    RecordingHost host;
    CTarloDoc doc(settings, host);
    doc.newProject();
    const std::string name = doc.m_vStatDetectors[0].getDescription();
    DetectorsDialog dialog(doc, host);
    dialog.show();
    QTableWidget* grid = dialog.grid();
    box(dialog, 0, DetectorsDialog::TypeColumn)->setCurrentText("S-T Density");
    box(dialog, 0, DetectorsDialog::VehicleColumn)->setCurrentText("Large Trucks");
    grid->item(0, DetectorsDialog::DirectionColumn)->setCheckState(Qt::Unchecked);
    grid->item(0, DetectorsDialog::IntervalColumn)->setText("300");
    grid->item(0, DetectorsDialog::ParamAColumn)->setText("100");
    grid->item(0, DetectorsDialog::ParamBColumn)->setText("50");
    grid->item(0, DetectorsDialog::ParamCColumn)->setText("900");
    dialog.addDetector();
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(doc.m_vStatDetectors.size(), std::size_t(2));
    const CStatDetector& edited = doc.m_vStatDetectors[0];
    QCOMPARE(edited.getDetectorName(), int(DETECTOR_ST_DENSITY));
    QCOMPARE(edited.getDetectorType(), int(DETECTOR_ARRAY));
    QCOMPARE(edited.getDetectorVehicleType(), int(FILTER_LARGE_TRUCKS));
    QVERIFY(!edited.getDirPos());
    QCOMPARE(edited.getTimeInterval(), 300);
    QCOMPARE(edited.getParamA(), 100);
    QCOMPARE(edited.getParamB(), 50);
    QCOMPARE(edited.getParamC(), 900);
    QCOMPARE(edited.getDescription(), name);
    QCOMPARE(doc.m_vStatDetectors[1].getParamA(), 1000);
    QVERIFY(doc.isModified());
}

void DetectorsDialogTest::deletingWithNoDetectorSelectedSaysSo() {
    CSettings settings;
    RecordingHost host;
    CTarloDoc doc(settings, host);
    doc.newProject();
    DetectorsDialog dialog(doc, host);
    dialog.show();
    dialog.grid()->clearSelection();
    dialog.grid()->setCurrentCell(-1, -1);
    dialog.deleteDetector();
    QCOMPARE(host.messages.size(), std::size_t(1));
    QCOMPARE(host.messages[0].text, std::string("No statistics detector to delete."));
    QCOMPARE(dialog.grid()->rowCount(), 1);
    QVERIFY(dialog.isVisible());
}

// The combo boxes of the rows below a deleted one must edit their own detector.
void DetectorsDialogTest::deletingTheSelectedDetectorKeepsTheOthersInOrder() {
    CSettings settings;
    RecordingHost host;
    CTarloDoc doc(settings, host);
    doc.newProject();
    DetectorsDialog dialog(doc, host);
    dialog.addDetector();
    dialog.addDetector();
    dialog.grid()->item(2, DetectorsDialog::ParamAColumn)->setText("3");
    dialog.grid()->selectRow(0);
    dialog.deleteDetector();
    QCOMPARE(dialog.grid()->rowCount(), 2);
    QCOMPARE(dialog.grid()->verticalHeaderItem(1)->text(), QString("Detector 2"));
    box(dialog, 1, DetectorsDialog::TypeColumn)->setCurrentText("Occupancy");
    dialog.accept();
    QCOMPARE(doc.m_vStatDetectors.size(), std::size_t(2));
    QCOMPARE(doc.m_vStatDetectors[0].getDetectorName(), int(DETECTOR_FLOW_DENSITY));
    QCOMPARE(doc.m_vStatDetectors[1].getDetectorName(), int(DETECTOR_OCCUPANCY));
    QCOMPARE(doc.m_vStatDetectors[1].getParamA(), 3);
}

void DetectorsDialogTest::refusedNumbersKeepTheStoredValue_data() {
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("word in the interval") << int(DetectorsDialog::IntervalColumn) << "often"
                                          << "60";
    QTest::newRow("empty location") << int(DetectorsDialog::ParamAColumn) << ""
                                    << "1000";
    QTest::newRow("fraction of a metre") << int(DetectorsDialog::ParamAColumn) << "12.5"
                                         << "1000";
    QTest::newRow("whole number taken") << int(DetectorsDialog::ParamAColumn) << " 12 "
                                        << "12";
}

void DetectorsDialogTest::refusedNumbersKeepTheStoredValue() {
    QFETCH(int, column);
    QFETCH(QString, text);
    QFETCH(QString, shown);
    CSettings settings;
    RecordingHost host;
    CTarloDoc doc(settings, host);
    doc.newProject();
    DetectorsDialog dialog(doc, host);
    dialog.grid()->item(0, column)->setText(text);
    QCOMPARE(dialog.grid()->item(0, column)->text(), shown);
    const CStatDetector& detector = dialog.detectors()[0];
    QCOMPARE(QString::number(column == DetectorsDialog::IntervalColumn ? detector.getTimeInterval()
                                                                       : detector.getParamA()),
             shown);
}

void DetectorsDialogTest::theKindDecidesWhichParametersAreUsed_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QStringList>("tips");
    QTest::newRow("point") << "Headway" << QStringList{"Location (m)", "", ""};
    QTest::newRow("segment") << "Macro Segment" << QStringList{"Start (m)", "End (m)", ""};
    QTest::newRow("array") << "S-T SMS" << QStringList{"Start (m)", "Interval (m)", "End (m)"};
    QTest::newRow("lane change") << "Lane Changes" << QStringList{"Interval (m)", "", ""};
}

void DetectorsDialogTest::theKindDecidesWhichParametersAreUsed() {
    QFETCH(QString, kind);
    QFETCH(QStringList, tips);
    CSettings settings;
    RecordingHost host;
    CTarloDoc doc(settings, host);
    doc.newProject();
    DetectorsDialog dialog(doc, host);
    box(dialog, 0, DetectorsDialog::TypeColumn)->setCurrentText(kind);
    for (int i = 0; i < 3; ++i) {
        const QTableWidgetItem* cell = dialog.grid()->item(0, DetectorsDialog::ParamAColumn + i);
        QCOMPARE(cell->toolTip(), tips[i]);
        QCOMPARE(bool(cell->flags() & Qt::ItemIsEditable), !tips[i].isEmpty());
    }
}

} // namespace tarlo::test

QTEST_MAIN(tarlo::test::DetectorsDialogTest)
#include "DetectorsDialogTest.moc"
