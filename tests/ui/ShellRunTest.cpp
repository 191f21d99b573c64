#include "ui/ShellFixture.h"
#include "ui/panes/ElementTreePane.h"
#include "ui/panes/LoadEffectsPane.h"
#include "ui/panes/SettingsPane.h"
#include "ui/view/CTarloView.h"
#include "ui/widgets/PropertyGrid.h"

#include <condition_variable>
#include <filesystem>
#include <mutex>

#include <QListWidget>
#include <QPlainTextEdit>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QTest>
#include <QThread>
#include <QTreeView>

using namespace tarlo;
using namespace tarlo::test;

namespace {

// Holds a worker thread that reads the clock until the test lets it go on.
class WorkerGate {
public:
    void holdWorker() {
        if (QThread::currentThread() == QCoreApplication::instance()->thread())
            return;
        std::unique_lock lock(m_Mutex);
        m_bHeld = true;
        m_Changed.notify_all();
        m_Changed.wait(lock, [this] { return m_bReleased; });
    }
    void waitUntilHeld() {
        std::unique_lock lock(m_Mutex);
        m_Changed.wait(lock, [this] { return m_bHeld; });
    }
    void release() {
        std::lock_guard lock(m_Mutex);
        m_bReleased = true;
        m_Changed.notify_all();
    }

private:
    std::mutex m_Mutex;
    std::condition_variable m_Changed;
    bool m_bHeld = false;
    bool m_bReleased = false;
};

} // namespace

// The run commands of the main window: their enabling across a run's states, visible runs
// paced by the idle processing with a hand-driven clock, and invisible runs.
class ShellRunTest : public QObject {
    Q_OBJECT

    struct Expected {
        const char* command;
        bool enabled;
    };

    static void expectCommands(ShellFixture& shell, const std::vector<Expected>& expected,
                               const char* state) {
        for (const Expected& e : expected)
            QVERIFY2(shell.enabled(e.command) == e.enabled,
                     qPrintable(QString("%1 in state %2").arg(e.command).arg(state)));
    }

private slots:
    void commandsFollowTheRunState() {
        ShellFixture shell("tarlo-ui-enabling");
        expectCommands(shell,
                       {{"new", true},
                        {"open", true},
                        {"runVisible", false},
                        {"runInvisible", false},
                        {"stop", false},
                        {"addBridge", false},
                        {"zoomIn", false}},
                       "no document");

        DocumentWindow* window =
            shell.window->openDocument(QString::fromStdString(shell.writeProject("enabling.tlp")));
        QVERIFY(window);
        const std::vector<Expected> idle{
            {"runVisible", true}, {"runInvisible", true},  {"singleStep", true},
            {"pause", false},     {"stop", false},         {"speedUp", false},
            {"slowDown", false},  {"muteDetectors", true}, {"muteBridges", true},
            {"addBridge", true},  {"addFeature400", true}, {"addDetector520", true},
            {"delete", true},     {"rename", true},        {"save", true},
            {"new", true},        {"open", true},          {"zoomIn", true}};
        expectCommands(shell, idle, "idle");

        shell.command("runVisible")->trigger();
        expectCommands(shell,
                       {{"runVisible", false},
                        {"runInvisible", false},
                        {"singleStep", false},
                        {"pause", true},
                        {"stop", true},
                        {"speedUp", true},
                        {"slowDown", true},
                        {"muteDetectors", false},
                        {"muteBridges", false},
                        {"addBridge", false},
                        {"addFeature406", false},
                        {"addDetector529", false},
                        {"delete", false},
                        {"rename", false},
                        {"save", false},
                        {"new", true}},
                       "visible");
        QCOMPARE(shell.command("pause")->text(), QString("&Pause\tF9"));
        QVERIFY(shell.window->isIdleTimerActive());
        QVERIFY(!shell.window->propertyGrid().isEnabled());
        QVERIFY(!shell.window->settingsPane().isEnabled());

        shell.command("pause")->trigger();
        expectCommands(shell,
                       {{"runVisible", true},
                        {"singleStep", true},
                        {"pause", true},
                        {"stop", true},
                        {"runInvisible", false},
                        {"addBridge", false}},
                       "paused");
        QCOMPARE(shell.command("pause")->text(), QString("&Resume\tF9"));

        shell.command("stop")->trigger();
        expectCommands(shell, idle, "stopped");
        QVERIFY(shell.window->propertyGrid().isEnabled());
        QVERIFY(shell.window->settingsPane().isEnabled());
        QCOMPARE(shell.command("pause")->text(), QString("&Pause\tF9"));
        QVERIFY(!shell.window->isIdleTimerActive());

        WorkerGate gate;
        shell.window->setTickSource([&] {
            gate.holdWorker();
            return shell.tick.load();
        });
        shell.command("runInvisible")->trigger();
        gate.waitUntilHeld();
        expectCommands(shell,
                       {{"runVisible", false},
                        {"runInvisible", false},
                        {"singleStep", false},
                        {"pause", false},
                        {"stop", true},
                        {"speedUp", false},
                        {"muteDetectors", false},
                        {"addBridge", false},
                        {"new", false},
                        {"open", false}},
                       "invisible");
        shell.command("stop")->trigger();
        // The stopped worker is still in its set-up, reading the elements: they stay locked.
        expectCommands(shell,
                       {{"runInvisible", true},
                        {"stop", false},
                        {"addBridge", false},
                        {"delete", false},
                        {"rename", false},
                        {"save", false},
                        {"new", true},
                        {"open", true}},
                       "stopped invisible, worker in set-up");
        gate.release();
        window->document().runControl().waitForInvisibleRun();
        QCoreApplication::processEvents();
        expectCommands(shell, idle, "stopped invisible");
    }

    void muteCommandsShowTheirCheckMarks() {
        ShellFixture shell("tarlo-ui-mute");
        shell.window->openDocument(QString::fromStdString(shell.writeProject("mute.tlp")));
        QAction* mute = shell.command("muteDetectors");
        QVERIFY(!mute->isChecked());
        mute->trigger();
        QVERIFY(mute->isChecked());
        QVERIFY(shell.window->activeDocumentWindow()->document().runControl().m_bMuteDetectors);
        QVERIFY(!shell.command("muteBridges")->isChecked());
        QVERIFY(shell.logHas("| Mute detectors on"));
    }

    void visibleRunIsSteppedByTheIdleProcessingUntilItEnds() {
        ShellFixture shell("tarlo-ui-visible");
        DocumentWindow* window =
            shell.window->openDocument(QString::fromStdString(shell.writeProject("visible.tlp")));
        QVERIFY(window);
        RunControl& control = window->document().runControl();

        shell.command("runVisible")->trigger();
        QVERIFY(control.m_bRunning);
        QCoreApplication::processEvents(); // the run-started notification
        const int rounds = shell.runToEnd(control);
        QVERIFY(!control.m_bRunning);
        QVERIFY(rounds > 1);

        QVERIFY(shell.logHas("visible.tlp| Validating simulation"));
        QVERIFY(shell.logHas("visible.tlp| Preparing visible simulation..."));
        QVERIFY(shell.logHas("visible.tlp| No. vehicles in input traffic file: 4"));
        QVERIFY(shell.logHas("visible.tlp| Simulation running..."));
        QVERIFY(shell.logHas("visible.tlp| Simulation completed - duration: "));
        QVERIFY(shell.dialogs->shown("The simulation has finished."));
        QVERIFY(shell.window->validationPane().lines().last().contains("Validation succesful!"));
        // An idle window does not keep polling.
        QVERIFY(!shell.window->isIdleTimerActive());
        QVERIFY(shell.enabled("runVisible"));
        QVERIFY(!shell.enabled("stop"));
    }

    void singleStepLeavesTheRunPaused() {
        ShellFixture shell("tarlo-ui-step");
        DocumentWindow* window =
            shell.window->openDocument(QString::fromStdString(shell.writeProject("step.tlp")));
        RunControl& control = window->document().runControl();

        shell.command("singleStep")->trigger();
        QVERIFY(control.m_bRunning);
        QVERIFY(control.m_bPaused);
        const double first = control.m_SimTime.load();
        QVERIFY(shell.logHas("step.tlp| Single step"));
        QCOMPARE(shell.command("pause")->text(), QString("&Resume\tF9"));

        // Paused, the idle processing takes no step however far the clock moves.
        shell.tick += 10000;
        shell.window->idleProcessing();
        QCOMPARE(control.m_SimTime.load(), first);

        shell.command("singleStep")->trigger();
        QCOMPARE(control.m_SimTime.load(), first + 0.25);
        shell.command("stop")->trigger();
        QVERIFY(!control.m_bRunning);
    }

    void stopEndsAnInvisibleRunAtOnce() {
        ShellFixture shell("tarlo-ui-stop");
        DocumentWindow* window =
            shell.window->openDocument(QString::fromStdString(shell.writeProject("stop.tlp")));
        RunControl& control = window->document().runControl();
        // The worker's set-up reads the clock: held there, the run is surely still going
        // when Stop comes.
        WorkerGate gate;
        shell.window->setTickSource([&] {
            gate.holdWorker();
            return shell.tick.load();
        });

        shell.command("runInvisible")->trigger();
        QVERIFY(control.m_bInvisibleRun);
        QVERIFY(shell.window->isIdleTimerActive());
        gate.waitUntilHeld();
        // The window stays responsive: the idle processing shows the progress meanwhile.
        shell.window->idleProcessing();
        QVERIFY(shell.window->statusBar()->currentMessage().contains("of the traffic file read"));

        shell.command("stop")->trigger();
        QVERIFY(!control.m_bRunning);
        QVERIFY(shell.logHas("stop.tlp| Simulation stopped"));
        QVERIFY(shell.enabled("runInvisible"));
        QVERIFY(!shell.window->isIdleTimerActive());
        gate.release();
        control.waitForInvisibleRun();
        QCoreApplication::processEvents();
        QVERIFY(!shell.logHas("Simulation completed"));
        QVERIFY(!control.m_bRunning);
    }

    void executeOnOpenStartsAnInvisibleRun() {
        ShellFixture shell("tarlo-ui-batch");
        shell.window->openFromCommandLine(
            QString::fromStdString(shell.writeProject("batch.tlp", true)));
        QVERIFY(shell.logHas("batch.tlp| Preparing invisible simulation..."));
        QTRY_VERIFY(shell.logHas("batch.tlp| Simulation completed - duration: "));
        QVERIFY(shell.dialogs->shown("The simulation has finished."));
        QVERIFY(shell.enabled("runInvisible"));
    }

    void withoutExecuteOnOpenTheProjectOnlyOpens() {
        ShellFixture shell("tarlo-ui-nobatch");
        shell.window->openFromCommandLine(
            QString::fromStdString(shell.writeProject("quiet.tlp", false)));
        QVERIFY(shell.window->activeDocumentWindow());
        QVERIFY(shell.logHas("File loaded: "));
        QVERIFY(!shell.logHas("Preparing invisible simulation"));
        QVERIFY(!shell.window->activeDocumentWindow()->document().runControl().m_bRunning);
    }

    // The example project a few minutes into a visible run, written beside the test
    // program for a person to look at: the whole window and the road view alone.
    void exampleProjectDuringAVisibleRun() {
        ShellFixture shell("tarlo-ui-example");
        for (const char* file : {"demo.tlp", "demo.cas", "mid-span-shear.csv"})
            std::filesystem::copy_file(std::string(TARLO_EXAMPLES) + "/demo/" + file,
                                       shell.dir.file(file));
        DocumentWindow* window =
            shell.window->openDocument(QString::fromStdString(shell.dir.file("demo.tlp")));
        QVERIFY(window);
        RunControl& control = window->document().runControl();
        shell.window->resize(1500, 900);
        shell.window->show();

        shell.command("runVisible")->trigger();
        QCoreApplication::processEvents();
        for (int step = 0; step < 1200 && control.m_bRunning; ++step) {
            shell.tick += 250;
            shell.window->idleProcessing();
        }
        QVERIFY(control.m_bRunning);
        QVERIFY(!control.m_LaneSnapshot.empty());
        QVERIFY(shell.window->loadEffectsPane().bridgeList()->count() > 0);
        QVERIFY(!shell.window->loadEffectsPane().valuesText()->toPlainText().startsWith(
            "Load effect values appear here"));
        shell.command("pause")->trigger();
        QCoreApplication::processEvents();
        ElementTreePane& tree = shell.window->elementTree();
        QStandardItem* bridges = tree.model()->findItems("Bridges").front();
        tree.tree()->setCurrentIndex(bridges->child(0)->index());
        QVERIFY(shell.window->propertyGrid().rowPaths().contains("ID"));

        const QString folder = QCoreApplication::applicationDirPath();
        QVERIFY(shell.window->grab().save(folder + "/shell-visible-run.png"));
        // The road and its clock; the empty ground below is left out.
        CTarloView& view = window->view();
        QVERIFY(view.grab(QRect(0, 0, view.width(), 260)).save(folder + "/shell-road-view.png"));
        shell.command("stop")->trigger();
    }

    void withoutAProjectTheCommandLineMakesANewOne() {
        ShellFixture shell("tarlo-ui-new");
        shell.window->openFromCommandLine(QString());
        QCOMPARE(shell.window->documentWindows().size(), 1);
        QCOMPARE(shell.window->activeDocumentWindow()->document().getTitle(),
                 std::string("Untitled.tlp"));
    }
};

QTEST_MAIN(ShellRunTest)
#include "ShellRunTest.moc"
