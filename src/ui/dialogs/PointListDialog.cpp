#include "ui/dialogs/PointListDialog.h"

#include "platform/Host.h"

#include <QChart>
#include <QChartView>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineSeries>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <utility>

namespace tarlo {

namespace {

QString gridNumber(double value) {
    return QString::asprintf("%.9f", value);
}

} // namespace

PointListDialog::PointListDialog(Texts texts, Host& host, QWidget* parent)
    : QDialog(parent), m_Host(host), m_Texts(std::move(texts)) {
    setWindowTitle(m_Texts.title);
    m_pList = new QListWidget(this);
    m_pGrid = new QTableWidget(0, 2, this);
    m_pGrid->setHorizontalHeaderLabels({m_Texts.columns[0], m_Texts.columns[1]});
    m_pGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_pGrid->setMinimumWidth(320);
    m_pList->setMinimumWidth(180);
    m_pSeries = new QLineSeries(this);
    auto* chart = new QChart;
    chart->addSeries(m_pSeries);
    chart->createDefaultAxes();
    chart->legend()->hide();
    auto* chartView = new QChartView(chart, this);
    chartView->setMinimumSize(320, 240);

    const auto button = [this](const QString& text, void (PointListDialog::*call)()) {
        auto* pressed = new QPushButton(text, this);
        connect(pressed, &QPushButton::clicked, this, call);
        return pressed;
    };
    auto* commands = new QVBoxLayout;
    commands->addWidget(button("Add", &PointListDialog::addElement));
    commands->addWidget(button("Delete", &PointListDialog::deleteElement));
    commands->addWidget(button("Add Row", &PointListDialog::addPoint));
    commands->addWidget(button("Delete Row", &PointListDialog::deletePoint));
    commands->addStretch();

    auto* content = new QHBoxLayout;
    content->addWidget(m_pList);
    content->addLayout(commands);
    content->addWidget(m_pGrid);
    content->addWidget(chartView, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &PointListDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &PointListDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(content);
    layout->addWidget(buttons);

    connect(m_pList, &QListWidget::currentRowChanged, this, &PointListDialog::showElement);
    connect(m_pGrid, &QTableWidget::cellChanged, this, &PointListDialog::gridEdited);
}

void PointListDialog::populate() {
    m_pList->clear();
    for (int i = 0; i < elementCount(); ++i)
        m_pList->addItem(QString("%1 - %2").arg(i + 1).arg(elementDescription(i)));
    m_pList->setCurrentRow(elementCount() > 0 ? 0 : -1);
    if (elementCount() == 0)
        showElement(-1);
}

void PointListDialog::addElement() {
    appendElement(m_Texts.newDescription);
    populate();
    m_pList->setCurrentRow(elementCount() - 1);
}

void PointListDialog::deleteElement() {
    const int index = m_pList->currentRow();
    if (index < 0) {
        m_Host.showMessage(m_Texts.noElementToDelete.toStdString(), MessageIcon::Exclamation);
        return;
    }
    eraseElement(index);
    populate();
}

void PointListDialog::addPoint() {
    if (m_pList->currentRow() < 0) {
        m_Host.showMessage(m_Texts.noElementForPoint.toStdString(), MessageIcon::Exclamation);
        return;
    }
    m_bFilling = true;
    const int row = m_pGrid->rowCount();
    m_pGrid->insertRow(row);
    for (int col = 0; col < 2; ++col)
        m_pGrid->setItem(row, col, new QTableWidgetItem(gridNumber(0.0)));
    m_bFilling = false;
    gridEdited();
}

void PointListDialog::deletePoint() {
    const int row = m_pGrid->currentRow();
    if (m_pList->currentRow() < 0 || row < 0) {
        m_Host.showMessage("Nothing to delete.", MessageIcon::Exclamation);
        return;
    }
    m_pGrid->removeRow(row);
    gridEdited();
}

void PointListDialog::showElement(int index) {
    m_bFilling = true;
    m_pGrid->setRowCount(0);
    if (index >= 0) {
        for (int col = 0; col < 2; ++col) {
            const std::vector<double> values = column(index, col);
            if (static_cast<int>(values.size()) > m_pGrid->rowCount())
                m_pGrid->setRowCount(static_cast<int>(values.size()));
            for (std::size_t row = 0; row < values.size(); ++row)
                m_pGrid->setItem(static_cast<int>(row), col,
                                 new QTableWidgetItem(gridNumber(values[row])));
        }
    }
    m_bFilling = false;
    redrawChart();
}

void PointListDialog::gridEdited() {
    const int index = m_pList->currentRow();
    if (m_bFilling || index < 0)
        return;
    storeColumns(index, gridColumn(0), gridColumn(1));
    redrawChart();
}

std::vector<double> PointListDialog::gridColumn(int col) const {
    std::vector<double> values;
    for (int row = 0; row < m_pGrid->rowCount(); ++row) {
        const QTableWidgetItem* cell = m_pGrid->item(row, col);
        bool isNumber = false;
        const double value = cell ? cell->text().toDouble(&isNumber) : 0.0;
        if (!isNumber)
            break;
        values.push_back(value);
    }
    return values;
}

void PointListDialog::redrawChart() {
    QList<QPointF> points;
    const int index = m_pList->currentRow();
    if (index >= 0) {
        const std::vector<double> xs = column(index, 0);
        const std::vector<double> ys = column(index, 1);
        for (std::size_t i = 0; i < std::min(xs.size(), ys.size()); ++i)
            points.append(QPointF(xs[i], ys[i]));
    }
    m_pSeries->replace(points);
    QChart* chart = m_pSeries->chart();
    if (chart && !points.isEmpty()) {
        const auto [xLow, xHigh] = std::minmax_element(
            points.begin(), points.end(), [](QPointF a, QPointF b) { return a.x() < b.x(); });
        const auto [yLow, yHigh] = std::minmax_element(
            points.begin(), points.end(), [](QPointF a, QPointF b) { return a.y() < b.y(); });
        chart->axes(Qt::Horizontal)
            .front()
            ->setRange(xLow->x(), std::max(xHigh->x(), xLow->x() + 1e-9));
        chart->axes(Qt::Vertical)
            .front()
            ->setRange(std::min(0.0, yLow->y()), std::max(yHigh->y(), yLow->y() + 1e-9));
    }
}

} // namespace tarlo
