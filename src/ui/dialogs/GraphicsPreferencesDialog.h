#pragma once

#include "project/settings/CSettings.h"

#include <QColor>
#include <QDialog>

#include <vector>

class QLineEdit;
class QPushButton;

namespace tarlo {

// The road view's pens, colours and legend sizes of the program settings. OK stores every
// value the settings accept; a refused value is put back in its field, which takes the
// focus, and the dialog stays open. Views created afterwards use the new values.
class GraphicsPreferencesDialog : public QDialog {
    Q_OBJECT
public:
    explicit GraphicsPreferencesDialog(CSettings& settings, QWidget* parent = nullptr);

    // The field of a pen width or legend size, by its label; null for another label.
    QLineEdit* field(const QString& label) const;
    // The button that shows and picks a colour, by its label; null for another label.
    QPushButton* colourButton(const QString& label) const;
    QColor colour(const QString& label) const;
    void setColour(const QString& label, const QColor& colour);

    void accept() override;

private:
    struct Entry {
        const CSettings::Key* key;
        QString label;
        QLineEdit* field = nullptr;
        QPushButton* colourButton = nullptr;
        QColor colour;
    };

    Entry* entry(const QString& label);
    const Entry* entry(const QString& label) const;
    void showColour(Entry& entry);
    void pickColour(Entry& entry);
    QString storedText(const Entry& entry) const;

    CSettings& m_Settings;
    std::vector<Entry> m_vEntries;
};

} // namespace tarlo
