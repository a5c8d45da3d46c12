#include "app/general_settings_page.h"

namespace tessaron {

GeneralSettingsPage::GeneralSettingsPage(ReaderSettings& settings, QWidget* parent)
    : BasicSettingsPage(settings, parent) {
  setObjectName(QStringLiteral("generalSettingsPage"));
}

GeneralSettingsPage::~GeneralSettingsPage() = default;

void GeneralSettingsPage::Refresh() {}

}  // namespace tessaron
