#include "ui/ShellFixture.h"
#include "ui/UiFixture.h"
#include "ui/panes/LoadEffectChartPane.h"

#include <filesystem>

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QLineSeries>
#include <QTest>
#include <QValueAxis>

using namespace tarlo;
using namespace tarlo::test;

namespace {

constexpr const char* refusal = "Please select an update time \nless than the Time Span";

DocumentWindow* openDemo(ShellFixture& shell) {
    for (const char* file : {"demo.tlp", "demo.cas", "mid-span-shear.csv"})
        std::filesystem::copy_file(std::string(TARLO_EXAMPLES) + "/demo/" + file,
                                   shell.dir.file(file));
    return shell.window->openDocument(QString::fromStdString(shell.dir.file("demo.tlp")));
}

} // namespace

// The load-effect chart pane: the values of a visible run as they happen, its time-span and
// update selectors, and saving the chart as an image.
class LoadEffectChartTest : public QObject {
    Q_OBJECT

private slots:
    void chartFollowsTheChosenLoadEffectOfAVisibleRun() {
        ShellFixture shell("tarlo-ui-lechart-run");
        DocumentWindow* window = openDemo(shell);
        QVERIFY(window);
        RunControl& control = window->document().runControl();
        LoadEffectChartPane& chart = shell.window->loadEffectChart();
        chart.timeSpanBox()->setValue(20.0);
        chart.updateBox()->setValue(5.0);

        shell.command("runVisible")->trigger();
        QCoreApplication::processEvents();
        QCOMPARE(chart.bridgeBox()->count(),
                 static_cast<int>(window->document().m_vBridges.size()));
        QCOMPARE(chart.bridgeBox()->currentIndex(), 0);
        QCOMPARE(chart.loadEffectBox()->count(),
                 static_cast<int>(window->document().m_vBridges[0].GetLoadEffects().size()));

        int nonZero = 0;
        int received = 0;
        for (int step = 0; step < 1200 && control.m_bRunning; ++step) {
            shell.tick += 250;
            shell.window->idleProcessing();
            const auto& bridges = window->document().sim().road.getBridges();
            const QList<QPointF> points = chart.series()->points();
            if (points.isEmpty() || points.back().x() != control.m_SimTime.load())
                continue;
            // The newest point is the chosen load effect's value at this step.
            const std::vector<double>& values = bridges[0]->GetCurValues();
            const double expected = values.empty() ? 0.0 : values[0];
            QCOMPARE(points.back().y(), expected);
            ++received;
            if (expected != 0.0)
                ++nonZero;
        }
        QVERIFY(received > 100);
        QVERIFY(control.m_bRunning);
        QVERIFY(nonZero > 0);

        // The window has moved on in whole update times and holds only its own points.
        const double start = chart.timeAxis()->min();
        QVERIFY(start > 0.0);
        QCOMPARE(chart.timeAxis()->max() - start, 20.0);
        for (const QPointF& point : chart.series()->points())
            QVERIFY(point.x() >= start && point.x() <= start + 20.0);

        shell.window->resize(1500, 900);
        shell.window->show();
        chart.resize(900, 300);
        saveForLooking(chart.grab().toImage(), "load-effect-chart");

        // Another load effect or bridge starts its chart afresh.
        chart.bridgeBox()->setCurrentIndex(chart.bridgeBox()->count() - 1);
        QCOMPARE(chart.series()->count(), 0);
        shell.command("stop")->trigger();
    }

    void updateTimeNotBelowTheTimeSpanIsRefused_data() {
        QTest::addColumn<bool>("editSpan");
        QTest::addColumn<double>("entered");
        QTest::addColumn<bool>("refused");
        QTest::newRow("update equal to the span") << false << 60.0 << true;
        QTest::newRow("update above the span") << false << 75.0 << true;
        QTest::newRow("update below the span") << false << 59.9 << false;
        QTest::newRow("span down to the update") << true << 10.0 << true;
        QTest::newRow("span below the update") << true << 4.0 << true;
        QTest::newRow("span above the update") << true << 12.0 << false;
    }
    void updateTimeNotBelowTheTimeSpanIsRefused() {
        QFETCH(bool, editSpan);
        QFETCH(double, entered);
        QFETCH(bool, refused);
        ShellFixture shell("tarlo-ui-lechart-update");
        LoadEffectChartPane& chart = shell.window->loadEffectChart();
        QCOMPARE(chart.timeSpanBox()->value(), 60.0);
        QCOMPARE(chart.updateBox()->value(), 10.0);
        QDoubleSpinBox* edited = editSpan ? chart.timeSpanBox() : chart.updateBox();
        const double before = edited->value();

        edited->setValue(entered);

        QCOMPARE(shell.dialogs->shown(refusal), refused);
        if (refused) {
            QCOMPARE(shell.dialogs->messages.back().icon, MessageIcon::Exclamation);
            QCOMPARE(edited->value(), before);
        } else {
            QCOMPARE(edited->value(), entered);
            QCOMPARE(chart.timeAxis()->max() - chart.timeAxis()->min(),
                     chart.timeSpanBox()->value());
        }
    }

    void saveChartWritesTheFormatOfTheExtension_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("format");
        QTest::newRow("bitmap") << "chart.bmp" << QByteArray("bmp");
        QTest::newRow("jpeg") << "chart.jpg" << QByteArray("jpeg");
        QTest::newRow("png") << "chart.png" << QByteArray("png");
        QTest::newRow("png, upper case") << "CHART.PNG" << QByteArray("png");
        QTest::newRow("gif") << "chart.gif" << QByteArray("gif");
        QTest::newRow("unknown extension") << "chart.txt" << QByteArray();
    }
    void saveChartWritesTheFormatOfTheExtension() {
        QFETCH(QString, file);
        QFETCH(QByteArray, format);
        ShellFixture shell("tarlo-ui-lechart-save");
        shell.window->show();
        const QString path = QString::fromStdString(shell.dir.file(file.toStdString()));
        shell.dialogs->chartName = path;
        const bool writable =
            !format.isEmpty() && QImageWriter::supportedImageFormats().contains(format);

        shell.command("saveChart")->trigger();

        QCOMPARE(shell.dialogs->shown("Chart saved."), writable);
        QCOMPARE(shell.dialogs->shown("Chart saving failed."), !writable);
        if (!writable) {
            QVERIFY(!QFileInfo::exists(path));
            return;
        }
        QImageReader reader(path);
        QCOMPARE(reader.format(), format);
        QVERIFY(!reader.read().isNull());
    }

    void cancelledSaveChartWritesNothing() {
        ShellFixture shell("tarlo-ui-lechart-cancel");
        shell.command("saveChart")->trigger();
        QVERIFY(shell.dialogs->messages.empty());
    }
};

QTEST_MAIN(LoadEffectChartTest)
#include "LoadEffectChartTest.moc"
