#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

#include <functional>
#include <string>
#include <vector>

class QComboBox;
class QTableWidget;

namespace tarlo {

// The frame of a dialog over a copy of one of the document's lists: a grid with one row per
// element, each row labelled with the element's name and number ("Feature 2"), and the
// commands Add, Delete, OK and Cancel below it.
class ElementListDialog : public QDialog {
public:
    QTableWidget* grid() const { return m_pGrid; }

protected:
    ElementListDialog(const QString& title, const QStringList& headers, int minimumWidth,
                      QString rowName, QWidget* parent);

    // What Add and Delete do.
    void setCommands(const std::function<void()>& add, const std::function<void()>& remove);
    // The row the user selected, or -1 when none is.
    int selectedRow() const;
    // Numbers the rows from 1 after rows came or went.
    void relabelRows();
    // A cell's choice among an element's labels.
    static QComboBox* labelBox(const std::vector<std::string>& labels, const std::string& current);

private:
    QTableWidget* m_pGrid;
    QString m_RowName;
    std::function<void()> m_Add;
    std::function<void()> m_Remove;
};

} // namespace tarlo
