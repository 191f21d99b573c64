#pragma once

#include "ui/QtHost.h"
#include "ui/ShellDialogs.h"

#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include <memory>
#include <string>

class QMdiArea;
class QMenu;

namespace tarlo {

class CElement;
class CSettings;
class DocumentWindow;
class ElementTreePane;
class LegendWidget;
class LoadEffectChartPane;
class LoadEffectsPane;
class PropertyGrid;
class RunControl;
class SettingsPane;
class TextPane;

// The main window: one child window per open project, the docked panes that show the
// active project, the commands with their enabling rules, and the idle processing that
// paces visible runs and shows the progress of invisible ones.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // The settings are saved to the path at exit; an empty path keeps them unsaved.
    MainWindow(CSettings& settings, std::string settingsPath,
               std::unique_ptr<ShellDialogs> dialogs = std::make_unique<ShellDialogs>(),
               QWidget* parent = nullptr);
    ~MainWindow() override;

    // The project named on the command line, or a new one when none is; a project whose
    // execute-on-open flag is set then runs invisibly.
    void openFromCommandLine(const QString& path);
    DocumentWindow* newDocument();
    // The window of the project; an open project is only activated. Null when loading
    // failed (the document has shown why).
    DocumentWindow* openDocument(const QString& path);
    bool saveDocument(DocumentWindow& window);
    bool saveDocumentAs(DocumentWindow& window);
    // Every document closes, each asked about its unsaved changes; false when one stays.
    bool closeAllDocuments();

    DocumentWindow* activeDocumentWindow() const;
    QList<DocumentWindow*> documentWindows() const;

    // One round of the idle processing: every open document's idle call with the tick.
    void idleProcessing();
    bool isIdleTimerActive() const { return m_IdleTimer.isActive(); }
    // Replaces the millisecond tick of every document, open now or later.
    void setTickSource(QtHost::TickSource source);

    // The command of the object name (as the menus hold it); null when there is none.
    QAction* command(const QString& name) const;
    QStringList recentFiles() const { return m_RecentFiles; }

    ElementTreePane& elementTree() { return *m_pTree; }
    PropertyGrid& propertyGrid() { return *m_pProperties; }
    SettingsPane& settingsPane() { return *m_pSettingsPane; }
    TextPane& statusPane() { return *m_pStatus; }
    TextPane& validationPane() { return *m_pValidation; }
    TextPane& vehiclePane() { return *m_pVehicle; }
    LoadEffectsPane& loadEffectsPane() { return *m_pLoadEffects; }
    LoadEffectChartPane& loadEffectChart() { return *m_pLoadEffectChart; }
    LegendWidget& legend() { return *m_pLegend; }

    // "%d.%d.%d.%d" from the program's version.
    static QString versionText();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    enum class PropertiesPage { None, Element, View };

    QAction* addCommand(QMenu* menu, const QString& name, const QString& text,
                        const QString& prompt, void (MainWindow::*slot)());
    void createCommands();
    void createPanes();
    DocumentWindow* createDocumentWindow();
    void addDocumentWindow(DocumentWindow* window);
    bool mayClose(DocumentWindow& window);
    void documentClosed(DocumentWindow* window);
    // The panes show the document's content, or their initial texts for null.
    void showDocument(DocumentWindow* window);
    void showElementPage(CElement* element);
    void propertiesEdited();
    void runNotified(DocumentWindow* window, RunNotification notification);
    void updateCommands();
    void updateIdleTimer();
    void showRunProgress();
    void addRecentFile(const QString& path);
    void removeRecentFile(const QString& path);
    void updateRecentFiles();
    void saveLayout();

    // A run command on the active document, then the commands' states.
    void runCommand(void (RunControl::*call)());

    // Commands.
    void onNew();
    void onOpen();
    void onSave();
    void onSaveAs();
    void onClose();
    void onAbout();
    void onRunVisible();
    void onRunInvisible();
    void onSingleStep();
    void onPause();
    void onStop();
    void onSpeedUp();
    void onSlowDown();
    void onMuteDetectors();
    void onMuteBridges();
    void onConfigureTrafficModel();
    void onConfigureSimulation();
    void onConfigureRoadFeatures();
    void onConfigureRoadMetrics();
    void onDefineDistributions();
    void onDefineILs();
    void onImportILs();
    void onAddBridge();
    void onAddInfluenceLine();
    void onAddDiscreteDistribution();
    void onAddLoadEffect();
    void onRename();
    void onDelete();
    void onExpandAll();
    void onZoomIn();
    void onZoomOut();
    void onSaveImage();
    void onSaveChart();
    void onShowResults();
    void onWindowProperties();
    void onRestoreDefaults();
    void onPreferences();
    void onVehicleTypes();

    CSettings& m_Settings;
    std::string m_SettingsPath;
    std::unique_ptr<ShellDialogs> m_pDialogs;
    QtHost m_Host;
    QtHost::TickSource m_TickSource;
    QMdiArea* m_pMdi;
    ElementTreePane* m_pTree = nullptr;
    PropertyGrid* m_pProperties = nullptr;
    SettingsPane* m_pSettingsPane = nullptr;
    TextPane* m_pStatus = nullptr;
    TextPane* m_pValidation = nullptr;
    TextPane* m_pVehicle = nullptr;
    LoadEffectsPane* m_pLoadEffects = nullptr;
    LoadEffectChartPane* m_pLoadEffectChart = nullptr;
    LegendWidget* m_pLegend = nullptr;
    QMenu* m_pViewMenu = nullptr;
    QPointer<DocumentWindow> m_pShown;
    PropertiesPage m_PropertiesPage = PropertiesPage::None;
    QTimer m_IdleTimer;
    QStringList m_RecentFiles;
    QList<QAction*> m_vRecentActions;
    bool m_bClosing = false;
};

} // namespace tarlo
