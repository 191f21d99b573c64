#include "bridges/CInfLineDiscrete.h"
#include "project/CTarloDoc.h"
#include "project/settings/CSettings.h"
#include "support/RecordingHost.h"
#include "ui/UiFixture.h"
#include "ui/dialogs/DiscreteDistributionDialog.h"
#include "ui/dialogs/InfluenceLineDialog.h"
#include "vehicles/CDiscreteDist.h"

#include <QLineSeries>
#include <QListWidget>
#include <QTableWidget>
#include <QtTest>

#include <memory>

namespace tarlo::test {

// The distribution and influence-line editors over a project with one of each.
class PointListDialogTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void distributionOkRefusesTheFirstFault_data();
    void distributionOkRefusesTheFirstFault();
    void cancelLeavesTheDocumentUnchanged();
    void okReplacesTheDocumentsList();
    void chartSeriesEqualsTheLinesPoints();
    void gridEditRedrawsTheChart();
    void commandsWithNothingToActOnSayWhy();

private:
    std::unique_ptr<CSettings> m_pSettings;
    std::unique_ptr<RecordingHost> m_pHost;
    std::unique_ptr<CTarloDoc> m_pDoc;
};

void PointListDialogTest::init() {
    m_pSettings = std::make_unique<CSettings>();
    m_pHost = std::make_unique<RecordingHost>();
    m_pDoc = std::make_unique<CTarloDoc>(*m_pSettings, *m_pHost);
    m_pDoc->newProject();
    CDiscreteDist& dist = m_pDoc->addDiscreteDist();
    dist.setData({1.0, 2.0});
    dist.setPMF({0.25, 0.75});
    CInfLineDiscrete& line = m_pDoc->addInfluenceLine();
    line.SetPoints({0.0, 5.0, 10.0}, {0.0, 2.5, 0.0});
    m_pDoc->setModified(false);
}

void PointListDialogTest::cleanup() {
    m_pDoc.reset();
}

void PointListDialogTest::distributionOkRefusesTheFirstFault_data() {
    QTest::addColumn<QList<double>>("data");
    QTest::addColumn<QList<double>>("pmf");
    QTest::addColumn<QString>("message");
    QTest::newRow("different lengths") << QList<double>{1, 2} << QList<double>{1}
                                       << "Distribution 2: Data and PMF different lengths.";
    QTest::newRow("both zero") << QList<double>{1, 0} << QList<double>{0.5, 0}
                               << "Distribution 2: Data and PMF zero at row 2.";
    QTest::newRow("mass above one") << QList<double>{1, 2} << QList<double>{1.5, 0.5}
                                    << "Distribution 2: PMF <= 0 or > 1.0 at row 1.";
    QTest::newRow("negative data")
        << QList<double>{1, -2} << QList<double>{0.5, 0.5} << "Distribution 2: Data < 0 at row 2.";
    QTest::newRow("descending data")
        << QList<double>{2, 1} << QList<double>{0.5, 0.5}
        << "Distribution 2: Data must be positive, or \nnot in ascending order at row 2.";
    QTest::newRow("mass short of one") << QList<double>{1, 2} << QList<double>{0.5, 0.4}
                                       << "Distribution 2: PMF does not sum to 1.0.";
}

void PointListDialogTest::distributionOkRefusesTheFirstFault() {
    QFETCH(QList<double>, data);
    QFETCH(QList<double>, pmf);
    QFETCH(QString, message);
    CDiscreteDist& faulty = m_pDoc->addDiscreteDist();
    faulty.setData({data.begin(), data.end()});
    faulty.setPMF({pmf.begin(), pmf.end()});
    m_pDoc->setModified(false);

    DiscreteDistributionDialog dialog(*m_pDoc, *m_pHost);
    dialog.show();
    dialog.accept();
    QCOMPARE(m_pHost->messages.size(), std::size_t(1));
    QCOMPARE(QString::fromStdString(m_pHost->messages[0].text), message);
    QVERIFY(dialog.isVisible());
    QVERIFY(!m_pDoc->isModified());
}

void PointListDialogTest::cancelLeavesTheDocumentUnchanged() {
    DiscreteDistributionDialog dists(*m_pDoc, *m_pHost);
    dists.addElement();
    dists.reject();
    InfluenceLineDialog lines(*m_pDoc, *m_pHost);
    lines.deleteElement();
    lines.reject();
    QCOMPARE(m_pDoc->m_vDiscreteDists.size(), std::size_t(1));
    QCOMPARE(m_pDoc->m_vInfLines.size(), std::size_t(1));
    QVERIFY(!m_pDoc->isModified());
}

void PointListDialogTest::okReplacesTheDocumentsList() {
    InfluenceLineDialog dialog(*m_pDoc, *m_pHost);
    dialog.show();
    saveForLooking(dialog.grab().toImage(), "InfluenceLineDialog");
    dialog.addElement();
    QCOMPARE(dialog.elementList()->item(1)->text(), QString("2 - New Discrete IL"));
    const int newPoints = dialog.grid()->rowCount();
    dialog.addPoint();
    dialog.grid()->item(0, 0)->setText("4.0");
    dialog.accept();
    QVERIFY(m_pHost->messages.empty());
    QVERIFY(m_pDoc->isModified());
    QCOMPARE(m_pDoc->m_vInfLines.size(), std::size_t(2));
    QCOMPARE(m_pDoc->m_vInfLines[1].GetNoPoints(), newPoints + 1);
    QCOMPARE(m_pDoc->m_vInfLines[1].GetDistances().front(), 4.0);

    DiscreteDistributionDialog dists(*m_pDoc, *m_pHost);
    dists.show();
    saveForLooking(dists.grab().toImage(), "DiscreteDistributionDialog");
    dists.deleteElement();
    dists.accept();
    QVERIFY(m_pDoc->m_vDiscreteDists.empty());
}

void PointListDialogTest::chartSeriesEqualsTheLinesPoints() {
    InfluenceLineDialog dialog(*m_pDoc, *m_pHost);
    QCOMPARE(dialog.series()->points(), (QList<QPointF>{{0.0, 0.0}, {5.0, 2.5}, {10.0, 0.0}}));
    QCOMPARE(dialog.grid()->item(1, 1)->text(), QString("2.500000000"));
}

void PointListDialogTest::gridEditRedrawsTheChart() {
    DiscreteDistributionDialog dialog(*m_pDoc, *m_pHost);
    dialog.grid()->item(1, 0)->setText("3");
    QCOMPARE(dialog.series()->points(), (QList<QPointF>{{1.0, 0.25}, {3.0, 0.75}}));
    QCOMPARE(dialog.distributions()[0].getData(), (std::vector<double>{1.0, 3.0}));
}

void PointListDialogTest::commandsWithNothingToActOnSayWhy() {
    m_pDoc->m_vDiscreteDists.clear();
    DiscreteDistributionDialog dialog(*m_pDoc, *m_pHost);
    dialog.addPoint();
    dialog.deletePoint();
    dialog.deleteElement();
    QCOMPARE(m_pHost->messages.size(), std::size_t(3));
    QCOMPARE(m_pHost->messages[0].text, std::string("No distribution to add row to."));
    QCOMPARE(m_pHost->messages[1].text, std::string("Nothing to delete."));
    QCOMPARE(m_pHost->messages[2].text, std::string("No distribution to delete."));
}

} // namespace tarlo::test

QTEST_MAIN(tarlo::test::PointListDialogTest)
#include "PointListDialogTest.moc"
