#include "ui/dialogs/VehicleTypesDialog.h"

#include "engine/Vehicle.h"
#include "project/settings/CSettings.h"
#include "ui/UiFixture.h"
#include "vehicles/CVehicleType.h"

#include <QComboBox>
#include <QListWidget>
#include <QTableWidget>
#include <QtTest>

namespace tarlo::test {

// The vehicle types edited through the dialog's grid, as a user would.
class VehicleTypesDialogTest : public QObject {
    Q_OBJECT

private slots:
    void showsTheCriteriaOfTheChosenType();
    void editedLimitChangesTheClassification();
    void cancelLeavesTheTypesUnchanged();
    void refusedLimitsKeepTheStoredValue_data();
    void refusedLimitsKeepTheStoredValue();
    void importanceAndColourAreStored();
    void rendersForLooking();

private:
    // A two-axle vehicle of 10 t, 4 m long: a Car with the default types.
    static Vehicle smallCar(const CSettings& settings) {
        Vehicle vehicle(settings);
        vehicle.noAxles = 2;
        vehicle.gvw = 10 * 9.81;
        vehicle.length = 4.0;
        vehicle.axles[0].spacing = 2.5;
        return vehicle;
    }
};

void VehicleTypesDialogTest::showsTheCriteriaOfTheChosenType() {
    const CVehicleTypes types;
    VehicleTypesDialog dialog(types);
    QCOMPARE(dialog.windowTitle(), QString("Vehicle Type Definitions"));
    QCOMPARE(dialog.typeList()->item(0)->text(), QString("1 - Car"));
    QCOMPARE(dialog.typeList()->item(5)->text(), QString("6 - User-defined"));
    QTableWidget* grid = dialog.criteriaGrid();
    QCOMPARE(grid->horizontalHeaderItem(0)->text(), QString("Low Inclusive Limit"));
    QCOMPARE(grid->horizontalHeaderItem(1)->text(), QString("High Inclusive Limit"));
    QCOMPARE(grid->verticalHeaderItem(1)->text(), QString("GVW (t)"));
    QCOMPARE(grid->verticalHeaderItem(5)->text(), QString("Max Axle Spacing (m)"));
    QCOMPARE(grid->item(1, 1)->text(), QString("35.000000000"));
    QCOMPARE(dialog.importance()->itemText(2), QString("3 - Priority"));
}

void VehicleTypesDialogTest::editedLimitChangesTheClassification() {
    const CSettings settings;
    const Vehicle vehicle = smallCar(settings);
    const CVehicleTypes types;
    QCOMPARE(types.classify(vehicle)->getClass(), int(CVehicleType::Car));

    VehicleTypesDialog dialog(types);
    dialog.show();
    dialog.typeList()->setCurrentRow(0);
    dialog.criteriaGrid()->item(1, 1)->setText("8");
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.types().getType(0)->getCriterion(VehicleTypeCriterion::GVW)->getHigh(), 8.0);
    QCOMPARE(dialog.types().classify(vehicle)->getClass(), int(CVehicleType::SmallTruck));
}

void VehicleTypesDialogTest::cancelLeavesTheTypesUnchanged() {
    const CVehicleTypes types;
    VehicleTypesDialog dialog(types);
    dialog.show();
    dialog.typeList()->setCurrentRow(2);
    dialog.criteriaGrid()->item(0, 0)->setText("7");
    dialog.reject();
    QCOMPARE(types.getType(2)->getCriterion(VehicleTypeCriterion::NoAxles)->getLow(),
             CVehicleTypes().getType(2)->getCriterion(VehicleTypeCriterion::NoAxles)->getLow());
}

void VehicleTypesDialogTest::refusedLimitsKeepTheStoredValue_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("word") << "heavy";
    QTest::newRow("empty") << "";
    QTest::newRow("two numbers") << "1 2";
}

void VehicleTypesDialogTest::refusedLimitsKeepTheStoredValue() {
    QFETCH(QString, text);
    const CVehicleTypes types;
    VehicleTypesDialog dialog(types);
    dialog.criteriaGrid()->item(2, 1)->setText(text);
    QCOMPARE(dialog.criteriaGrid()->item(2, 1)->text(), QString("50.000000000"));
    QCOMPARE(dialog.types().getType(0)->getCriterion(VehicleTypeCriterion::Length)->getHigh(),
             50.0);
}

void VehicleTypesDialogTest::importanceAndColourAreStored() {
    const CVehicleTypes types;
    VehicleTypesDialog dialog(types);
    dialog.typeList()->setCurrentRow(3);
    dialog.importance()->setCurrentIndex(2);
    dialog.setColour(QColor(0x11, 0x22, 0x33));
    QCOMPARE(dialog.types().getType(3)->getImportance(), 2);
    QCOMPARE(dialog.types().getType(3)->getColor(), std::uint32_t(0x332211));
    dialog.typeList()->setCurrentRow(0);
    QCOMPARE(dialog.importance()->currentIndex(), 0);
}

void VehicleTypesDialogTest::rendersForLooking() {
    const CVehicleTypes types;
    VehicleTypesDialog dialog(types);
    dialog.show();
    saveForLooking(dialog.grab().toImage(), "VehicleTypesDialog");
}

} // namespace tarlo::test

QTEST_MAIN(tarlo::test::VehicleTypesDialogTest)
#include "VehicleTypesDialogTest.moc"
