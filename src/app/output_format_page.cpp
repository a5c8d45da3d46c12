#include "app/output_format_page.h"

namespace tessaron {

OutputFormatPage::OutputFormatPage(MainWindow& mainWindow, QWidget* parent)
    : AdvancedSettingsPage(mainWindow, parent) {
  setObjectName(QStringLiteral("outputFormatPage"));
}

OutputFormatPage::~OutputFormatPage() = default;

void OutputFormatPage::Refresh() {}

}  // namespace tessaron
