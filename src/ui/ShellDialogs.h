#pragma once

#include "platform/Host.h"

#include <QString>

class QWidget;

namespace tarlo {

// The questions and file choices of the main window. Tests replace it to answer them.
class ShellDialogs {
public:
    enum class SaveAnswer { Save, Discard, Cancel };

    virtual ~ShellDialogs() = default;

    virtual MessageAnswer showMessage(QWidget* parent, const QString& text, MessageIcon icon,
                                      MessageButtons buttons);
    // Whether to save the modified project of the title before it closes.
    virtual SaveAnswer askSaveChanges(QWidget* parent, const QString& title);
    // Empty when cancelled.
    virtual QString openProjectName(QWidget* parent);
    virtual QString saveProjectName(QWidget* parent, const QString& suggested);
    virtual QString saveImageName(QWidget* parent);
    virtual QString saveChartName(QWidget* parent);
    // The results charts are saved as PNG.
    virtual QString saveResultsChartName(QWidget* parent);
};

} // namespace tarlo
