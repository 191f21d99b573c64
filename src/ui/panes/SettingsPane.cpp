#include "ui/panes/SettingsPane.h"

#include "platform/Host.h"
#include "project/settings/CSettings.h"
#include "ui/panes/PropertyPages.h"
#include "ui/widgets/PropertyGrid.h"

#include <QPushButton>
#include <QVBoxLayout>

namespace tarlo {

namespace {

constexpr const char* resetQuestion =
    "Are you sure you want to reset all\nprogram settings to their default values?";

} // namespace

SettingsPane::SettingsPane(CSettings& settings, Host& host, QWidget* parent)
    : QWidget(parent), m_Settings(settings), m_Host(host), m_pGrid(new PropertyGrid(this)) {
    auto* restore = new QPushButton("Restore Defaults", this);
    restore->setStatusTip("Restore default program settings");
    connect(restore, &QPushButton::clicked, this, &SettingsPane::restoreDefaults);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pGrid, 1);
    layout->addWidget(restore);
    showSettingsPage(*m_pGrid, m_Settings, m_Host);
}

void SettingsPane::restoreDefaults() {
    if (m_Host.showMessage(resetQuestion, MessageIcon::Question, MessageButtons::YesNo) !=
        MessageAnswer::Yes)
        return;
    m_Settings.resetDefaults();
    showSettings();
}

void SettingsPane::showSettings() {
    showSettingsPage(*m_pGrid, m_Settings, m_Host);
}

} // namespace tarlo
