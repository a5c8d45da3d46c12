#include "app/boot_loader_mode_page.h"

namespace tessaron {

BootLoaderModePage::BootLoaderModePage(MainWindow& mainWindow, QWidget* parent)
    : AdvancedSettingsPage(mainWindow, parent) {
  setObjectName(QStringLiteral("bootLoaderModePage"));
}

BootLoaderModePage::~BootLoaderModePage() = default;

void BootLoaderModePage::Refresh() {}

}  // namespace tessaron
