#include "ui/dialogs/ResultsDialog.h"

#include "bridges/CEventBlockMax.h"
#include "platform/Host.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QScatterSeries>
#include <QTextStream>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace tarlo {

namespace {

const QRegularExpression blockMaxName(R"(^Br_(\d+)_BMax_(.+)\.csv$)");

QChartView* scatterChart(const QString& title, const QString& xTitle, const QString& yTitle,
                         QScatterSeries* series, QWidget* parent) {
    series->setMarkerSize(7.0);
    auto* chart = new QChart;
    chart->setTitle(title);
    chart->legend()->hide();
    chart->addSeries(series);
    auto* x = new QValueAxis;
    x->setTitleText(xTitle);
    auto* y = new QValueAxis;
    y->setTitleText(yTitle);
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(x);
    series->attachAxis(y);
    auto* view = new QChartView(chart, parent);
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumSize(420, 320);
    return view;
}

// Axes that hold every point with a little room around them.
void fitAxes(QScatterSeries* series) {
    const QList<QPointF> points = series->points();
    const QList<QAbstractAxis*> x = series->attachedAxes();
    if (points.isEmpty() || x.size() < 2)
        return;
    const auto fit = [](QAbstractAxis* axis, double low, double high) {
        const double margin = std::max(0.05 * (high - low), 0.5);
        axis->setRange(low - margin, high + margin);
    };
    const auto [left, right] = std::minmax_element(
        points.begin(), points.end(), [](QPointF a, QPointF b) { return a.x() < b.x(); });
    const auto [bottom, top] = std::minmax_element(
        points.begin(), points.end(), [](QPointF a, QPointF b) { return a.y() < b.y(); });
    fit(x[0], left->x(), right->x());
    fit(x[1], bottom->y(), top->y());
}

} // namespace

std::optional<BlockMaxima> BlockMaxima::read(const QString& path) {
    const QRegularExpressionMatch name = blockMaxName.match(QFileInfo(path).fileName());
    QFile file(path);
    if (!name.hasMatch() || !file.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    QTextStream in(&file);
    const QStringList header = in.readLine().split(',');
    if (header.value(0) != "Block")
        return std::nullopt;
    BlockMaxima result;
    result.bridge = QString("Bridge %1 (%2 m)").arg(name.captured(1), name.captured(2));
    for (qsizetype column = 2; column < header.size(); column += 2)
        result.loadEffects.append(header[column].trimmed());
    result.maxima.resize(result.loadEffects.size());
    while (!in.atEnd()) {
        const QStringList row = in.readLine().split(',');
        for (qsizetype i = 0; i < result.loadEffects.size(); ++i) {
            bool timeRead = false;
            bool valueRead = false;
            const double time = row.value(1 + 2 * i).trimmed().toDouble(&timeRead);
            const double value = row.value(2 + 2 * i).trimmed().toDouble(&valueRead);
            // A block in which the load effect got no value holds no maximum.
            if (timeRead && valueRead && value > CEventBlockMax::StartValue)
                result.maxima[i].append(QPointF(time, value));
        }
    }
    return result;
}

std::vector<BlockMaxima> BlockMaxima::readFolder(const QString& folder) {
    std::vector<BlockMaxima> results;
    const QDir dir(folder);
    for (const QString& file : dir.entryList({"Br_*_BMax_*.csv"}, QDir::Files, QDir::Name)) {
        if (std::optional<BlockMaxima> result = read(dir.filePath(file)))
            results.push_back(std::move(*result));
    }
    return results;
}

QList<QPointF> gumbelPoints(const QList<QPointF>& maxima) {
    std::vector<double> sorted;
    sorted.reserve(maxima.size());
    for (const QPointF& maximum : maxima)
        sorted.push_back(maximum.y());
    std::sort(sorted.begin(), sorted.end());
    QList<QPointF> points;
    const double n = static_cast<double>(sorted.size());
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        const double probability = static_cast<double>(i + 1) / (n + 1.0);
        points.append(QPointF(sorted[i], -std::log(-std::log(probability))));
    }
    return points;
}

ResultsDialog::ResultsDialog(std::vector<BlockMaxima> results, Host& host, NameSource chartName,
                             QWidget* parent)
    : QDialog(parent), m_Results(std::move(results)), m_Host(host),
      m_ChartName(std::move(chartName)), m_pBridges(new QComboBox(this)),
      m_pLoadEffects(new QComboBox(this)), m_pCharts(new QWidget(this)),
      m_pTimeSeries(new QScatterSeries), m_pGumbelSeries(new QScatterSeries) {
    setWindowTitle("Results");
    m_pTimeView = scatterChart("Block Maxima", "Time (s)", "Load Effect", m_pTimeSeries, m_pCharts);
    m_pGumbelView = scatterChart("Gumbel Probability Paper", "Load Effect",
                                 "Reduced Variate -ln(-ln(F))", m_pGumbelSeries, m_pCharts);
    auto* charts = new QHBoxLayout(m_pCharts);
    charts->setContentsMargins(0, 0, 0, 0);
    charts->addWidget(m_pTimeView);
    charts->addWidget(m_pGumbelView);

    auto* selectors = new QHBoxLayout;
    selectors->addWidget(new QLabel("Bridge:", this));
    selectors->addWidget(m_pBridges);
    selectors->addWidget(new QLabel("Load Effect:", this));
    selectors->addWidget(m_pLoadEffects, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton* save = buttons->addButton("Save Chart", QDialogButtonBox::ActionRole);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(selectors);
    layout->addWidget(m_pCharts, 1);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(save, &QPushButton::clicked, this, &ResultsDialog::onSaveChart);
    connect(m_pBridges, &QComboBox::currentIndexChanged, this, &ResultsDialog::showLoadEffects);
    connect(m_pLoadEffects, &QComboBox::currentIndexChanged, this, &ResultsDialog::showMaxima);
    for (const BlockMaxima& result : m_Results)
        m_pBridges->addItem(result.bridge);
}

void ResultsDialog::showLoadEffects(int bridgeRow) {
    {
        const QSignalBlocker blocker(m_pLoadEffects);
        m_pLoadEffects->clear();
        if (bridgeRow >= 0 && bridgeRow < static_cast<int>(m_Results.size()))
            m_pLoadEffects->addItems(m_Results[bridgeRow].loadEffects);
    }
    showMaxima();
}

void ResultsDialog::showMaxima() {
    const int bridgeRow = m_pBridges->currentIndex();
    const int loadEffectRow = m_pLoadEffects->currentIndex();
    m_pTimeSeries->clear();
    m_pGumbelSeries->clear();
    if (bridgeRow < 0 || loadEffectRow < 0)
        return;
    const QList<QPointF>& maxima = m_Results[bridgeRow].maxima[loadEffectRow];
    m_pTimeSeries->replace(maxima);
    m_pGumbelSeries->replace(gumbelPoints(maxima));
    fitAxes(m_pTimeSeries);
    fitAxes(m_pGumbelSeries);
}

void ResultsDialog::onSaveChart() {
    const QString path = m_ChartName();
    if (!path.isEmpty())
        saveChart(path);
}

bool ResultsDialog::saveChart(const QString& path) {
    const bool saved = m_pCharts->grab().save(path, "PNG");
    if (saved)
        m_Host.showMessage("Chart saved.", MessageIcon::Information);
    else
        m_Host.showMessage("Chart saving failed.", MessageIcon::Exclamation);
    return saved;
}

} // namespace tarlo
