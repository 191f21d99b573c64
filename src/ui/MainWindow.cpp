#include "ui/MainWindow.h"

#include "detectors/CStatDetector.h"
#include "project/CRoadFeature.h"
#include "project/CTarloDoc.h"
#include "project/settings/CSettings.h"
#include "ui/DocumentWindow.h"
#include "ui/dialogs/ConfigurationDialog.h"
#include "ui/dialogs/DetectorsDialog.h"
#include "ui/dialogs/DiscreteDistributionDialog.h"
#include "ui/dialogs/GraphicsPreferencesDialog.h"
#include "ui/dialogs/InfluenceLineDialog.h"
#include "ui/dialogs/InfluenceLineImport.h"
#include "ui/dialogs/ResultsDialog.h"
#include "ui/dialogs/RoadFeaturesDialog.h"
#include "ui/dialogs/TrafficModelDialog.h"
#include "ui/dialogs/VehicleTypesDialog.h"
#include "ui/panes/ElementTreePane.h"
#include "ui/panes/LoadEffectChartPane.h"
#include "ui/panes/LoadEffectsPane.h"
#include "ui/panes/PropertyPages.h"
#include "ui/panes/SettingsPane.h"
#include "ui/panes/TextPane.h"
#include "ui/view/CTarloView.h"
#include "ui/view/LegendWidget.h"
#include "ui/widgets/PropertyGrid.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QMdiArea>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QSettings>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeView>

#include <algorithm>
#include <new>

namespace tarlo {

namespace {

constexpr int maxRecentFiles = 4;
constexpr const char* recentFilesKey = "Recent File List";
constexpr const char* geometryKey = "Layout/Geometry";
constexpr const char* stateKey = "Layout/State";
// While runs are active but none is stepping on screen (paused, or invisible), the idle
// processing only has the display to update: it need not run more often than this.
constexpr int displayPollMs = 20;

QSettings userSettings() {
    return QSettings("Orvane Software", "Tarlo");
}

QString progressText(const RunControl& control) {
    return QString("%1% of the traffic file read - Sim. time %2")
        .arg(control.m_ReadPercent.load())
        .arg(CTarloView::clockText(control.m_SimTime.load()));
}

} // namespace

MainWindow::MainWindow(CSettings& settings, std::string settingsPath,
                       std::unique_ptr<ShellDialogs> dialogs, QWidget* parent)
    : QMainWindow(parent), m_Settings(settings), m_SettingsPath(std::move(settingsPath)),
      m_pDialogs(std::move(dialogs)), m_pMdi(new QMdiArea(this)) {
    setWindowTitle("Tarlo");
    setAcceptDrops(true);
    m_pMdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_pMdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_pMdi);
    m_Host.setMessagePresenter(
        [this](const QString& text, MessageIcon icon, MessageButtons buttons) {
            return m_pDialogs->showMessage(this, text, icon, buttons);
        });
    connect(&m_Host, &QtHost::outputLine, this,
            [this](const QString& line) { m_pStatus->appendLine(line); });
    createPanes();
    createCommands();
    connect(m_pMdi, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* window) {
        if (!window)
            return; // the main window lost the focus, or the last child closed
        showDocument(activeDocumentWindow());
    });
    connect(&m_IdleTimer, &QTimer::timeout, this, &MainWindow::idleProcessing);

    QSettings stored = userSettings();
    m_RecentFiles = stored.value(recentFilesKey).toStringList().mid(0, maxRecentFiles);
    updateRecentFiles();
    restoreGeometry(stored.value(geometryKey).toByteArray());
    restoreState(stored.value(stateKey).toByteArray());
    statusBar()->showMessage("Ready");
    showDocument(nullptr);
}

MainWindow::~MainWindow() = default;

QString MainWindow::versionText() {
    return QString::asprintf("%d.%d.%d.%d", TARLO_VERSION_MAJOR, TARLO_VERSION_MINOR,
                             TARLO_VERSION_PATCH, TARLO_VERSION_TWEAK);
}

QAction* MainWindow::addCommand(QMenu* menu, const QString& name, const QString& text,
                                const QString& prompt, void (MainWindow::*slot)()) {
    auto* action = new QAction(text, this);
    action->setObjectName(name);
    action->setStatusTip(prompt);
    connect(action, &QAction::triggered, this, slot);
    menu->addAction(action);
    return action;
}

QAction* MainWindow::command(const QString& name) const {
    return findChild<QAction*>(name, Qt::FindDirectChildrenOnly);
}

void MainWindow::createCommands() {
    QMenu* file = menuBar()->addMenu("&File");
    QToolBar* tools = addToolBar("Standard");
    tools->setObjectName("StandardToolBar");
    QAction* newAction =
        addCommand(file, "new", "&New", "Create a new document", &MainWindow::onNew);
    newAction->setShortcut(QKeySequence::New);
    QAction* open =
        addCommand(file, "open", "&Open...", "Open an existing document", &MainWindow::onOpen);
    open->setShortcut(QKeySequence::Open);
    QAction* save =
        addCommand(file, "save", "&Save", "Save the active document", &MainWindow::onSave);
    save->setShortcut(QKeySequence::Save);
    addCommand(file, "saveAs", "Save &As...", "Save the active document with a new name",
               &MainWindow::onSaveAs);
    addCommand(file, "close", "&Close", "Close the active document", &MainWindow::onClose);
    file->addSeparator();
    for (int i = 0; i < maxRecentFiles; ++i) {
        auto* recent = new QAction(this);
        recent->setObjectName(QString("recentFile%1").arg(i + 1));
        recent->setStatusTip("Open this document");
        connect(recent, &QAction::triggered, this, [this, recent] {
            const QString path = recent->data().toString();
            if (!openDocument(path))
                removeRecentFile(path);
        });
        file->addAction(recent);
        m_vRecentActions.append(recent);
    }
    file->addSeparator();
    auto* exit = new QAction("E&xit", this);
    exit->setObjectName("exit");
    exit->setStatusTip("Quit the application; prompts to save documents");
    connect(exit, &QAction::triggered, this, &QWidget::close);
    file->addAction(exit);
    tools->addAction(newAction);
    tools->addAction(open);
    tools->addAction(save);

    QMenu* edit = menuBar()->addMenu("&Edit");
    addCommand(edit, "rename", "Rename", "Rename the simulation element", &MainWindow::onRename);
    addCommand(edit, "delete", "Delete", "Delete the selected simulation element",
               &MainWindow::onDelete);
    addCommand(edit, "expandAll", "Expand All", "Show every element of the project",
               &MainWindow::onExpandAll);
    edit->addSeparator();
    QMenu* features = edit->addMenu("Add Feature");
    const CRoadFeature featureLabels;
    for (std::size_t i = 0; i < featureLabels.getTypeLabels().size(); ++i) {
        const int type = CRoadFeature::SpeedLimit + static_cast<int>(i);
        auto* action = new QAction(QString::fromStdString(featureLabels.getTypeLabels()[i]), this);
        action->setObjectName(QString("addFeature%1").arg(type));
        action->setStatusTip("Add new road feature");
        connect(action, &QAction::triggered, this, [this, type] {
            if (DocumentWindow* window = activeDocumentWindow()) {
                CRoadFeature& feature = window->document().addRoadFeature(type);
                m_pTree->selectElement(&feature);
                updateCommands();
            }
        });
        features->addAction(action);
    }
    QMenu* detectors = edit->addMenu("Add Detector");
    const CStatDetector detectorLabels;
    for (std::size_t i = 0; i < detectorLabels.getTypeLabels().size(); ++i) {
        const int kind = DETECTOR_FLOW_DENSITY + static_cast<int>(i);
        auto* action = new QAction(QString::fromStdString(detectorLabels.getTypeLabels()[i]), this);
        action->setObjectName(QString("addDetector%1").arg(kind));
        action->setStatusTip("Add new Metrics Detector");
        connect(action, &QAction::triggered, this, [this, kind] {
            if (DocumentWindow* window = activeDocumentWindow()) {
                CStatDetector& detector = window->document().addDetector(kind);
                m_pTree->selectElement(&detector);
                updateCommands();
            }
        });
        detectors->addAction(action);
    }
    addCommand(edit, "addBridge", "Add Bridge", "Add new Bridge", &MainWindow::onAddBridge);
    addCommand(edit, "addInfluenceLine", "Add Influence Line", "Add new Influence Line",
               &MainWindow::onAddInfluenceLine);
    addCommand(edit, "addDiscreteDistribution", "Add Discrete Distribution",
               "Add new Discrete Distribution", &MainWindow::onAddDiscreteDistribution);
    addCommand(edit, "addLoadEffect", "Add Load Effect", "Add new load effect to bridge",
               &MainWindow::onAddLoadEffect);

    QMenu* simulation = menuBar()->addMenu("&Simulation");
    addCommand(simulation, "configureTrafficModel", "Configure Traffic Model",
               "Configure the traffic model", &MainWindow::onConfigureTrafficModel);
    addCommand(simulation, "configureSimulation", "Configure Simulation",
               "Configure the simulation parameters", &MainWindow::onConfigureSimulation);
    addCommand(simulation, "configureRoadFeatures", "Configure Road Features",
               "Configure the road features (speed limits & gradients)",
               &MainWindow::onConfigureRoadFeatures);
    addCommand(simulation, "configureRoadMetrics", "Configure Road Metrics",
               "Configure the detectors for flow properties", &MainWindow::onConfigureRoadMetrics);
    addCommand(simulation, "defineDistributions", "Discrete Distributions",
               "Define discrete distributions for use in IDM parameters",
               &MainWindow::onDefineDistributions);
    addCommand(simulation, "defineILs", "Define ILs", "Define the Influence Lines",
               &MainWindow::onDefineILs);
    addCommand(simulation, "importILs", "Import ILs", "Import Influence Lines from an IL File",
               &MainWindow::onImportILs);
    simulation->addSeparator();
    QToolBar* runTools = addToolBar("Simulation");
    runTools->setObjectName("SimulationToolBar");
    const auto runCommand = [&](const QString& name, const QString& text, const QString& prompt,
                                void (MainWindow::*slot)()) {
        QAction* action = addCommand(simulation, name, text, prompt, slot);
        runTools->addAction(action);
        return action;
    };
    runCommand("runVisible", "Run Visible", "Run the simulation showing the animation on screen",
               &MainWindow::onRunVisible);
    runCommand("runInvisible", "Run Invisible", "Run the simulation in a background process",
               &MainWindow::onRunInvisible);
    runCommand("singleStep", "Run a single step", "Progress the simulation by a single step",
               &MainWindow::onSingleStep);
    QAction* pause =
        runCommand("pause", "&Pause\tF9", "Pause the simulation", &MainWindow::onPause);
    pause->setShortcut(Qt::Key_F9);
    runCommand("stop", "Stop", "Stop the current simulation", &MainWindow::onStop);
    runCommand("speedUp", "Speed Up", "Speed up the simulation process", &MainWindow::onSpeedUp);
    runCommand("slowDown", "Slow Down", "Slow down the simulation process",
               &MainWindow::onSlowDown);
    simulation->addSeparator();
    addCommand(simulation, "vehicleTypes", "Vehicle Types...", "Congifure the vehicle types",
               &MainWindow::onVehicleTypes);
    simulation->addSeparator();
    addCommand(simulation, "muteDetectors", "Mute detector output",
               "Mute detectors output for this simulation", &MainWindow::onMuteDetectors)
        ->setCheckable(true);
    addCommand(simulation, "muteBridges", "Mute bridge output",
               "Mute bridge output for this simulation", &MainWindow::onMuteBridges)
        ->setCheckable(true);
    simulation->addSeparator();
    addCommand(simulation, "showResults", "Results", "Show the block maxima of the last run",
               &MainWindow::onShowResults);

    m_pViewMenu = menuBar()->addMenu("&View");
    addCommand(m_pViewMenu, "zoomIn", "Zoom In", "Zoom into a region of the road",
               &MainWindow::onZoomIn);
    addCommand(m_pViewMenu, "zoomOut", "Zoom Out", "Zoom out to view more of the road",
               &MainWindow::onZoomOut);
    addCommand(m_pViewMenu, "saveImage", "Save Image", "Save current image to file",
               &MainWindow::onSaveImage);
    addCommand(m_pViewMenu, "saveChart", "Save Chart", "Save current chart to file",
               &MainWindow::onSaveChart);
    addCommand(m_pViewMenu, "windowProperties", "Window Properties",
               "Show the display properties of the road view", &MainWindow::onWindowProperties);
    m_pViewMenu->addSeparator();
    for (QDockWidget* dock : findChildren<QDockWidget*>())
        m_pViewMenu->addAction(dock->toggleViewAction());
    m_pViewMenu->addSeparator();
    addCommand(m_pViewMenu, "restoreDefaults", "Restore Defaults",
               "Restore default program settings", &MainWindow::onRestoreDefaults);
    addCommand(m_pViewMenu, "preferences", "Preferences", "Display preferences dialog box",
               &MainWindow::onPreferences);

    QMenu* help = menuBar()->addMenu("&Help");
    addCommand(help, "about", "&About Tarlo...", "Display program information and version number",
               &MainWindow::onAbout);

    m_pTree->tree()->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_pTree->tree()->addActions({command("expandAll"), command("rename"), command("delete")});
}

void MainWindow::createPanes() {
    const auto dock = [this](const QString& caption, const QString& name, QWidget* content,
                             Qt::DockWidgetArea area) {
        auto* pane = new QDockWidget(caption, this);
        pane->setObjectName(name);
        pane->setWidget(content);
        addDockWidget(area, pane);
        return pane;
    };
    m_pTree = new ElementTreePane;
    m_pProperties = new PropertyGrid;
    m_pSettingsPane = new SettingsPane(m_Settings, m_Host);
    m_pStatus = new TextPane("Program output information will be displayed here");
    m_pStatus->enableLogCommands();
    m_pValidation = new TextPane("Validation reports on attempted simulations appear here...");
    m_pVehicle = new TextPane("Information on user-selected vehicles appears here...");
    m_pLoadEffects = new LoadEffectsPane;
    m_pLoadEffectChart = new LoadEffectChartPane(m_Host);
    m_pLegend = new LegendWidget(m_Settings);

    QDockWidget* tree =
        dock("Simulation Elements", "ElementsPane", m_pTree, Qt::LeftDockWidgetArea);
    QDockWidget* properties =
        dock("Properties", "PropertiesPane", m_pProperties, Qt::LeftDockWidgetArea);
    QDockWidget* settings =
        dock("Program Settings", "SettingsPane", m_pSettingsPane, Qt::LeftDockWidgetArea);
    tabifyDockWidget(properties, settings);
    properties->raise();
    QDockWidget* status = dock("Status", "StatusPane", m_pStatus, Qt::BottomDockWidgetArea);
    QDockWidget* validation =
        dock("Validation", "ValidationPane", m_pValidation, Qt::BottomDockWidgetArea);
    QDockWidget* vehicle = dock("Vehicle", "VehiclePane", m_pVehicle, Qt::BottomDockWidgetArea);
    QDockWidget* loadEffects =
        dock("Load Effects", "LoadEffectsPane", m_pLoadEffects, Qt::BottomDockWidgetArea);
    tabifyDockWidget(status, validation);
    tabifyDockWidget(validation, vehicle);
    tabifyDockWidget(vehicle, loadEffects);
    QDockWidget* loadEffectChart = dock("Load Effect Chart", "LoadEffectChartPane",
                                        m_pLoadEffectChart, Qt::BottomDockWidgetArea);
    tabifyDockWidget(loadEffects, loadEffectChart);
    status->raise();
    dock("Legend", "LegendPane", m_pLegend, Qt::RightDockWidgetArea);
    resizeDocks({tree}, {260}, Qt::Horizontal);

    connect(m_pTree, &ElementTreePane::elementSelected, this, &MainWindow::showElementPage);
    connect(m_pTree, &ElementTreePane::elementRenamed, this, [this](CElement* element) {
        if (m_PropertiesPage == PropertiesPage::Element)
            showElementPage(element);
        if (DocumentWindow* window = activeDocumentWindow())
            window->updateTitle();
    });
    connect(m_pProperties, &PropertyGrid::edited, this, &MainWindow::propertiesEdited);
}

DocumentWindow* MainWindow::createDocumentWindow() {
    auto* window = new DocumentWindow(m_Settings);
    QtHost& host = window->host();
    host.setMessagePresenter([this](const QString& text, MessageIcon icon, MessageButtons buttons) {
        return m_pDialogs->showMessage(this, text, icon, buttons);
    });
    if (m_TickSource)
        host.setTickSource(m_TickSource);
    const auto shown = [this, window] { return m_pShown == window; };
    connect(&host, &QtHost::outputLine, m_pStatus, &TextPane::appendLine);
    connect(&host, &QtHost::validationLine, m_pValidation, &TextPane::appendLine);
    connect(window, &DocumentWindow::validationStarted, m_pValidation, &TextPane::clearLines);
    connect(&host, &QtHost::statusText, this,
            [this](const QString& text) { statusBar()->showMessage(text); });
    connect(&host, &QtHost::statusPaneReset, this, [this] { statusBar()->showMessage("Ready"); });
    connect(&host, &QtHost::loadEffectViewReset, this, [this, shown] {
        if (shown()) {
            m_pLoadEffects->reset();
            m_pLoadEffectChart->reset();
        }
    });
    connect(&host, &QtHost::stepValues, this,
            [this, window, shown](const QString& values, double simTime) {
                if (!shown())
                    return;
                m_pLoadEffects->showValues(values);
                m_pLoadEffectChart->addStep(window->document().sim().road.getBridges(), simTime);
            });
    connect(&host, &QtHost::runNotified, this,
            [this, window](RunNotification notification) { runNotified(window, notification); });
    connect(window, &DocumentWindow::elementsChanged, this, [this, window, shown] {
        if (shown())
            m_pTree->rebuild();
        window->updateTitle();
    });
    connect(&window->view(), &CTarloView::vehicleSelected, m_pVehicle, &TextPane::showText);
    connect(window, &DocumentWindow::closed, this, &MainWindow::documentClosed);
    window->setCloseQuery([this](DocumentWindow& closing) { return mayClose(closing); });
    return window;
}

void MainWindow::addDocumentWindow(DocumentWindow* window) {
    window->updateTitle();
    m_pMdi->addSubWindow(window);
    window->showMaximized();
    m_pMdi->setActiveSubWindow(window);
    showDocument(window);
}

DocumentWindow* MainWindow::newDocument() {
    DocumentWindow* window = createDocumentWindow();
    window->document().newProject();
    addDocumentWindow(window);
    return window;
}

DocumentWindow* MainWindow::openDocument(const QString& path) {
    const QString canonical = QFileInfo(path).absoluteFilePath();
    for (DocumentWindow* window : documentWindows()) {
        if (QFileInfo(QString::fromStdString(window->document().getPathName()))
                .absoluteFilePath() == canonical) {
            m_pMdi->setActiveSubWindow(window);
            return window;
        }
    }
    DocumentWindow* window = createDocumentWindow();
    bool opened = false;
    try {
        opened = window->document().open(path.toStdString());
    } catch (const std::bad_alloc&) {
        m_Host.showMessage("Out of memory while loading " + path.toStdString() + ".",
                           MessageIcon::Error);
    }
    if (!opened) {
        delete window;
        return nullptr;
    }
    addDocumentWindow(window);
    addRecentFile(path);
    return window;
}

void MainWindow::openFromCommandLine(const QString& path) {
    if (path.isEmpty()) {
        newDocument();
        return;
    }
    DocumentWindow* window = openDocument(path);
    // The batch mode: a project flagged to execute on open runs at once.
    if (window && window->document().m_bExecuteOnOpen)
        onRunInvisible();
}

bool MainWindow::saveDocument(DocumentWindow& window) {
    CTarloDoc& doc = window.document();
    if (doc.getPathName() == CTarloDoc::UntitledName)
        return saveDocumentAs(window);
    const bool saved = doc.save(doc.getPathName());
    window.updateTitle();
    return saved;
}

bool MainWindow::saveDocumentAs(DocumentWindow& window) {
    CTarloDoc& doc = window.document();
    const QString path = m_pDialogs->saveProjectName(this, QString::fromStdString(doc.getTitle()));
    if (path.isEmpty())
        return false;
    const bool saved = doc.save(path.toStdString());
    window.updateTitle();
    if (saved)
        addRecentFile(path);
    return saved;
}

bool MainWindow::mayClose(DocumentWindow& window) {
    CTarloDoc& doc = window.document();
    if (!doc.isModified())
        return true;
    switch (m_pDialogs->askSaveChanges(this, QString::fromStdString(doc.getTitle()))) {
    case ShellDialogs::SaveAnswer::Save:
        return saveDocument(window);
    case ShellDialogs::SaveAnswer::Discard:
        return true;
    case ShellDialogs::SaveAnswer::Cancel:
        break;
    }
    return false;
}

void MainWindow::documentClosed(DocumentWindow* window) {
    if (m_pShown == window)
        showDocument(nullptr);
    // The next child becomes active once the closed one is gone.
    QMetaObject::invokeMethod(
        this, [this] { showDocument(activeDocumentWindow()); }, Qt::QueuedConnection);
    updateIdleTimer();
}

bool MainWindow::closeAllDocuments() {
    for (DocumentWindow* window : documentWindows()) {
        if (!window->close())
            return false;
    }
    return true;
}

DocumentWindow* MainWindow::activeDocumentWindow() const {
    auto* window = qobject_cast<DocumentWindow*>(m_pMdi->currentSubWindow());
    if (window && !window->isClosed())
        return window;
    const QList<DocumentWindow*> windows = documentWindows();
    return windows.isEmpty() ? nullptr : windows.last();
}

QList<DocumentWindow*> MainWindow::documentWindows() const {
    QList<DocumentWindow*> windows;
    for (QMdiSubWindow* child : m_pMdi->subWindowList()) {
        auto* window = qobject_cast<DocumentWindow*>(child);
        if (window && !window->isClosed())
            windows.append(window);
    }
    return windows;
}

void MainWindow::showDocument(DocumentWindow* window) {
    if (window && window->isClosed())
        window = nullptr;
    const bool changed = m_pShown != window;
    m_pShown = window;
    CTarloDoc* doc = window ? &window->document() : nullptr;
    if (changed) {
        m_pTree->setDocument(doc);
        m_pProperties->clear();
        m_PropertiesPage = PropertiesPage::None;
        m_pLoadEffects->setDocument(doc);
        m_pLoadEffectChart->setDocument(doc);
        m_pVehicle->reset();
    }
    m_pLegend->setDocument(doc);
    updateCommands();
}

void MainWindow::showElementPage(CElement* element) {
    DocumentWindow* window = m_pShown;
    if (!window || !element) {
        m_pProperties->clear();
        m_PropertiesPage = PropertiesPage::None;
        return;
    }
    if (element->getElementType() == CElement::Configuration)
        showConfigurationPage(*m_pProperties, window->document(), window->host());
    else
        tarlo::showElementPage(*m_pProperties, window->document(), *element, window->host());
    m_PropertiesPage = PropertiesPage::Element;
}

void MainWindow::propertiesEdited() {
    DocumentWindow* window = m_pShown;
    if (!window)
        return;
    if (m_PropertiesPage == PropertiesPage::Element) {
        window->document().setModified();
        m_pTree->refreshLabels();
        window->updateTitle();
    }
    window->view().refresh();
    m_pLegend->update();
}

void MainWindow::runNotified(DocumentWindow* window, RunNotification notification) {
    if (window->isClosed())
        return;
    switch (notification) {
    case RunNotification::Started:
        if (m_pShown == window && window->document().runControl().m_bVisibleRun) {
            m_pLoadEffects->showBridges();
            m_pLoadEffectChart->showBridges();
        }
        break;
    case RunNotification::InvisibleFinished:
        window->document().runControl().invisibleFinished();
        break;
    case RunNotification::Stopped:
        break;
    }
    updateCommands();
    updateIdleTimer();
}

void MainWindow::updateCommands() {
    DocumentWindow* window = activeDocumentWindow();
    const RunControl* control = window ? &window->document().runControl() : nullptr;
    const QList<DocumentWindow*> windows = documentWindows();
    const bool mayOpen = std::all_of(windows.begin(), windows.end(), [](DocumentWindow* open) {
        return open->document().runControl().canOpenDocument();
    });
    const auto enable = [this](const QString& name, bool enabled) {
        command(name)->setEnabled(enabled);
    };
    enable("new", mayOpen);
    enable("open", mayOpen);
    for (QAction* recent : m_vRecentActions)
        recent->setEnabled(mayOpen);
    const bool editable = control && control->canEditElements();
    enable("save", editable);
    enable("saveAs", editable);
    enable("close", window);
    enable("runVisible", control && control->canRunVisible());
    enable("runInvisible", control && control->canRunInvisible());
    enable("singleStep", control && control->canSingleStep());
    enable("pause", control && control->canPause());
    QAction* pause = command("pause");
    pause->setText(control ? control->pauseMenuText() : "&Pause\tF9");
    // The tool bar shows the command without its key.
    pause->setIconText(control && control->m_bPaused ? "Resume" : "Pause");
    enable("stop", control && control->canStop());
    enable("speedUp", control && control->canChangeSpeed());
    enable("slowDown", control && control->canChangeSpeed());
    enable("muteDetectors", control && control->canToggleMute());
    enable("muteBridges", control && control->canToggleMute());
    enable("showResults", control && !control->m_bRunning);
    command("muteDetectors")->setChecked(control && control->isMuteDetectorsChecked());
    command("muteBridges")->setChecked(control && control->isMuteBridgesChecked());
    for (const char* name : {"rename", "delete", "addBridge", "addInfluenceLine",
                             "addDiscreteDistribution", "addLoadEffect"})
        enable(name, editable);
    for (const char* name :
         {"configureTrafficModel", "configureSimulation", "configureRoadFeatures",
          "configureRoadMetrics", "defineDistributions", "defineILs", "importILs"})
        enable(name, editable);
    enable("vehicleTypes", editable);
    for (QAction* action : findChildren<QAction*>(Qt::FindDirectChildrenOnly)) {
        if (action->objectName().startsWith("addFeature") ||
            action->objectName().startsWith("addDetector"))
            action->setEnabled(editable);
    }
    // A run reads the project and the settings: they are not edited meanwhile.
    m_pTree->setEditable(editable);
    m_pProperties->setEnabled(editable);
    const bool anyRunning = std::any_of(windows.begin(), windows.end(), [](DocumentWindow* open) {
        return open->document().runControl().m_bRunning.load();
    });
    m_pSettingsPane->setEnabled(!anyRunning);
    command("restoreDefaults")->setEnabled(!anyRunning);
    command("preferences")->setEnabled(!anyRunning);
    enable("expandAll", window);
    enable("zoomIn", window);
    enable("zoomOut", window);
    enable("saveImage", window);
    enable("windowProperties", window);
    for (DocumentWindow* open : windows)
        open->updateTitle();
}

void MainWindow::updateIdleTimer() {
    bool running = false;
    bool stepping = false;
    for (DocumentWindow* window : documentWindows()) {
        const RunControl& control = window->document().runControl();
        running = running || control.m_bRunning;
        stepping = stepping || (control.m_bRunning && control.m_bVisibleRun && !control.m_bPaused);
    }
    if (!running) {
        m_IdleTimer.stop();
        return;
    }
    const int interval = stepping ? 0 : displayPollMs;
    if (!m_IdleTimer.isActive() || m_IdleTimer.interval() != interval)
        m_IdleTimer.start(interval);
}

void MainWindow::idleProcessing() {
    bool runsChanged = false;
    for (DocumentWindow* window : documentWindows()) {
        RunControl& control = window->document().runControl();
        const bool wasRunning = control.m_bRunning;
        control.idleTick(window->host().tickMs());
        runsChanged = runsChanged || wasRunning != control.m_bRunning;
    }
    showRunProgress();
    if (runsChanged)
        updateCommands();
    updateIdleTimer();
}

void MainWindow::showRunProgress() {
    DocumentWindow* window = activeDocumentWindow();
    if (!window || !window->document().runControl().m_bRunning)
        return;
    const QString text = progressText(window->document().runControl());
    if (statusBar()->currentMessage() != text)
        statusBar()->showMessage(text);
}

void MainWindow::setTickSource(QtHost::TickSource source) {
    m_TickSource = std::move(source);
    for (DocumentWindow* window : documentWindows())
        window->host().setTickSource(m_TickSource);
}

void MainWindow::addRecentFile(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    m_RecentFiles.removeAll(absolute);
    m_RecentFiles.prepend(absolute);
    while (m_RecentFiles.size() > maxRecentFiles)
        m_RecentFiles.removeLast();
    userSettings().setValue(recentFilesKey, m_RecentFiles);
    updateRecentFiles();
}

void MainWindow::removeRecentFile(const QString& path) {
    m_RecentFiles.removeAll(path);
    userSettings().setValue(recentFilesKey, m_RecentFiles);
    updateRecentFiles();
}

void MainWindow::updateRecentFiles() {
    for (int i = 0; i < m_vRecentActions.size(); ++i) {
        QAction* action = m_vRecentActions[i];
        const bool used = i < m_RecentFiles.size();
        action->setVisible(used);
        if (used) {
            action->setText(
                QString("&%1 %2").arg(i + 1).arg(QFileInfo(m_RecentFiles[i]).fileName()));
            action->setData(m_RecentFiles[i]);
        }
    }
}

void MainWindow::saveLayout() {
    QSettings stored = userSettings();
    stored.setValue(geometryKey, saveGeometry());
    stored.setValue(stateKey, saveState());
}

// Shut-down: every document closes (an invisible run is waited for), then the settings
// and the window layout are saved.
void MainWindow::closeEvent(QCloseEvent* event) {
    if (!closeAllDocuments()) {
        event->ignore();
        return;
    }
    if (!m_SettingsPath.empty())
        m_Settings.save(m_SettingsPath, m_Host);
    saveLayout();
    event->accept();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile())
            openDocument(url.toLocalFile());
    }
    event->acceptProposedAction();
}

void MainWindow::onNew() {
    newDocument();
}

void MainWindow::onOpen() {
    const QString path = m_pDialogs->openProjectName(this);
    if (!path.isEmpty())
        openDocument(path);
}

void MainWindow::onSave() {
    if (DocumentWindow* window = activeDocumentWindow())
        saveDocument(*window);
}

void MainWindow::onSaveAs() {
    if (DocumentWindow* window = activeDocumentWindow())
        saveDocumentAs(*window);
}

void MainWindow::onClose() {
    if (DocumentWindow* window = activeDocumentWindow())
        window->close();
}

void MainWindow::onAbout() {
    QMessageBox::about(
        this, "About Tarlo",
        QString("Tarlo\nHighway traffic and bridge load effects\nVersion %1").arg(versionText()));
}

void MainWindow::runCommand(void (RunControl::*call)()) {
    if (DocumentWindow* window = activeDocumentWindow()) {
        (window->document().runControl().*call)();
        updateCommands();
        updateIdleTimer();
    }
}

void MainWindow::onRunVisible() {
    runCommand(&RunControl::runVisible);
}

void MainWindow::onRunInvisible() {
    runCommand(&RunControl::runInvisible);
}

void MainWindow::onSingleStep() {
    runCommand(&RunControl::singleStep);
}

void MainWindow::onPause() {
    runCommand(&RunControl::togglePause);
}

void MainWindow::onStop() {
    runCommand(&RunControl::stopSimulation);
}

void MainWindow::onSpeedUp() {
    runCommand(&RunControl::speedUp);
}

void MainWindow::onSlowDown() {
    runCommand(&RunControl::slowDown);
}

void MainWindow::onMuteDetectors() {
    runCommand(&RunControl::toggleMuteDetectors);
}

void MainWindow::onMuteBridges() {
    runCommand(&RunControl::toggleMuteBridges);
}

void MainWindow::onConfigureTrafficModel() {
    DocumentWindow* window = activeDocumentWindow();
    if (!window)
        return;
    TrafficModelDialog dialog(window->document(), this);
    if (dialog.exec() == QDialog::Accepted)
        updateCommands();
}

void MainWindow::onConfigureSimulation() {
    if (DocumentWindow* window = activeDocumentWindow()) {
        ConfigurationDialog dialog(window->document(), window->host(), this);
        dialog.exec();
    }
}

void MainWindow::onConfigureRoadFeatures() {
    if (DocumentWindow* window = activeDocumentWindow()) {
        RoadFeaturesDialog dialog(window->document(), window->host(), this);
        dialog.exec();
    }
}

void MainWindow::onConfigureRoadMetrics() {
    if (DocumentWindow* window = activeDocumentWindow()) {
        DetectorsDialog dialog(window->document(), window->host(), this);
        dialog.exec();
    }
}

void MainWindow::onDefineDistributions() {
    if (DocumentWindow* window = activeDocumentWindow()) {
        DiscreteDistributionDialog dialog(window->document(), window->host(), this);
        dialog.exec();
    }
}

void MainWindow::onDefineILs() {
    if (DocumentWindow* window = activeDocumentWindow()) {
        InfluenceLineDialog dialog(window->document(), window->host(), this);
        dialog.exec();
    }
}

void MainWindow::onImportILs() {
    DocumentWindow* window = activeDocumentWindow();
    if (!window)
        return;
    const QString path = QFileDialog::getOpenFileName(this, "Import ILs");
    if (!path.isEmpty())
        importInfluenceLines(window->document(), window->host(), path.toStdString());
}

void MainWindow::onAddBridge() {
    if (DocumentWindow* window = activeDocumentWindow())
        m_pTree->selectElement(&window->document().addBridge());
}

void MainWindow::onAddInfluenceLine() {
    if (DocumentWindow* window = activeDocumentWindow())
        m_pTree->selectElement(&window->document().addInfluenceLine());
}

void MainWindow::onAddDiscreteDistribution() {
    if (DocumentWindow* window = activeDocumentWindow())
        m_pTree->selectElement(&window->document().addDiscreteDist());
}

void MainWindow::onAddLoadEffect() {
    if (DocumentWindow* window = activeDocumentWindow())
        window->document().addLoadEffect(m_pTree->selectedElement());
}

void MainWindow::onRename() {
    m_pTree->renameSelected();
}

void MainWindow::onDelete() {
    DocumentWindow* window = activeDocumentWindow();
    if (!window)
        return;
    CElement* element = m_pTree->selectedElement();
    // The page goes first: it edits the element through references.
    m_pProperties->clear();
    m_PropertiesPage = PropertiesPage::None;
    m_pTree->tree()->setCurrentIndex(QModelIndex());
    if (!window->document().deleteElement(element)) {
        window->host().showMessage("Item could not be deleted", MessageIcon::Exclamation);
        return;
    }
    window->view().refresh();
}

void MainWindow::onExpandAll() {
    m_pTree->tree()->expandAll();
}

void MainWindow::onZoomIn() {
    if (DocumentWindow* window = activeDocumentWindow())
        window->view().zoomIn();
}

void MainWindow::onZoomOut() {
    if (DocumentWindow* window = activeDocumentWindow())
        window->view().zoomOut();
}

void MainWindow::onSaveImage() {
    DocumentWindow* window = activeDocumentWindow();
    if (!window)
        return;
    const QString path = m_pDialogs->saveImageName(this);
    if (!path.isEmpty())
        window->view().saveImage(path);
}

void MainWindow::onSaveChart() {
    const QString path = m_pDialogs->saveChartName(this);
    if (!path.isEmpty())
        m_pLoadEffectChart->saveChart(path);
}

void MainWindow::onShowResults() {
    DocumentWindow* window = activeDocumentWindow();
    if (!window)
        return;
    const CTarloDoc& doc = window->document();
    std::vector<BlockMaxima> results =
        BlockMaxima::readFolder(QString::fromStdString(doc.runPath(doc.m_MetricsDir)));
    if (results.empty()) {
        m_Host.showMessage("No block maxima were found in the metrics folder.",
                           MessageIcon::Information);
        return;
    }
    auto* dialog = new ResultsDialog(
        std::move(results), m_Host, [this] { return m_pDialogs->saveResultsChartName(this); },
        this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
}

void MainWindow::onWindowProperties() {
    DocumentWindow* window = activeDocumentWindow();
    if (!window)
        return;
    showViewPage(*m_pProperties, window->view(), window->host());
    m_PropertiesPage = PropertiesPage::View;
}

void MainWindow::onRestoreDefaults() {
    m_pSettingsPane->restoreDefaults();
}

void MainWindow::onPreferences() {
    GraphicsPreferencesDialog dialog(m_Settings, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_pSettingsPane->showSettings();
    m_pLegend->update();
}

void MainWindow::onVehicleTypes() {
    DocumentWindow* window = activeDocumentWindow();
    if (!window)
        return;
    VehicleTypesDialog dialog(*window->document().m_pVehicleTypes, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    window->document().replaceVehicleTypes(dialog.types());
    updateCommands();
}

} // namespace tarlo
