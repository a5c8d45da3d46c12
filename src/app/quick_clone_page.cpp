#include "app/quick_clone_page.h"

namespace tessaron {

QuickClonePage::QuickClonePage(MainWindow& mainWindow, QWidget* parent)
    : AdvancedSettingsPage(mainWindow, parent) {
  setObjectName(QStringLiteral("quickClonePage"));
}

QuickClonePage::~QuickClonePage() = default;

void QuickClonePage::Refresh() {}

}  // namespace tessaron
