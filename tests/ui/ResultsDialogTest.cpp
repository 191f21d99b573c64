#include "ui/dialogs/ResultsDialog.h"
#include "ui/ShellFixture.h"
#include "ui/UiFixture.h"

#include <filesystem>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QImageReader>
#include <QPushButton>
#include <QScatterSeries>
#include <QTest>

#include <cmath>

using namespace tarlo;
using namespace tarlo::test;

namespace {

const QString resultsFolder = QString(TARLO_TEST_DATA) + "/results";

} // namespace

// The results of a run: the block maxima files read back, their points on Gumbel probability
// paper, and the dialog that shows them.
class ResultsDialogTest : public QObject {
    Q_OBJECT

private slots:
    void blockMaximaFileIsReadBack() {
        const std::optional<BlockMaxima> read =
            BlockMaxima::read(resultsFolder + "/Br_1_BMax_0-20.csv");
        QVERIFY(read);
        QCOMPARE(read->bridge, QString("Bridge 1 (0-20 m)"));
        QCOMPARE(read->loadEffects, QStringList({"LE 1: Mid-span moment", "LE 2: Support shear"}));
        // The second block got no value of the first load effect.
        QCOMPARE(read->maxima[0], QList<QPointF>({{12.5, 340.0}, {150.75, 410.5}, {199.0, 250.0}}));
        QCOMPARE(read->maxima[1],
                 QList<QPointF>({{13.25, 81.5}, {70.0, 95.0}, {151.0, 60.0}, {185.5, 102.5}}));
    }

    void folderHoldsEveryBlockMaximaFile() {
        const std::vector<BlockMaxima> results = BlockMaxima::readFolder(resultsFolder);
        QCOMPARE(results.size(), std::size_t{2});
        QCOMPARE(results[1].bridge, QString("Bridge 2 (40-65.5 m)"));
        QVERIFY(results[1].loadEffects.isEmpty());
        QVERIFY(!BlockMaxima::read(QString(TARLO_TEST_DATA) + "/bridges/il_several.csv"));
    }

    void gumbelPaperSortsTheMaximaAgainstTheReducedVariate() {
        const QList<QPointF> points = gumbelPoints({{5.0, 3.0}, {1.0, 1.0}, {9.0, 2.0}});
        const double expected[][2] = {{1.0, -0.3266343}, {2.0, 0.3665129}, {3.0, 1.2458993}};
        QCOMPARE(points.size(), 3);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(points[i].x(), expected[i][0]);
            QVERIFY2(std::abs(points[i].y() - expected[i][1]) < 1e-6,
                     qPrintable(QString::number(i)));
        }
        QVERIFY(gumbelPoints({}).isEmpty());
    }

    void resultsCommandShowsTheRunsMaximaAndSavesThemAsPng() {
        ShellFixture shell("tarlo-ui-results");
        DocumentWindow* window =
            shell.window->openDocument(QString::fromStdString(shell.writeProject("results.tlp")));
        QVERIFY(window);
        window->document().m_MetricsDir = resultsFolder.toStdString();
        QVERIFY(shell.enabled("showResults"));

        shell.command("showResults")->trigger();
        auto* dialog = shell.window->findChild<ResultsDialog*>();
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QString("Results"));
        QCOMPARE(dialog->bridgeBox()->count(), 2);
        QCOMPARE(dialog->loadEffectBox()->count(), 2);
        QCOMPARE(dialog->timeSeries()->points(),
                 QList<QPointF>({{12.5, 340.0}, {150.75, 410.5}, {199.0, 250.0}}));
        dialog->loadEffectBox()->setCurrentIndex(1);
        QCOMPARE(dialog->timeSeries()->count(), 4);
        QCOMPARE(dialog->gumbelSeries()->at(0).x(), 60.0);
        QCOMPARE(dialog->gumbelSeries()->at(3).x(), 102.5);
        saveForLooking(dialog->grab().toImage(), "results-dialog");

        const QString path = QString::fromStdString(shell.dir.file("maxima.png"));
        shell.dialogs->chartName = path;
        QPushButton* save = nullptr;
        for (QPushButton* button : dialog->findChildren<QPushButton*>())
            if (button->text() == "Save Chart")
                save = button;
        QVERIFY(save);
        save->click();
        QVERIFY(shell.dialogs->shown("Chart saved."));
        QImageReader reader(path);
        QCOMPARE(reader.format(), QByteArray("png"));
        QVERIFY(!reader.read().isNull());

        // A bridge without load effects shows empty charts.
        dialog->bridgeBox()->setCurrentIndex(1);
        QCOMPARE(dialog->timeSeries()->count(), 0);
        QCOMPARE(dialog->gumbelSeries()->count(), 0);
    }

    void folderWithoutMaximaIsReported() {
        ShellFixture shell("tarlo-ui-no-results");
        DocumentWindow* window =
            shell.window->openDocument(QString::fromStdString(shell.writeProject("empty.tlp")));
        QVERIFY(window);
        window->document().m_MetricsDir = shell.dir.file("none");
        shell.command("showResults")->trigger();
        QVERIFY(shell.dialogs->shown("No block maxima were found in the metrics folder."));
        QVERIFY(!shell.window->findChild<ResultsDialog*>());
    }
};

QTEST_MAIN(ResultsDialogTest)
#include "ResultsDialogTest.moc"
