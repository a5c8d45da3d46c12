#include "app/settings_page.h"

namespace tessaron {

SettingsPage::SettingsPage(QWidget* parent) : BaseDialog(parent, Kind::ChildWindow) {}

SettingsPage::~SettingsPage() = default;

void SettingsPage::Refresh() {}

BasicSettingsPage::BasicSettingsPage(ReaderSettings& settings, QWidget* parent)
    : SettingsPage(parent), settings(settings) {}

BasicSettingsPage::~BasicSettingsPage() = default;

AdvancedSettingsPage::AdvancedSettingsPage(MainWindow& mainWindow, QWidget* parent)
    : SettingsPage(parent), mainWindow(mainWindow) {}

AdvancedSettingsPage::~AdvancedSettingsPage() = default;

}  // namespace tessaron
