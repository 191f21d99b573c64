#include "ui/panes/TextPane.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>

namespace tarlo {

TextPane::TextPane(const QString& initialText, QWidget* parent)
    : QPlainTextEdit(parent), m_InitialText(initialText) {
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    reset();
}

void TextPane::appendLine(const QString& line) {
    appendPlainText(line);
}

void TextPane::showText(const QString& text) {
    QString shown = text;
    shown.replace("\r\n", "\n");
    if (shown.endsWith('\n'))
        shown.chop(1);
    setPlainText(shown);
}

void TextPane::reset() {
    setPlainText(m_InitialText);
}

QStringList TextPane::lines() const {
    if (document()->isEmpty())
        return {};
    return toPlainText().split('\n');
}

void TextPane::copyAll() {
    QApplication::clipboard()->setText(toPlainText());
}

void TextPane::clearLines() {
    clear();
}

void TextPane::enableLogCommands() {
    m_bLogCommands = true;
}

void TextPane::contextMenuEvent(QContextMenuEvent* event) {
    if (!m_bLogCommands) {
        QPlainTextEdit::contextMenuEvent(event);
        return;
    }
    QMenu menu(this);
    menu.addAction("Copy All", this, &TextPane::copyAll);
    menu.addAction("Clear", this, &TextPane::clearLines);
    menu.exec(event->globalPos());
}

} // namespace tarlo
