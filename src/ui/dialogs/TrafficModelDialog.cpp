#include "ui/dialogs/TrafficModelDialog.h"

#include "project/CTarloDoc.h"
#include "ui/dialogs/DistributionCurve.h"
#include "ui/dialogs/VehicleTypesDialog.h"
#include "vehicles/CConstantDist.h"
#include "vehicles/CContinuousDist.h"
#include "vehicles/CDiscreteDist.h"
#include "vehicles/CIDMParameterSet.h"
#include "vehicles/CParameter.h"
#include "vehicles/CVehicleType.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineSeries>
#include <QListWidget>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace tarlo {

namespace {

QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QTableWidgetItem* numberItem(double value) {
    return new QTableWidgetItem(QString::asprintf("%.9f", value));
}

// A cell that shows nothing to edit for the distribution, e.g. the scale of a constant.
QTableWidgetItem* unusedItem() {
    auto* item = new QTableWidgetItem;
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    return item;
}

QString distributionLabel(const CDistribution& dist) {
    if (const auto* continuous = dynamic_cast<const CContinuousDist*>(&dist))
        return toQString(CContinuousDist::formLabel(continuous->getForm()));
    return dist.getType() == CDistribution::Discrete ? "Discrete" : "Constant";
}

} // namespace

TrafficModelDialog::TrafficModelDialog(CTarloDoc& doc, QWidget* parent)
    : QDialog(parent), m_Doc(doc), m_Types(*doc.m_pVehicleTypes),
      m_pTypeList(new QListWidget(this)),
      m_pGrid(new QTableWidget(CIDMParameterSet::NoParameters, 4, this)),
      m_pSeries(new QLineSeries(this)) {
    setWindowTitle("IDM Traffic Model Configuration");
    for (std::size_t i = 0; i < m_Types.size(); ++i)
        m_pTypeList->addItem(toQString(CVehicleType::classLabel(m_Types.getType(i)->getClass())));
    m_pTypeList->setMaximumWidth(160);

    m_pGrid->setHorizontalHeaderLabels({"Distribution", "Location/Name", "Scale", "Shape"});
    m_pGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_pGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    QStringList rows;
    for (int row = 0; row < CIDMParameterSet::NoParameters; ++row) {
        rows << toQString(CParameter::label(CParameter::T + row));
        auto* box = new QComboBox;
        for (std::string_view choice : CParameter::distributionChoices())
            box->addItem(toQString(choice));
        // A parameter can only take a copy of a discrete distribution the project has.
        if (m_Doc.m_vDiscreteDists.empty())
            static_cast<QStandardItemModel*>(box->model())
                ->item(box->findText("Discrete"))
                ->setEnabled(false);
        connect(box, &QComboBox::currentTextChanged, this, [this, row](const QString& label) {
            if (!m_bShowing)
                distributionChosen(row, label);
        });
        m_pGrid->setCellWidget(row, DistributionColumn, box);
    }
    m_pGrid->setVerticalHeaderLabels(rows);

    auto* chart = new QChart;
    chart->addSeries(m_pSeries);
    chart->createDefaultAxes();
    chart->legend()->hide();
    auto* chartView = new QChartView(chart, this);
    chartView->setMinimumSize(360, 260);

    connect(m_pTypeList, &QListWidget::currentRowChanged, this, [this] { showType(); });
    connect(m_pGrid, &QTableWidget::cellChanged, this, &TrafficModelDialog::valueEdited);
    connect(m_pGrid, &QTableWidget::currentCellChanged, this, [this] { redrawChart(); });

    auto* parameters = new QGroupBox("User Defined Vehicle Parameters", this);
    auto* grouped = new QVBoxLayout(parameters);
    grouped->addWidget(m_pGrid);
    auto* columns = new QHBoxLayout;
    columns->addWidget(m_pTypeList);
    columns->addWidget(parameters, 1);
    columns->addWidget(chartView);
    auto* types = new QPushButton("Vehicle Types...", this);
    connect(types, &QPushButton::clicked, this, &TrafficModelDialog::editVehicleTypes);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &TrafficModelDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TrafficModelDialog::reject);
    auto* commands = new QHBoxLayout;
    commands->addWidget(types);
    commands->addStretch();
    commands->addWidget(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addLayout(commands);
    resize(1280, 420);
    m_pTypeList->setCurrentRow(0);
    m_pGrid->setCurrentCell(0, LocationColumn);
}

void TrafficModelDialog::accept() {
    m_Doc.replaceVehicleTypes(m_Types);
    QDialog::accept();
}

QComboBox* TrafficModelDialog::choiceBox(int row, int column) const {
    return qobject_cast<QComboBox*>(m_pGrid->cellWidget(row, column));
}

void TrafficModelDialog::editVehicleTypes() {
    VehicleTypesDialog dialog(m_Types, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_Types = dialog.types();
    showType();
}

CParameter& TrafficModelDialog::parameter(int row) {
    CVehicleType& type =
        *m_Types.getType(static_cast<std::size_t>(std::max(0, m_pTypeList->currentRow())));
    return *type.getIDMParams()->getParameter(CParameter::T + row);
}

void TrafficModelDialog::showType() {
    for (int row = 0; row < m_pGrid->rowCount(); ++row)
        showParameter(row);
    redrawChart();
}

void TrafficModelDialog::showParameter(int row) {
    m_bShowing = true;
    const std::shared_ptr<CDistribution> dist = parameter(row).getDistribution();
    choiceBox(row, DistributionColumn)->setCurrentText(distributionLabel(*dist));
    m_pGrid->removeCellWidget(row, LocationColumn);
    if (const auto* discrete = dynamic_cast<const CDiscreteDist*>(dist.get())) {
        auto* names = new QComboBox;
        for (const CDiscreteDist& candidate : m_Doc.m_vDiscreteDists)
            names->addItem(QString::fromStdString(candidate.getDescription()));
        const QString name = QString::fromStdString(discrete->getDescription());
        // The parameter's copy may have outlived its original's name.
        if (names->findText(name) < 0)
            names->addItem(name);
        names->setCurrentText(name);
        connect(names, &QComboBox::currentTextChanged, this, [this, row](const QString& chosen) {
            if (!m_bShowing)
                discreteChosen(row, chosen);
        });
        m_pGrid->setItem(row, LocationColumn, unusedItem());
        m_pGrid->setCellWidget(row, LocationColumn, names);
        m_pGrid->setItem(row, ScaleColumn, unusedItem());
        m_pGrid->setItem(row, ShapeColumn, unusedItem());
    } else if (const auto* continuous = dynamic_cast<const CContinuousDist*>(dist.get())) {
        m_pGrid->setItem(row, LocationColumn, numberItem(continuous->getLocation()));
        m_pGrid->setItem(row, ScaleColumn, numberItem(continuous->getScale()));
        m_pGrid->setItem(row, ShapeColumn, numberItem(continuous->getShape()));
    } else {
        m_pGrid->setItem(row, LocationColumn, numberItem(dist->getMean()));
        m_pGrid->setItem(row, ScaleColumn, unusedItem());
        m_pGrid->setItem(row, ShapeColumn, unusedItem());
    }
    m_bShowing = false;
}

void TrafficModelDialog::distributionChosen(int row, const QString& label) {
    CParameter& edited = parameter(row);
    if (label == "Constant") {
        edited.setKind(CDistribution::Constant);
    } else if (label == "Discrete") {
        if (!m_Doc.m_vDiscreteDists.empty() && edited.setKind(CDistribution::Discrete) == 1)
            edited.setDiscrete(m_Doc.m_vDiscreteDists.front());
    } else {
        for (int form = CContinuousDist::Exponential; form <= CContinuousDist::Uniform; ++form)
            if (toQString(CContinuousDist::formLabel(form)) == label)
                edited.setForm(form);
    }
    showParameter(row);
    redrawChart();
}

void TrafficModelDialog::discreteChosen(int row, const QString& name) {
    const auto chosen =
        std::find_if(m_Doc.m_vDiscreteDists.begin(), m_Doc.m_vDiscreteDists.end(),
                     [&name](const CDiscreteDist& dist) {
                         return QString::fromStdString(dist.getDescription()) == name;
                     });
    if (chosen != m_Doc.m_vDiscreteDists.end())
        parameter(row).setDiscrete(*chosen);
    redrawChart();
}

void TrafficModelDialog::valueEdited(int row, int column) {
    if (m_bShowing || column == DistributionColumn)
        return;
    const std::shared_ptr<CDistribution> dist = parameter(row).getDistribution();
    QTableWidgetItem* cell = m_pGrid->item(row, column);
    bool number = false;
    const double value = cell->text().trimmed().toDouble(&number);
    double stored = 0.0;
    if (auto* continuous = dynamic_cast<CContinuousDist*>(dist.get())) {
        if (number && column == LocationColumn)
            continuous->setLocation(value);
        else if (number && column == ScaleColumn)
            continuous->setScale(value);
        else if (number)
            continuous->setShape(value);
        stored = column == LocationColumn ? continuous->getLocation()
                 : column == ScaleColumn  ? continuous->getScale()
                                          : continuous->getShape();
    } else if (auto* constant = dynamic_cast<CConstantDist*>(dist.get());
               constant && column == LocationColumn) {
        if (number)
            constant->setValue(value);
        stored = constant->getValue();
    } else {
        return;
    }
    // The cell is rewritten in place: it is the one that reported the edit.
    m_bShowing = true;
    cell->setText(QString::asprintf("%.9f", stored));
    m_bShowing = false;
    redrawChart();
}

void TrafficModelDialog::redrawChart() {
    const int row = std::max(0, m_pGrid->currentRow());
    QList<QPointF> points;
    for (const auto& [x, y] : distributionCurve(*parameter(row).getDistribution()))
        points.append(QPointF(x, y));
    m_pSeries->replace(points);
    QChart* chart = m_pSeries->chart();
    chart->setTitle(toQString(CParameter::label(CParameter::T + row)));
    if (points.isEmpty())
        return;
    const auto [xLow, xHigh] = std::minmax_element(
        points.begin(), points.end(), [](QPointF a, QPointF b) { return a.x() < b.x(); });
    const auto [yLow, yHigh] = std::minmax_element(
        points.begin(), points.end(), [](QPointF a, QPointF b) { return a.y() < b.y(); });
    // A spike gets some room either side.
    const double margin = xHigh->x() > xLow->x() ? 0.0 : std::max(1.0, std::abs(xLow->x()) * 0.1);
    chart->axes(Qt::Horizontal).front()->setRange(xLow->x() - margin, xHigh->x() + margin);
    chart->axes(Qt::Vertical)
        .front()
        ->setRange(std::min(0.0, yLow->y()), std::max(yHigh->y(), yLow->y() + 1e-9));
}

} // namespace tarlo
