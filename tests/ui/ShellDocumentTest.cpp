#include "ui/ShellFixture.h"

#include "ui/panes/ElementTreePane.h"
#include "ui/panes/LoadEffectsPane.h"
#include "ui/view/CTarloView.h"
#include "ui/widgets/PropertyGrid.h"
#include <filesystem>

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDockWidget>
#include <QGuiApplication>
#include <QImage>
#include <QListWidget>
#include <QMimeData>
#include <QRegularExpression>
#include <QStandardItemModel>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QUrl>

using namespace tarlo;
using namespace tarlo::test;

namespace {

// The tree node under the group with the label; null when there is none.
QStandardItem* treeItem(ElementTreePane& tree, const QString& group, int row) {
    const QList<QStandardItem*> groups = tree.model()->findItems(group);
    if (groups.isEmpty())
        return nullptr;
    return groups.front()->child(row);
}

void select(ElementTreePane& tree, QStandardItem* item) {
    tree.tree()->setCurrentIndex(item->index());
}

} // namespace

// The documents of the main window: the element tree with its commands, and new, save,
// close and open through the commands.
class ShellDocumentTest : public QObject {
    Q_OBJECT

private slots:
    void treeShowsTheGroupsOfTheDocument() {
        ShellFixture shell("tarlo-ui-tree");
        ElementTreePane& tree = shell.window->elementTree();
        QCOMPARE(tree.model()->rowCount(), 0);
        shell.command("new")->trigger();
        QStringList groups;
        for (int row = 0; row < tree.model()->rowCount(); ++row)
            groups.append(tree.model()->item(row)->text());
        QCOMPARE(groups, QStringList({"Simulation", "Road Features", "Detectors", "Bridges",
                                      "Influence Lines", "Discrete Distributions", "Vehicle Types",
                                      "IDM Parameters"}));
        QCOMPARE(treeItem(tree, "Simulation", 0)->text(), QString("Configuration"));
        QCOMPARE(treeItem(tree, "Vehicle Types", 0)->text(), QString("Vehicle Type"));
        QCOMPARE(tree.model()->findItems("Road Features").front()->rowCount(), 1);

        // A bridge's load effects hang under it.
        shell.command("addBridge")->trigger();
        QStandardItem* bridge = treeItem(tree, "Bridges", 0);
        QVERIFY(bridge);
        const int loadEffects = bridge->rowCount();
        select(tree, bridge);
        shell.command("addLoadEffect")->trigger();
        QCOMPARE(treeItem(tree, "Bridges", 0)->rowCount(), loadEffects + 1);
    }

    void renameSetsTheDescription() {
        ShellFixture shell("tarlo-ui-rename");
        DocumentWindow* window = shell.window->newDocument();
        CTarloDoc& doc = window->document();
        doc.setModified(false);
        ElementTreePane& tree = shell.window->elementTree();
        QStandardItem* feature = treeItem(tree, "Road Features", 0);
        select(tree, feature);
        shell.command("rename")->trigger();
        // What the editor writes back when the new name is typed.
        tree.model()->setData(feature->index(), "Town limit");
        QCOMPARE(doc.m_vRoadFeatures[0].getDescription(), std::string("Town limit"));
        QVERIFY(doc.isModified());
        QVERIFY(window->isWindowModified());
    }

    void deleteRemovesTheElementOrSaysItCannot() {
        ShellFixture shell("tarlo-ui-delete");
        CTarloDoc& doc = shell.window->newDocument()->document();
        shell.command("addBridge")->trigger();
        shell.command("addBridge")->trigger();
        ElementTreePane& tree = shell.window->elementTree();
        QCOMPARE(tree.model()->findItems("Bridges").front()->rowCount(), 2);

        select(tree, treeItem(tree, "Bridges", 0));
        shell.command("delete")->trigger();
        QCOMPARE(doc.m_vBridges.size(), std::size_t(1));
        QCOMPARE(tree.model()->findItems("Bridges").front()->rowCount(), 1);
        QCOMPARE(shell.window->propertyGrid().rowPaths(), QStringList());

        // Neither a group nor the configuration can go.
        for (QStandardItem* item :
             {tree.model()->findItems("Bridges").front(), treeItem(tree, "Simulation", 0)}) {
            shell.dialogs->messages.clear();
            select(tree, item);
            shell.command("delete")->trigger();
            QVERIFY(shell.dialogs->shown("Item could not be deleted"));
        }
        QCOMPARE(doc.m_vBridges.size(), std::size_t(1));
    }

    void selectingANodeShowsItsPage() {
        ShellFixture shell("tarlo-ui-page");
        shell.window->newDocument();
        ElementTreePane& tree = shell.window->elementTree();
        select(tree, treeItem(tree, "Simulation", 0));
        QVERIFY(!shell.window->propertyGrid().rowPaths().isEmpty());
        select(tree, tree.model()->findItems("Bridges").front());
        QVERIFY(shell.window->propertyGrid().rowPaths().isEmpty());
        shell.command("windowProperties")->trigger();
        QVERIFY(!shell.window->propertyGrid().rowPaths().isEmpty());
    }

    void saveCloseAndOpenAgain() {
        ShellFixture shell("tarlo-ui-save");
        DocumentWindow* window = shell.window->newDocument();
        shell.command("addBridge")->trigger();
        QVERIFY(window->document().isModified());

        // Never saved: Save asks for the name.
        const QString path = QString::fromStdString(shell.dir.file("saved.tlp"));
        shell.dialogs->saveName = path;
        shell.command("save")->trigger();
        QVERIFY(!window->document().isModified());
        QCOMPARE(window->document().getTitle(), std::string("saved.tlp"));
        QCOMPARE(shell.window->recentFiles().value(0), path);

        // Saved: closing asks nothing.
        shell.command("close")->trigger();
        QCOMPARE(shell.dialogs->saveQuestions.size(), 0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(shell.window->documentWindows().size(), 0);
        QVERIFY(!shell.enabled("runVisible"));
        QCOMPARE(shell.window->elementTree().model()->rowCount(), 0);

        shell.dialogs->openName = path;
        shell.command("open")->trigger();
        DocumentWindow* reopened = shell.window->activeDocumentWindow();
        QVERIFY(reopened);
        QCOMPARE(reopened->document().m_vBridges.size(), std::size_t(1));
        QVERIFY(shell.logHas("File loaded: " + path));
        QVERIFY(reopened->windowTitle().startsWith("saved.tlp"));
    }

    void aModifiedProjectAsksBeforeClosing() {
        ShellFixture shell("tarlo-ui-modified");
        DocumentWindow* window = shell.window->newDocument();
        shell.command("addBridge")->trigger();

        shell.dialogs->saveAnswer = ShellDialogs::SaveAnswer::Cancel;
        shell.command("close")->trigger();
        QCOMPARE(shell.dialogs->saveQuestions, QStringList({"Untitled.tlp"}));
        QCOMPARE(shell.window->documentWindows().size(), 1);

        shell.dialogs->saveAnswer = ShellDialogs::SaveAnswer::Discard;
        QVERIFY(window->close());
        QCOMPARE(shell.window->documentWindows().size(), 0);
    }

    void aFileThatCannotBeLoadedOpensNothing() {
        ShellFixture shell("tarlo-ui-broken");
        const std::string path = shell.dir.file("broken.tlp");
        writeBytes(path, "not a project");
        QVERIFY(!shell.window->openDocument(QString::fromStdString(path)));
        QCOMPARE(shell.window->documentWindows().size(), 0);
        QVERIFY(!shell.dialogs->messages.empty());
        QCOMPARE(shell.dialogs->messages.back().icon, MessageIcon::Error);
    }

    void droppedFilesOpenAsProjects() {
        ShellFixture shell("tarlo-ui-drop");
        const QString path = QString::fromStdString(shell.writeProject("dropped.tlp"));
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path)});
        shell.window->show();
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(shell.window.get(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(shell.window.get(), &drop);
        QVERIFY(shell.window->activeDocumentWindow());
        QCOMPARE(shell.window->activeDocumentWindow()->document().getTitle(),
                 std::string("dropped.tlp"));
    }

    void panesShowTheirInitialTextsWithoutADocument() {
        ShellFixture shell("tarlo-ui-panes");
        MainWindow& window = *shell.window;
        QCOMPARE(window.statusPane().lines(),
                 QStringList({"Program output information will be displayed here"}));
        QCOMPARE(window.validationPane().lines(),
                 QStringList({"Validation reports on attempted simulations appear here..."}));
        QCOMPARE(window.vehiclePane().lines(),
                 QStringList({"Information on user-selected vehicles appears here..."}));
        QCOMPARE(window.loadEffectsPane().bridgeList()->item(0)->text(),
                 QString("Bridge list will appear here"));
        QCOMPARE(window.loadEffectsPane().loadEffectList()->item(0)->text(),
                 QString("Load Effect list will appear here"));
        QStringList captions;
        for (QDockWidget* dock : window.findChildren<QDockWidget*>())
            captions.append(dock->windowTitle());
        captions.sort();
        QCOMPARE(captions, QStringList({"Legend", "Load Effect Chart", "Load Effects",
                                        "Program Settings", "Properties", "Simulation Elements",
                                        "Status", "Validation", "Vehicle"}));
    }

    void vehiclePaneShowsTheSelectedVehicleUntilTheDocumentChanges() {
        ShellFixture shell("tarlo-ui-vehicle");
        DocumentWindow* first = shell.window->newDocument();
        emit first->view().vehicleSelected("Selected Vehicle Data:\r\nClass:        \t2\r\n");
        QCOMPARE(shell.window->vehiclePane().lines(),
                 QStringList({"Selected Vehicle Data:", "Class:        \t2"}));
        shell.window->newDocument();
        QCOMPARE(shell.window->vehiclePane().lines(),
                 QStringList({"Information on user-selected vehicles appears here..."}));
    }

    void viewCommandsActOnTheActiveRoadView() {
        ShellFixture shell("tarlo-ui-viewcommands");
        DocumentWindow* window = shell.window->newDocument();
        const double scale = window->view().properties().m_Scale;
        shell.command("zoomIn")->trigger();
        QCOMPARE(window->view().properties().m_Scale, scale + shell.settings.View.ZOOM_STEP);
        shell.command("zoomOut")->trigger();
        QCOMPARE(window->view().properties().m_Scale, scale);

        shell.dialogs->imageName = QString::fromStdString(shell.dir.file("road.png"));
        shell.command("saveImage")->trigger();
        QVERIFY(shell.dialogs->shown("Image saved."));
        QVERIFY(QImage(shell.dialogs->imageName).width() > 0);
        // Cancelled: nothing is written and nothing said.
        shell.dialogs->messages.clear();
        shell.dialogs->imageName.clear();
        shell.command("saveImage")->trigger();
        QVERIFY(shell.dialogs->messages.empty());
    }

    void recentFilesReopenProjects() {
        ShellFixture shell("tarlo-ui-recent");
        const QString path = QString::fromStdString(shell.writeProject("recent.tlp"));
        QVERIFY(shell.window->openDocument(path)->close());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QAction* recent = shell.command("recentFile1");
        QVERIFY(recent->isVisible());
        QCOMPARE(recent->text(), QString("&1 recent.tlp"));
        QVERIFY(!shell.command("recentFile2")->isVisible());
        recent->trigger();
        QCOMPARE(shell.window->activeDocumentWindow()->document().getTitle(),
                 std::string("recent.tlp"));

        // A file gone since is dropped from the list when it fails to open.
        QVERIFY(shell.window->activeDocumentWindow()->close());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        std::filesystem::remove(path.toStdString());
        recent->trigger();
        QVERIFY(shell.window->recentFiles().isEmpty());
        QVERIFY(!recent->isVisible());
    }

    void shutDownClosesEveryDocumentThenSavesTheSettings() {
        ShellFixture shell("tarlo-ui-shutdown");
        const std::string settingsPath = shell.dir.file("config/Tarlo.xml");
        auto scripted = std::make_unique<ScriptedDialogs>();
        ScriptedDialogs& dialogs = *scripted;
        MainWindow window(shell.settings, settingsPath, std::move(scripted));
        window.newDocument();
        window.command("addBridge")->trigger();

        dialogs.saveAnswer = ShellDialogs::SaveAnswer::Cancel;
        QVERIFY(!window.close());
        QCOMPARE(window.documentWindows().size(), 1);
        QVERIFY(!std::filesystem::exists(settingsPath));

        dialogs.saveAnswer = ShellDialogs::SaveAnswer::Discard;
        QVERIFY(window.close());
        QCOMPARE(window.documentWindows().size(), 0);
        QVERIFY(std::filesystem::exists(settingsPath));
    }

    void aboutShowsAFourPartVersion() {
        QVERIFY(QRegularExpression("^\\d+\\.\\d+\\.\\d+\\.\\d+$")
                    .match(MainWindow::versionText())
                    .hasMatch());
    }

    void statusLogCopiesAndClears() {
        ShellFixture shell("tarlo-ui-log");
        TextPane& log = shell.window->statusPane();
        log.appendLine("second line");
        log.copyAll();
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 QString("Program output information will be displayed here\nsecond line"));
        log.clearLines();
        QCOMPARE(log.lines(), QStringList());
    }

    void restoreDefaultsAsksFirst() {
        ShellFixture shell("tarlo-ui-defaults");
        const auto original = shell.settings.View.ZOOM_STEP;
        shell.settings.View.ZOOM_STEP = original * 2;
        shell.dialogs->questionAnswer = MessageAnswer::No;
        shell.command("restoreDefaults")->trigger();
        QVERIFY(shell.dialogs->shown(
            "Are you sure you want to reset all\nprogram settings to their default values?"));
        QCOMPARE(shell.settings.View.ZOOM_STEP, original * 2);
        shell.dialogs->questionAnswer = MessageAnswer::Yes;
        shell.command("restoreDefaults")->trigger();
        QCOMPARE(shell.settings.View.ZOOM_STEP, original);
    }

    void configureCommandsOpenTheirDialogs_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("prompt");
        QTest::addColumn<QString>("title");
        QTest::newRow("traffic model") << "configureTrafficModel"
                                       << "Configure the traffic model"
                                       << "IDM Traffic Model Configuration";
        QTest::newRow("road metrics") << "configureRoadMetrics"
                                      << "Configure the detectors for flow properties"
                                      << "Macroscopic Traffic Flow Metrics Detectors";
    }

    void configureCommandsOpenTheirDialogs() {
        QFETCH(QString, command);
        QFETCH(QString, prompt);
        QFETCH(QString, title);
        ShellFixture shell("tarlo-ui-configure");
        shell.command("new")->trigger();
        QAction* action = shell.command(command.toUtf8().constData());
        QCOMPARE(action->statusTip(), prompt);
        QVERIFY(action->isEnabled());
        QString shownTitle;
        QTimer::singleShot(0, [&shownTitle] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                shownTitle = dialog->windowTitle();
                dialog->reject();
            }
        });
        action->trigger();
        QCOMPARE(shownTitle, title);
    }
};

QTEST_MAIN(ShellDocumentTest)
#include "ShellDocumentTest.moc"
