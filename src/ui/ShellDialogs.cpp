#include "ui/ShellDialogs.h"

#include "ui/QtHost.h"

#include <QFileDialog>
#include <QMessageBox>

namespace tarlo {

namespace {

// Qt separates the patterns of one filter with spaces.
constexpr const char* projectOpenFilter = "Tarlo files (*.tlp *.qtf)";
constexpr const char* projectSaveFilter = "Tarlo Files (*.tlp)";
constexpr const char* imageFilter = "Bitmap files (*.bmp);;PNG files (*.png)";
constexpr const char* chartFilter =
    "Bitmap Files (*.bmp);;JPEG Files (*.jpg);;PNG Files (*.png);;GIF Files (*.gif)";

constexpr const char* pngFilter = "PNG Files (*.png)";

} // namespace

MessageAnswer ShellDialogs::showMessage(QWidget*, const QString& text, MessageIcon icon,
                                        MessageButtons buttons) {
    return QtHost::showMessageBox(text, icon, buttons);
}

ShellDialogs::SaveAnswer ShellDialogs::askSaveChanges(QWidget* parent, const QString& title) {
    const auto answer = QMessageBox::question(
        parent, "Tarlo", QString("Save changes to %1?").arg(title),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    if (answer == QMessageBox::Yes)
        return SaveAnswer::Save;
    return answer == QMessageBox::No ? SaveAnswer::Discard : SaveAnswer::Cancel;
}

QString ShellDialogs::openProjectName(QWidget* parent) {
    return QFileDialog::getOpenFileName(parent, "Open", QString(), projectOpenFilter);
}

QString ShellDialogs::saveProjectName(QWidget* parent, const QString& suggested) {
    return QFileDialog::getSaveFileName(parent, "Save As", suggested, projectSaveFilter);
}

QString ShellDialogs::saveImageName(QWidget* parent) {
    return QFileDialog::getSaveFileName(parent, "Save Image", QString(), imageFilter);
}

QString ShellDialogs::saveChartName(QWidget* parent) {
    return QFileDialog::getSaveFileName(parent, "Save Chart", QString(), chartFilter);
}

QString ShellDialogs::saveResultsChartName(QWidget* parent) {
    return QFileDialog::getSaveFileName(parent, "Save Chart", QString(), pngFilter);
}

} // namespace tarlo
