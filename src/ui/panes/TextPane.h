#pragma once

#include <QPlainTextEdit>

namespace tarlo {

// A read-only text pane that starts with its initial text: the output log, the validation
// report and the vehicle data.
class TextPane : public QPlainTextEdit {
    Q_OBJECT
public:
    TextPane(const QString& initialText, QWidget* parent = nullptr);

    void appendLine(const QString& line);
    // Replaces the whole text; CR LF line ends are shown as plain line breaks.
    void showText(const QString& text);
    // Back to the initial text.
    void reset();
    QStringList lines() const;

    // The output log's context commands.
    void copyAll();
    void clearLines();
    // Offers "Copy All" and "Clear" on the context menu.
    void enableLogCommands();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QString m_InitialText;
    bool m_bLogCommands = false;
};

} // namespace tarlo
