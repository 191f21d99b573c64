#pragma once

#include <QWidget>

#include <memory>
#include <vector>

class QChartView;
class QComboBox;
class QDoubleSpinBox;
class QLineSeries;
class QValueAxis;

namespace tarlo {

class CBridge;
class CTarloDoc;
class Host;

// The "Load Effect Chart" pane: during a visible run the values of one load effect of one
// bridge over the last "Time Span:" seconds, the time axis moving on every "Update:" seconds.
class LoadEffectChartPane : public QWidget {
    Q_OBJECT
public:
    explicit LoadEffectChartPane(Host& host, QWidget* parent = nullptr);

    void setDocument(CTarloDoc* doc);
    // The bridges of the document, at the start of a visible run; the chart starts empty.
    void showBridges();
    // The chosen load effect's current value in the run's bridges at the time of a step.
    void addStep(const std::vector<std::unique_ptr<CBridge>>& bridges, double simTime);
    void reset();
    // The chart as an image, the format chosen by the file's extension; reports the outcome.
    bool saveChart(const QString& path);

    QComboBox* bridgeBox() { return m_pBridges; }
    QComboBox* loadEffectBox() { return m_pLoadEffects; }
    QDoubleSpinBox* timeSpanBox() { return m_pTimeSpan; }
    QDoubleSpinBox* updateBox() { return m_pUpdate; }
    QLineSeries* series() { return m_pSeries; }
    QValueAxis* timeAxis() { return m_pTimeAxis; }
    QChartView* chartView() { return m_pView; }

private:
    void showLoadEffects(int bridgeRow);
    void clearChart();
    // Refuses an update time not below the time span and restores the one before.
    void checkUpdate(QDoubleSpinBox* edited, double& previous);
    void scrollTo(double simTime);

    Host& m_Host;
    CTarloDoc* m_pDoc = nullptr;
    QComboBox* m_pBridges;
    QComboBox* m_pLoadEffects;
    QDoubleSpinBox* m_pTimeSpan;
    QDoubleSpinBox* m_pUpdate;
    QChartView* m_pView;
    QLineSeries* m_pSeries;
    QValueAxis* m_pTimeAxis;
    QValueAxis* m_pValueAxis;
    double m_TimeSpan;
    double m_Update;
    double m_WindowStart = 0.0;
};

} // namespace tarlo
