#include "app/data_editing_page.h"

namespace tessaron {

DataEditingPage::DataEditingPage(MainWindow& mainWindow, QWidget* parent)
    : AdvancedSettingsPage(mainWindow, parent) {
  setObjectName(QStringLiteral("dataEditingPage"));
}

DataEditingPage::~DataEditingPage() = default;

void DataEditingPage::Refresh() {}

}  // namespace tessaron
