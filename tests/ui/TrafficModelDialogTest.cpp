#include "ui/dialogs/TrafficModelDialog.h"

#include "project/CTarloDoc.h"
#include "project/settings/CSettings.h"
#include "support/RecordingHost.h"
#include "ui/UiFixture.h"
#include "ui/dialogs/DistributionCurve.h"
#include "ui/dialogs/VehicleTypesDialog.h"
#include "vehicles/CContinuousDist.h"
#include "vehicles/CDiscreteDist.h"
#include "vehicles/CParameter.h"
#include "vehicles/CVehicleType.h"

#include <QApplication>
#include <QComboBox>
#include <QLineSeries>
#include <QListWidget>
#include <QStandardItemModel>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

namespace tarlo::test {

// The driver parameters of a new project's vehicle types, edited through the grid.
class TrafficModelDialogTest : public QObject {
    Q_OBJECT

private slots:
    void showsTheDefaultParametersOfTheChosenType();
    void editedParameterReachesTheDocument();
    void cancelLeavesTheDocumentUnchanged();
    void vehicleTypesAreEditedInTheSameCopy();
    void refusedValuesKeepTheStoredOne_data();
    void refusedValuesKeepTheStoredOne();
    void switchingTheDistributionFollowsTheParameterRules_data();
    void switchingTheDistributionFollowsTheParameterRules();
    void discreteParameterIsPickedByNameAndChartedByItsPoints();
    void discreteCannotBeChosenWithoutADistribution();
    void chartFollowsTheChosenParameterAndItsValues();
    void densitiesHoldNearlyAllTheirProbability_data();
    void densitiesHoldNearlyAllTheirProbability();

private:
    struct Project {
        CSettings settings;
        RecordingHost host;
        CTarloDoc doc{settings, host};
        Project() {
            doc.newProject();
            doc.setModified(false);
        }
    };

    // Values 1, 2, 3 with masses 0.2, 0.3, 0.5.
    static CDiscreteDist threePoints(const std::string& name) {
        CDiscreteDist dist(1, name);
        dist.setData({1.0, 2.0, 3.0});
        dist.setPMF({0.2, 0.3, 0.5});
        return dist;
    }

    static const CDistribution& distributionOf(const CVehicleTypes& types, std::size_t type,
                                               int kind) {
        return *types.getType(type)->getIDMParams()->getParameter(kind)->getDistribution();
    }
};

void TrafficModelDialogTest::showsTheDefaultParametersOfTheChosenType() {
    Project project;
    TrafficModelDialog dialog(project.doc);
    dialog.show();
    saveForLooking(dialog.grab().toImage(), "TrafficModelDialog");
    QCOMPARE(dialog.windowTitle(), QString("IDM Traffic Model Configuration"));
    QCOMPARE(dialog.typeList()->item(0)->text(), QString("1 - Cars"));
    QCOMPARE(dialog.typeList()->item(5)->text(), QString("6 - User-defined"));
    QTableWidget* grid = dialog.parameterGrid();
    QCOMPARE(grid->rowCount(), 10);
    QCOMPARE(grid->verticalHeaderItem(0)->text(), QString("Safe time headway, T (s)"));
    QCOMPARE(grid->verticalHeaderItem(9)->text(),
             QString("Lane change threshold, deltaAth (m/s^2)"));
    QCOMPARE(grid->horizontalHeaderItem(1)->text(), QString("Location/Name"));
    QCOMPARE(dialog.choiceBox(0, TrafficModelDialog::DistributionColumn)->currentText(),
             QString("Normal"));
    QCOMPARE(grid->item(0, TrafficModelDialog::LocationColumn)->text(), QString("1.200000000"));
    QCOMPARE(grid->item(0, TrafficModelDialog::ScaleColumn)->text(), QString("0.050000000"));
    QCOMPARE(dialog.choiceBox(6, TrafficModelDialog::DistributionColumn)->currentText(),
             QString("Constant"));
    QCOMPARE(grid->item(6, TrafficModelDialog::LocationColumn)->text(), QString("4.000000000"));
    QCOMPARE(grid->item(6, TrafficModelDialog::ScaleColumn)->text(), QString());
    QVERIFY(!(grid->item(6, TrafficModelDialog::ScaleColumn)->flags() & Qt::ItemIsEditable));
}

void TrafficModelDialogTest::editedParameterReachesTheDocument() {
    Project project;
    TrafficModelDialog dialog(project.doc);
    dialog.show();
    dialog.typeList()->setCurrentRow(2);
    dialog.parameterGrid()->item(5, TrafficModelDialog::LocationColumn)->setText("90");
    dialog.choiceBox(7, TrafficModelDialog::DistributionColumn)->setCurrentText("Uniform");
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    const CVehicleTypes& types = *project.doc.m_pVehicleTypes;
    const auto& v0 = dynamic_cast<const CContinuousDist&>(distributionOf(types, 2, CParameter::V0));
    QCOMPARE(v0.getLocation(), 90.0);
    QCOMPARE(v0.getScale(), 3.0);
    const auto& polite =
        dynamic_cast<const CContinuousDist&>(distributionOf(types, 2, CParameter::Polite));
    QCOMPARE(polite.getForm(), int(CContinuousDist::Uniform));
    QCOMPARE(distributionOf(types, 0, CParameter::V0).getMean(), 80.0);
    QVERIFY(project.doc.isModified());
}

void TrafficModelDialogTest::cancelLeavesTheDocumentUnchanged() {
    Project project;
    TrafficModelDialog dialog(project.doc);
    dialog.show();
    dialog.parameterGrid()->item(0, TrafficModelDialog::LocationColumn)->setText("3");
    dialog.choiceBox(1, TrafficModelDialog::DistributionColumn)->setCurrentText("Constant");
    dialog.reject();
    const CVehicleTypes& types = *project.doc.m_pVehicleTypes;
    QCOMPARE(distributionOf(types, 0, CParameter::T).getMean(), 1.2);
    QCOMPARE(distributionOf(types, 0, CParameter::A).getType(), int(CDistribution::Continuous));
    QVERIFY(!project.doc.isModified());
}

// The criteria dialog starts from the copy with the parameters edited so far, and hands
// both back.
void TrafficModelDialogTest::vehicleTypesAreEditedInTheSameCopy() {
    Project project;
    TrafficModelDialog dialog(project.doc);
    dialog.show();
    dialog.parameterGrid()->item(0, TrafficModelDialog::LocationColumn)->setText("1.5");
    QTimer::singleShot(0, [] {
        auto* types = qobject_cast<VehicleTypesDialog*>(QApplication::activeModalWidget());
        QVERIFY(types);
        types->criteriaGrid()->item(1, 1)->setText("8");
        types->accept();
    });
    dialog.editVehicleTypes();
    QCOMPARE(dialog.parameterGrid()->item(0, TrafficModelDialog::LocationColumn)->text(),
             QString("1.500000000"));
    dialog.accept();
    const CVehicleTypes& types = *project.doc.m_pVehicleTypes;
    QCOMPARE(types.getType(0)->getCriterion(VehicleTypeCriterion::GVW)->getHigh(), 8.0);
    QCOMPARE(distributionOf(types, 0, CParameter::T).getMean(), 1.5);
}

void TrafficModelDialogTest::refusedValuesKeepTheStoredOne_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("word as a location") << 0 << int(TrafficModelDialog::LocationColumn) << "slow"
                                        << "1.200000000";
    QTest::newRow("empty scale") << 0 << int(TrafficModelDialog::ScaleColumn) << ""
                                 << "0.050000000";
    QTest::newRow("two numbers as a constant")
        << 6 << int(TrafficModelDialog::LocationColumn) << "4 5"
        << "4.000000000";
    QTest::newRow("a number is taken") << 0 << int(TrafficModelDialog::ShapeColumn) << " 0.5 "
                                       << "0.500000000";
}

void TrafficModelDialogTest::refusedValuesKeepTheStoredOne() {
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(QString, text);
    QFETCH(QString, shown);
    Project project;
    TrafficModelDialog dialog(project.doc);
    dialog.parameterGrid()->item(row, column)->setText(text);
    QCOMPARE(dialog.parameterGrid()->item(row, column)->text(), shown);
}

void TrafficModelDialogTest::switchingTheDistributionFollowsTheParameterRules_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("choice");
    QTest::addColumn<int>("kind");
    QTest::addColumn<double>("location");
    QTest::addColumn<QString>("scale");
    // A constant of 4 keeps its value as location, with the scale 2 of a new distribution.
    QTest::newRow("constant to uniform")
        << 6 << "Uniform" << int(CDistribution::Continuous) << 4.0 << "2.000000000";
    QTest::newRow("normal to constant")
        << 0 << "Constant" << int(CDistribution::Constant) << 1.2 << "";
    QTest::newRow("normal to gumbel keeps the values")
        << 0 << "Gumbel" << int(CDistribution::Continuous) << 1.2 << "0.050000000";
}

void TrafficModelDialogTest::switchingTheDistributionFollowsTheParameterRules() {
    QFETCH(int, row);
    QFETCH(QString, choice);
    QFETCH(int, kind);
    QFETCH(double, location);
    QFETCH(QString, scale);
    Project project;
    TrafficModelDialog dialog(project.doc);
    dialog.choiceBox(row, TrafficModelDialog::DistributionColumn)->setCurrentText(choice);
    const CDistribution& dist = distributionOf(dialog.types(), 0, CParameter::T + row);
    QCOMPARE(dist.getType(), kind);
    QCOMPARE(dist.getMean(), location);
    QCOMPARE(dialog.parameterGrid()->item(row, TrafficModelDialog::ScaleColumn)->text(), scale);
    QCOMPARE(dialog.choiceBox(row, TrafficModelDialog::DistributionColumn)->currentText(), choice);
}

void TrafficModelDialogTest::discreteParameterIsPickedByNameAndChartedByItsPoints() {
    Project project;
    project.doc.m_vDiscreteDists.push_back(CDiscreteDist(1, "Flat"));
    project.doc.m_vDiscreteDists.push_back(threePoints("Three points"));
    TrafficModelDialog dialog(project.doc);
    dialog.show();
    dialog.parameterGrid()->setCurrentCell(3, TrafficModelDialog::LocationColumn);
    dialog.choiceBox(3, TrafficModelDialog::DistributionColumn)->setCurrentText("Discrete");
    QComboBox* names = dialog.choiceBox(3, TrafficModelDialog::LocationColumn);
    QVERIFY(names);
    QCOMPARE(names->currentText(), QString("Flat"));
    names->setCurrentText("Three points");
    saveForLooking(dialog.grab().toImage(), "TrafficModelDialogDiscrete");
    const QList<QPointF> expected{{1.0, 0.2}, {2.0, 0.3}, {3.0, 0.5}};
    QCOMPARE(dialog.series()->points(), expected);
    dialog.accept();
    const auto& s0 = dynamic_cast<const CDiscreteDist&>(
        distributionOf(*project.doc.m_pVehicleTypes, 0, CParameter::S0));
    QCOMPARE(s0.getDescription(), std::string("Three points"));
    QCOMPARE(s0.getMean(), 2.3);
}

void TrafficModelDialogTest::discreteCannotBeChosenWithoutADistribution() {
    Project project;
    TrafficModelDialog dialog(project.doc);
    QComboBox* box = dialog.choiceBox(0, TrafficModelDialog::DistributionColumn);
    const auto* model = static_cast<const QStandardItemModel*>(box->model());
    QVERIFY(!model->item(box->findText("Discrete"))->isEnabled());
    box->setCurrentText("Discrete");
    QCOMPARE(distributionOf(dialog.types(), 0, CParameter::T).getType(),
             int(CDistribution::Continuous));
    QCOMPARE(box->currentText(), QString("Normal"));
}

void TrafficModelDialogTest::chartFollowsTheChosenParameterAndItsValues() {
    Project project;
    TrafficModelDialog dialog(project.doc);
    dialog.show();
    dialog.parameterGrid()->setCurrentCell(6, TrafficModelDialog::LocationColumn);
    // A constant is a unit spike at its value.
    QCOMPARE(dialog.series()->points(), (QList<QPointF>{{4.0, 0.0}, {4.0, 1.0}}));
    dialog.parameterGrid()->item(6, TrafficModelDialog::LocationColumn)->setText("5");
    QCOMPARE(dialog.series()->points(), (QList<QPointF>{{5.0, 0.0}, {5.0, 1.0}}));
    // The default T is normal about 1.2 with deviation 0.05: its peak is at 1.2.
    dialog.parameterGrid()->setCurrentCell(0, TrafficModelDialog::LocationColumn);
    const QList<QPointF> points = dialog.series()->points();
    QVERIFY(points.size() > 10);
    const auto peak = std::max_element(points.begin(), points.end(),
                                       [](QPointF a, QPointF b) { return a.y() < b.y(); });
    QVERIFY(std::abs(peak->x() - 1.2) < 0.01);
    QVERIFY(std::abs(peak->y() - 1.0 / (0.05 * std::sqrt(2.0 * M_PI))) < 0.01);
}

void TrafficModelDialogTest::densitiesHoldNearlyAllTheirProbability_data() {
    QTest::addColumn<int>("form");
    QTest::addColumn<double>("location");
    QTest::addColumn<double>("scale");
    QTest::addColumn<double>("shape");
    QTest::addColumn<double>("mean");
    QTest::newRow("normal") << int(CContinuousDist::Normal) << 80.0 << 3.0 << 0.0 << 80.0;
    QTest::newRow("uniform") << int(CContinuousDist::Uniform) << 10.0 << 2.0 << 0.0 << 10.0;
    QTest::newRow("poisson") << int(CContinuousDist::Poisson) << 5.0 << 4.0 << 0.0 << 4.5;
    QTest::newRow("exponential") << int(CContinuousDist::Exponential) << 1.0 << 2.0 << 0.0 << 3.0;
    // Drawn with a spread of 1 / scale: the mean is location + 0.5772 / scale.
    QTest::newRow("gumbel") << int(CContinuousDist::Gumbel) << 10.0 << 2.0 << 0.0
                            << 10.0 + 0.5772157 / 2.0;
    QTest::newRow("log-normal") << int(CContinuousDist::LogNormal) << 0.0 << 0.25 << 0.0
                                << std::exp(0.25 * 0.25 / 2.0);
    // Shape 3 divided by the rate 2.
    QTest::newRow("gamma") << int(CContinuousDist::Gamma) << 3.0 << 2.0 << 0.0 << 1.5;
    QTest::newRow("gev") << int(CContinuousDist::GEV) << 0.0 << 1.0 << 0.1
                         << (1.0 - std::tgamma(1.1)) / 0.1;
}

// A density sampled with the wrong reading of its scale loses or gains probability, and its
// mean moves away from the mean of the draws.
void TrafficModelDialogTest::densitiesHoldNearlyAllTheirProbability() {
    QFETCH(int, form);
    QFETCH(double, location);
    QFETCH(double, scale);
    QFETCH(double, shape);
    QFETCH(double, mean);
    const auto curve = distributionCurve(CContinuousDist(form, location, scale, shape));
    QVERIFY(curve.size() >= 4);
    double mass = 0.0;
    double moment = 0.0;
    for (std::size_t i = 1; i < curve.size(); ++i) {
        const double width = curve[i].first - curve[i - 1].first;
        const double height = (curve[i].second + curve[i - 1].second) / 2.0;
        mass += width * height;
        moment += width * height * (curve[i].first + curve[i - 1].first) / 2.0;
    }
    QVERIFY2(std::abs(mass - 1.0) < 0.02, qPrintable(QString::number(mass)));
    QVERIFY2(std::abs(moment / mass - mean) < 0.02 * std::max(1.0, std::abs(mean)),
             qPrintable(QString::number(moment / mass)));
}

} // namespace tarlo::test

QTEST_MAIN(tarlo::test::TrafficModelDialogTest)
#include "TrafficModelDialogTest.moc"
