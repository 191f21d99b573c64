#pragma once

#include "detectors/DetectorCodes.h"
#include "project/CTarloDoc.h"
#include "project/settings/CSettings.h"
#include "support/RecordingHost.h"
#include "support/TrafficFixture.h"
#include "ui/DocumentWindow.h"
#include "ui/MainWindow.h"
#include "ui/ShellDialogs.h"
#include "ui/panes/TextPane.h"

#include <QAction>
#include <QCoreApplication>
#include <QSettings>
#include <QStringList>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace tarlo::test {

// Answers the main window's questions as the test scripted them and records every message.
class ScriptedDialogs : public ShellDialogs {
public:
    struct Message {
        QString text;
        MessageIcon icon;
    };

    MessageAnswer showMessage(QWidget*, const QString& text, MessageIcon icon,
                              MessageButtons buttons) override {
        messages.push_back({text, icon});
        if (buttons == MessageButtons::YesNo)
            return questionAnswer;
        return MessageAnswer::Ok;
    }
    SaveAnswer askSaveChanges(QWidget*, const QString& title) override {
        saveQuestions.append(title);
        return saveAnswer;
    }
    QString openProjectName(QWidget*) override { return openName; }
    QString saveProjectName(QWidget*, const QString&) override { return saveName; }
    QString saveImageName(QWidget*) override { return imageName; }
    QString saveChartName(QWidget*) override { return chartName; }
    QString saveResultsChartName(QWidget*) override { return chartName; }

    bool shown(const QString& text) const {
        for (const Message& message : messages) {
            if (message.text == text)
                return true;
        }
        return false;
    }

    std::vector<Message> messages;
    QStringList saveQuestions;
    MessageAnswer questionAnswer = MessageAnswer::No;
    SaveAnswer saveAnswer = SaveAnswer::Cancel;
    QString openName;
    QString saveName;
    QString imageName;
    QString chartName;
};

// Vehicles one second apart in both directions of the first lanes.
inline std::vector<CastorRecord> fewVehicles(unsigned count) {
    std::vector<CastorRecord> records;
    for (unsigned i = 0; i < count; ++i) {
        CastorRecord record;
        record.second = i;
        record.direction = 1 + i % 2;
        records.push_back(record);
    }
    return records;
}

// A saved project beside its short traffic file, and the main window under test with its
// clock driven by hand. The recent files and the window layout are stored in the
// fixture's folder, away from the user's.
class ShellFixture {
public:
    explicit ShellFixture(const std::string& name) : dir(name) {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(dir.file("user-settings")));
        auto scripted = std::make_unique<ScriptedDialogs>();
        dialogs = scripted.get();
        window = std::make_unique<MainWindow>(settings, std::string(), std::move(scripted));
        window->setTickSource([this] { return tick.load(); });
    }

    // The project file beside a traffic file of four vehicles.
    std::string writeProject(const std::string& file, bool executeOnOpen = false) {
        writeCastorFile(dir, "traffic.cas", fewVehicles(4));
        RecordingHost host;
        CTarloDoc doc(settings, host);
        doc.newProject();
        doc.m_FileIn = "traffic.cas";
        doc.m_FileType = 100;
        doc.m_NoLanesDirPos = doc.m_TrafFileNoLanesDirPos = 1;
        doc.m_NoLanesDirNeg = doc.m_TrafFileNoLanesDirNeg = 1;
        doc.updateLaneTotals();
        doc.m_bExecuteOnOpen = executeOnOpen;
        const std::string path = dir.file(file);
        doc.save(path);
        return path;
    }

    // Steps the hand-driven clock by one time step at a time until no run is active.
    int runToEnd(RunControl& control, int maxRounds = 20000) {
        int rounds = 0;
        while (control.m_bRunning && rounds < maxRounds) {
            tick += 250;
            window->idleProcessing();
            ++rounds;
        }
        return rounds;
    }

    QAction* command(const char* name) const { return window->command(name); }
    bool enabled(const char* name) const { return command(name)->isEnabled(); }
    bool logHas(const QString& text) const {
        for (const QString& line : window->statusPane().lines()) {
            if (line.contains(text))
                return true;
        }
        return false;
    }

    TempDir dir;
    CSettings settings;
    std::atomic<std::uint32_t> tick{1000};
    ScriptedDialogs* dialogs;
    std::unique_ptr<MainWindow> window;
};

} // namespace tarlo::test
