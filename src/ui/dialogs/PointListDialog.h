#pragma once

#include <QDialog>
#include <QString>

#include <vector>

class QLineSeries;
class QListWidget;
class QTableWidget;

namespace tarlo {

class Host;

// A dialog over a copy of a list of elements made of points: the list labelled "%d -" with
// each element's number, a grid of the chosen element's points in two columns and a chart of
// them, redrawn as the grid changes. The subclass maps its elements to the columns.
class PointListDialog : public QDialog {
public:
    struct Texts {
        QString title;
        QString columns[2];
        QString newDescription;
        QString noElementForPoint;
        QString noElementToDelete;
    };

    QListWidget* elementList() const { return m_pList; }
    QTableWidget* grid() const { return m_pGrid; }
    QLineSeries* series() const { return m_pSeries; }

    void addElement();
    void deleteElement();
    void addPoint();
    void deletePoint();

protected:
    PointListDialog(Texts texts, Host& host, QWidget* parent);
    // Fills the list; called by the subclass once its copy is in place.
    void populate();

    virtual int elementCount() const = 0;
    virtual QString elementDescription(int index) const = 0;
    virtual std::vector<double> column(int index, int col) const = 0;
    virtual void storeColumns(int index, std::vector<double> first, std::vector<double> second) = 0;
    virtual void appendElement(const QString& description) = 0;
    virtual void eraseElement(int index) = 0;

    Host& m_Host;

private:
    void showElement(int index);
    void gridEdited();
    // The column's numbers down to its first empty cell.
    std::vector<double> gridColumn(int col) const;
    void redrawChart();

    Texts m_Texts;
    QListWidget* m_pList;
    QTableWidget* m_pGrid;
    QLineSeries* m_pSeries;
    bool m_bFilling = false;
};

} // namespace tarlo
