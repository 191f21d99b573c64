#pragma once

#include <QDialog>
#include <QList>
#include <QPointF>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

class QChartView;
class QComboBox;
class QScatterSeries;

namespace tarlo {

class Host;

// The block maxima one bridge's run wrote: for each load effect the (time, maximum) of every
// block that got a value.
struct BlockMaxima {
    QString bridge;
    QStringList loadEffects;
    std::vector<QList<QPointF>> maxima;

    // Empty when the file cannot be read or is not a block-maxima file.
    static std::optional<BlockMaxima> read(const QString& path);
    // Every block-maxima file of the folder, in the order of their names.
    static std::vector<BlockMaxima> readFolder(const QString& folder);
};

// The maxima on Gumbel probability paper: the sorted maxima against the reduced variate
// -ln(-ln(i/(n+1))) of their plotting positions.
QList<QPointF> gumbelPoints(const QList<QPointF>& maxima);

// The "Results" of a run: the block maxima of a bridge's load effect over time and on
// Gumbel probability paper.
class ResultsDialog : public QDialog {
    Q_OBJECT
public:
    // Empty from the name source: the saving was cancelled.
    using NameSource = std::function<QString()>;

    ResultsDialog(std::vector<BlockMaxima> results, Host& host, NameSource chartName,
                  QWidget* parent = nullptr);

    // Both charts as one PNG image; reports the outcome.
    bool saveChart(const QString& path);

    QComboBox* bridgeBox() { return m_pBridges; }
    QComboBox* loadEffectBox() { return m_pLoadEffects; }
    QScatterSeries* timeSeries() { return m_pTimeSeries; }
    QScatterSeries* gumbelSeries() { return m_pGumbelSeries; }

private:
    void showLoadEffects(int bridgeRow);
    void showMaxima();
    void onSaveChart();

    std::vector<BlockMaxima> m_Results;
    Host& m_Host;
    NameSource m_ChartName;
    QComboBox* m_pBridges;
    QComboBox* m_pLoadEffects;
    QWidget* m_pCharts;
    QChartView* m_pTimeView;
    QChartView* m_pGumbelView;
    QScatterSeries* m_pTimeSeries;
    QScatterSeries* m_pGumbelSeries;
};

} // namespace tarlo
