#include "ui/view/LegendWidget.h"
#include "project/CTarloDoc.h"
#include "project/settings/CSettings.h"
#include "support/RecordingHost.h"
#include "ui/UiFixture.h"
#include "ui/view/RoadPainter.h"
#include "vehicles/CVehicleType.h"

#include <QtTest>

namespace tarlo::test {

// The "Legend" pane, with and without a document.
class LegendWidgetTest : public QObject {
    Q_OBJECT

private slots:
    void withoutDocumentShowsOnlyTheMessage();
    void withDocumentListsEverySymbolAndVehicleType();

private:
    static bool contains(const QImage& image, QColor colour) {
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y) == colour)
                    return true;
        return false;
    }
};

void LegendWidgetTest::withoutDocumentShowsOnlyTheMessage() {
    CSettings settings;
    settings.View.Colours.CLR_LEGEND_TEXT = CSettings::rgb(0, 0, 0);
    LegendWidget legend(settings);
    legend.resize(legend.sizeHint());
    const QImage image = legend.grab().toImage();
    saveForLooking(image, "legend-without-document");
    QVERIFY(contains(image, Qt::black));
    QVERIFY(!contains(image, settingsColour(settings.View.Colours.CLR_FEAT_SPEEDLIMIT)));
}

void LegendWidgetTest::withDocumentListsEverySymbolAndVehicleType() {
    CSettings settings;
    RecordingHost host;
    CTarloDoc doc(settings, host);
    doc.newProject();
    LegendWidget legend(settings);
    const QSize empty = legend.sizeHint();
    legend.setDocument(&doc);
    QVERIFY(legend.sizeHint().height() > 10 * empty.height());
    legend.resize(legend.sizeHint());
    const QImage image = legend.grab().toImage();
    saveForLooking(image, "legend");
    QVERIFY(contains(image, settingsColour(settings.View.Colours.CLR_FEAT_SPEEDLIMIT)));
    QVERIFY(contains(image, settingsColour(settings.View.Colours.CLR_DET_ST_SMS)));
    for (std::size_t i = 0; i < doc.m_pVehicleTypes->size(); ++i)
        QVERIFY(contains(image, settingsColour(doc.m_pVehicleTypes->getType(i)->getColor())));

    legend.setDocument(nullptr);
    QCOMPARE(legend.sizeHint(), empty);
}

} // namespace tarlo::test

QTEST_MAIN(tarlo::test::LegendWidgetTest)
#include "LegendWidgetTest.moc"
