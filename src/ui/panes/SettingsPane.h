#pragma once

#include <QWidget>

namespace tarlo {

class CSettings;
class Host;
class PropertyGrid;

// The "Program Settings" pane: the settings grid and "Restore Defaults".
class SettingsPane : public QWidget {
    Q_OBJECT
public:
    SettingsPane(CSettings& settings, Host& host, QWidget* parent = nullptr);

    // Asks the reset question and resets every setting on Yes.
    void restoreDefaults();
    // Shows the settings afresh after they were edited elsewhere.
    void showSettings();
    PropertyGrid& grid() { return *m_pGrid; }

private:
    CSettings& m_Settings;
    Host& m_Host;
    PropertyGrid* m_pGrid;
};

} // namespace tarlo
