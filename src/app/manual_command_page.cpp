#include "app/manual_command_page.h"

namespace tessaron {

ManualCommandPage::ManualCommandPage(MainWindow& mainWindow, QWidget* parent)
    : AdvancedSettingsPage(mainWindow, parent) {
  setObjectName(QStringLiteral("manualCommandPage"));
}

ManualCommandPage::~ManualCommandPage() = default;

void ManualCommandPage::Refresh() {}

}  // namespace tessaron
