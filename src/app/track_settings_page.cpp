#include "app/track_settings_page.h"

namespace tessaron {

TrackSettingsPage::TrackSettingsPage(ReaderSettings& settings, QWidget* parent)
    : BasicSettingsPage(settings, parent) {
  setObjectName(QStringLiteral("trackSettingsPage"));
}

TrackSettingsPage::~TrackSettingsPage() = default;

void TrackSettingsPage::Refresh() {}

}  // namespace tessaron
