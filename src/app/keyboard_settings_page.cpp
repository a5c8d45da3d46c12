#include "app/keyboard_settings_page.h"

namespace tessaron {

KeyboardSettingsPage::KeyboardSettingsPage(ReaderSettings& settings, QWidget* parent)
    : BasicSettingsPage(settings, parent) {
  setObjectName(QStringLiteral("keyboardSettingsPage"));
}

KeyboardSettingsPage::~KeyboardSettingsPage() = default;

void KeyboardSettingsPage::Refresh() {}

}  // namespace tessaron
