#include "ui/dialogs/GraphicsPreferencesDialog.h"

#include "project/settings/CSettings.h"
#include "ui/UiFixture.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace tarlo::test {

// The graphics preferences edited through the dialog's fields and stored on OK.
class GraphicsPreferencesDialogTest : public QObject {
    Q_OBJECT

private slots:
    void showsTheColoursInTheWindowOrder();
    void acceptedValuesAreStored();
    void refusedValuesAreKept_data();
    void refusedValuesAreKept();
    void cancelStoresNothing();
    void rendersForLooking();
};

void GraphicsPreferencesDialogTest::showsTheColoursInTheWindowOrder() {
    CSettings settings;
    GraphicsPreferencesDialog dialog(settings);
    const QList<QPushButton*> buttons = dialog.findChildren<QPushButton*>();
    QStringList labels;
    for (QPushButton* button : buttons)
        if (dialog.colourButton(button->objectName()) == button)
            labels << button->objectName();
    QCOMPARE(labels.size(), 24);
    QCOMPARE(labels.first(), QString("Background"));
    QCOMPARE(labels[12], QString("Macro-stats detector"));
    QCOMPARE(labels.last(), QString("Gap feature"));
    QCOMPARE(dialog.colour("Road surface"), QColor(200, 200, 200));
    QCOMPARE(dialog.field("Wide pen width (pixels)")->text(), QString("3"));
    QCOMPARE(dialog.field("Det. width (px)")->text(), QString("80"));
    QVERIFY(!dialog.field("Zoom step"));
}

void GraphicsPreferencesDialogTest::acceptedValuesAreStored() {
    CSettings settings;
    GraphicsPreferencesDialog dialog(settings);
    dialog.show();
    dialog.field("Thin pen width (pixels)")->setText("2.5");
    dialog.field("Vehicle height (px)")->setText("14");
    dialog.setColour("Road surface", QColor(10, 20, 30));
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(settings.View.PEN_THIN, 2.5);
    QCOMPARE(settings.View.Legend.VEH_BOX_HEIGHT, 14);
    QCOMPARE(settings.View.Colours.CLR_ROAD_SURFACE, CSettings::rgb(10, 20, 30));
    QCOMPARE(settings.View.Colours.CLR_BACKGRND, CSettings::rgb(255, 255, 255));
}

void GraphicsPreferencesDialogTest::refusedValuesAreKept_data() {
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("text");
    QTest::newRow("pen at the tiny limit") << "Wide pen width (pixels)"
                                           << "0.00001";
    QTest::newRow("negative pen") << "Thin pen width (pixels)"
                                  << "-1";
    QTest::newRow("zero legend size") << "Det. line length (px)"
                                      << "0";
    QTest::newRow("fractional legend size") << "Text distance (px)"
                                            << "2.5";
    QTest::newRow("not a number") << "Vehicle width (px)"
                                  << "wide";
}

void GraphicsPreferencesDialogTest::refusedValuesAreKept() {
    QFETCH(QString, label);
    QFETCH(QString, text);
    CSettings settings;
    const CSettings defaults;
    GraphicsPreferencesDialog dialog(settings);
    dialog.show();
    QLineEdit* refused = dialog.field(label);
    const QString before = refused->text();
    refused->setText(text);
    dialog.field("Det. height (px)")->setText("33");
    dialog.accept();

    QVERIFY(dialog.isVisible());
    QCOMPARE(refused->text(), before);
    QCOMPARE(dialog.focusWidget(), refused);
    QCOMPARE(settings.View.Legend.SEG_BOX_HEIGHT, 33);
    CSettings expected;
    expected.View.Legend.SEG_BOX_HEIGHT = 33;
    QVERIFY(settings == expected);

    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!dialog.isVisible());
}

void GraphicsPreferencesDialogTest::cancelStoresNothing() {
    CSettings settings;
    GraphicsPreferencesDialog dialog(settings);
    dialog.show();
    dialog.field("Wide pen width (pixels)")->setText("7");
    dialog.setColour("Background", QColor(1, 2, 3));
    dialog.reject();
    QVERIFY(settings == CSettings());
}

void GraphicsPreferencesDialogTest::rendersForLooking() {
    CSettings settings;
    GraphicsPreferencesDialog dialog(settings);
    dialog.show();
    saveForLooking(dialog.grab().toImage(), "GraphicsPreferencesDialog");
}

} // namespace tarlo::test

QTEST_MAIN(tarlo::test::GraphicsPreferencesDialogTest)
#include "GraphicsPreferencesDialogTest.moc"
