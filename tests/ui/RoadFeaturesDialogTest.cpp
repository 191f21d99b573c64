#include "ui/dialogs/RoadFeaturesDialog.h"
#include "project/CTarloDoc.h"
#include "project/settings/CSettings.h"
#include "support/RecordingHost.h"
#include "ui/UiFixture.h"

#include <QComboBox>
#include <QTableWidget>
#include <QtTest>

namespace tarlo::test {

// The road feature grid over a new project's one speed limit.
class RoadFeaturesDialogTest : public QObject {
    Q_OBJECT

private slots:
    void cancelLeavesTheDocumentUnchanged();
    void okReplacesTheDocumentsFeatures();
    void deletingWithNoFeatureSelectedSaysSo();
};

void RoadFeaturesDialogTest::cancelLeavesTheDocumentUnchanged() {
    CSettings settings;
    RecordingHost host;
    CTarloDoc doc(settings, host);
    doc.newProject();
    doc.setModified(false);
    RoadFeaturesDialog dialog(doc, host);
    dialog.addFeature();
    dialog.grid()->item(0, 5)->setText("80");
    dialog.reject();
    QCOMPARE(doc.m_vRoadFeatures.size(), std::size_t(1));
    QCOMPARE(doc.m_vRoadFeatures[0].getValue(), 120.0);
    QVERIFY(!doc.isModified());
}

void RoadFeaturesDialogTest::okReplacesTheDocumentsFeatures() {
    CSettings settings;
    RecordingHost host;
    CTarloDoc doc(settings, host);
    doc.newProject();
    const std::string name = doc.m_vRoadFeatures[0].getDescription();
    RoadFeaturesDialog dialog(doc, host);
    dialog.show();
    saveForLooking(dialog.grab().toImage(), "RoadFeaturesDialog");
    QCOMPARE(dialog.grid()->verticalHeaderItem(0)->text(), QString("Feature 1"));
    QCOMPARE(dialog.grid()->item(0, 5)->text(), QString("120.000000000"));
    static_cast<QComboBox*>(dialog.grid()->cellWidget(0, 0))->setCurrentText("Gradient");
    dialog.grid()->item(0, 5)->setText("4");
    dialog.grid()->item(0, 4)->setText("500");
    dialog.addFeature();
    dialog.accept();
    QCOMPARE(doc.m_vRoadFeatures.size(), std::size_t(2));
    QCOMPARE(doc.m_vRoadFeatures[0].getType(), int(CRoadFeature::Gradient));
    QCOMPARE(doc.m_vRoadFeatures[0].getValue(), 4.0);
    QCOMPARE(doc.m_vRoadFeatures[0].getEnd(), 500);
    QCOMPARE(doc.m_vRoadFeatures[0].getDescription(), name);
    QVERIFY(doc.isModified());
}

void RoadFeaturesDialogTest::deletingWithNoFeatureSelectedSaysSo() {
    CSettings settings;
    RecordingHost host;
    CTarloDoc doc(settings, host);
    doc.newProject();
    RoadFeaturesDialog dialog(doc, host);
    dialog.grid()->clearSelection();
    dialog.grid()->setCurrentCell(-1, -1);
    dialog.deleteFeature();
    QCOMPARE(host.messages.size(), std::size_t(1));
    QCOMPARE(host.messages[0].text, std::string("No road feature to delete."));
    QCOMPARE(dialog.grid()->rowCount(), 1);
}

} // namespace tarlo::test

QTEST_MAIN(tarlo::test::RoadFeaturesDialogTest)
#include "RoadFeaturesDialogTest.moc"
