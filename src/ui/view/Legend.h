#pragma once

#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <vector>

class QFont;
class QPainter;

namespace tarlo {

class CSettings;
class CVehicleTypes;

// The legend of the road view's symbols: every detector and feature symbol, then each
// vehicle type, drawn with the legend sizes and colours of the settings.
class Legend {
public:
    Legend(const CSettings& settings, const CVehicleTypes* vehicleTypes);

    // Entries fill columns of at most rowsPerColumn rows.
    QSizeF size(const QFont& font, int rowsPerColumn) const;
    void paint(QPainter& painter, QPointF topLeft, int rowsPerColumn) const;
    int entryCount() const { return static_cast<int>(m_vEntries.size()); }

private:
    enum class Symbol { DetectorLine, DetectorSegment, FeatureBox, VehicleBox };
    struct Entry {
        Symbol symbol;
        QColor colour;
        QString name;
    };

    double rowHeight(const QFont& font) const;
    double columnWidth(const QFont& font) const;
    double symbolWidth() const;
    void paintSymbol(QPainter& painter, const Entry& entry, QRectF cell) const;

    const CSettings& m_Settings;
    std::vector<Entry> m_vEntries;
};

} // namespace tarlo
