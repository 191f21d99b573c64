#include "ui/panes/LoadEffectChartPane.h"

#include "platform/Host.h"
#include "project/CTarloDoc.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>

namespace tarlo {

namespace {

constexpr double defaultTimeSpan = 60.0;
constexpr double defaultUpdate = 10.0;
constexpr const char* updateRefusal = "Please select an update time \nless than the Time Span";

// The image format of the file's extension; empty for one the chart is not saved as.
QByteArray chartFormat(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == "bmp")
        return "BMP";
    if (suffix == "jpg" || suffix == "jpeg")
        return "JPEG";
    if (suffix == "png")
        return "PNG";
    if (suffix == "gif")
        return "GIF";
    return {};
}

QDoubleSpinBox* secondsBox(double value, QWidget* parent) {
    auto* box = new QDoubleSpinBox(parent);
    box->setRange(0.1, 86400.0);
    box->setDecimals(1);
    box->setSuffix(" s");
    box->setValue(value);
    return box;
}

} // namespace

LoadEffectChartPane::LoadEffectChartPane(Host& host, QWidget* parent)
    : QWidget(parent), m_Host(host), m_pBridges(new QComboBox(this)),
      m_pLoadEffects(new QComboBox(this)), m_pTimeSpan(secondsBox(defaultTimeSpan, this)),
      m_pUpdate(secondsBox(defaultUpdate, this)), m_pView(new QChartView(this)),
      m_pSeries(new QLineSeries), m_pTimeAxis(new QValueAxis), m_pValueAxis(new QValueAxis),
      m_TimeSpan(defaultTimeSpan), m_Update(defaultUpdate) {
    auto* chart = new QChart;
    chart->legend()->hide();
    chart->addSeries(m_pSeries);
    m_pTimeAxis->setTitleText("Time (s)");
    m_pTimeAxis->setLabelFormat("%.0f");
    chart->addAxis(m_pTimeAxis, Qt::AlignBottom);
    chart->addAxis(m_pValueAxis, Qt::AlignLeft);
    m_pSeries->attachAxis(m_pTimeAxis);
    m_pSeries->attachAxis(m_pValueAxis);
    // The view lets go of the chart it made for itself without deleting it.
    QChart* const made = m_pView->chart();
    m_pView->setChart(chart);
    delete made;
    m_pView->setRenderHint(QPainter::Antialiasing);

    auto* selectors = new QHBoxLayout;
    const auto addField = [this, selectors](const char* label, QWidget* field) {
        selectors->addWidget(new QLabel(label, this));
        selectors->addWidget(field);
    };
    addField("Bridge:", m_pBridges);
    addField("Load Effect:", m_pLoadEffects);
    addField("Time Span:", m_pTimeSpan);
    addField("Update:", m_pUpdate);
    selectors->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(selectors);
    layout->addWidget(m_pView, 1);

    connect(m_pBridges, &QComboBox::currentIndexChanged, this, [this](int row) {
        showLoadEffects(row);
        clearChart();
    });
    connect(m_pLoadEffects, &QComboBox::currentIndexChanged, this, [this] { clearChart(); });
    connect(m_pTimeSpan, &QDoubleSpinBox::valueChanged, this,
            [this] { checkUpdate(m_pTimeSpan, m_TimeSpan); });
    connect(m_pUpdate, &QDoubleSpinBox::valueChanged, this,
            [this] { checkUpdate(m_pUpdate, m_Update); });
    reset();
}

void LoadEffectChartPane::setDocument(CTarloDoc* doc) {
    m_pDoc = doc;
    reset();
}

void LoadEffectChartPane::reset() {
    {
        const QSignalBlocker bridges(m_pBridges);
        const QSignalBlocker loadEffects(m_pLoadEffects);
        m_pBridges->clear();
        m_pLoadEffects->clear();
    }
    clearChart();
}

void LoadEffectChartPane::showBridges() {
    reset();
    if (!m_pDoc)
        return;
    {
        const QSignalBlocker blocker(m_pBridges);
        for (const CBridge& bridge : m_pDoc->m_vBridges)
            m_pBridges->addItem(QString::fromStdString(bridge.getDescription()));
    }
    if (m_pBridges->count() > 0) {
        m_pBridges->setCurrentIndex(-1);
        m_pBridges->setCurrentIndex(0);
    }
}

void LoadEffectChartPane::showLoadEffects(int bridgeRow) {
    const QSignalBlocker blocker(m_pLoadEffects);
    m_pLoadEffects->clear();
    if (!m_pDoc || bridgeRow < 0 || bridgeRow >= static_cast<int>(m_pDoc->m_vBridges.size()))
        return;
    for (const auto& loadEffect : m_pDoc->m_vBridges[bridgeRow].GetLoadEffects())
        m_pLoadEffects->addItem(QString::fromStdString(loadEffect->getDescription()));
    m_pLoadEffects->setCurrentIndex(m_pLoadEffects->count() > 0 ? 0 : -1);
}

void LoadEffectChartPane::clearChart() {
    m_pSeries->clear();
    m_WindowStart = 0.0;
    m_pTimeAxis->setRange(0.0, m_TimeSpan);
    m_pValueAxis->setRange(-1.0, 1.0);
}

void LoadEffectChartPane::checkUpdate(QDoubleSpinBox* edited, double& previous) {
    if (m_pUpdate->value() >= m_pTimeSpan->value()) {
        const QSignalBlocker blocker(edited);
        edited->setValue(previous);
        m_Host.showMessage(updateRefusal, MessageIcon::Exclamation);
        return;
    }
    previous = edited->value();
    scrollTo(m_pSeries->count() > 0 ? m_pSeries->at(m_pSeries->count() - 1).x() : 0.0);
}

void LoadEffectChartPane::addStep(const std::vector<std::unique_ptr<CBridge>>& bridges,
                                  double simTime) {
    const int bridgeRow = m_pBridges->currentIndex();
    const int loadEffectRow = m_pLoadEffects->currentIndex();
    if (bridgeRow < 0 || loadEffectRow < 0 || bridgeRow >= static_cast<int>(bridges.size()))
        return;
    // Before its first values a bridge shows zeros.
    const std::vector<double>& values = bridges[bridgeRow]->GetCurValues();
    const double value =
        loadEffectRow < static_cast<int>(values.size()) ? values[loadEffectRow] : 0.0;
    if (m_pSeries->count() == 0)
        m_WindowStart = simTime;
    m_pSeries->append(simTime, value);
    scrollTo(simTime);
}

void LoadEffectChartPane::scrollTo(double simTime) {
    // The window moves on by whole update times, so the chart jumps rather than creeps.
    while (simTime > m_WindowStart + m_TimeSpan)
        m_WindowStart += m_Update;
    int stale = 0;
    while (stale < m_pSeries->count() && m_pSeries->at(stale).x() < m_WindowStart)
        ++stale;
    if (stale > 0)
        m_pSeries->removePoints(0, stale);
    m_pTimeAxis->setRange(m_WindowStart, m_WindowStart + m_TimeSpan);
    if (m_pSeries->count() == 0)
        return;
    const QList<QPointF> points = m_pSeries->points();
    const auto [low, high] =
        std::minmax_element(points.begin(), points.end(),
                            [](const QPointF& a, const QPointF& b) { return a.y() < b.y(); });
    const double margin = std::max(0.05 * (high->y() - low->y()), 1e-6);
    m_pValueAxis->setRange(low->y() - margin, high->y() + margin);
}

bool LoadEffectChartPane::saveChart(const QString& path) {
    const QByteArray format = chartFormat(path);
    const bool saved = !format.isEmpty() && m_pView->grab().save(path, format.constData());
    if (saved)
        m_Host.showMessage("Chart saved.", MessageIcon::Information);
    else
        m_Host.showMessage("Chart saving failed.", MessageIcon::Exclamation);
    return saved;
}

} // namespace tarlo
