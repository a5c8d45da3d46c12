#pragma once
// The "Track Settings" page of the basic sheet.

#include "app/settings_page.h"

namespace tessaron {

class TrackSettingsPage : public BasicSettingsPage {
  Q_OBJECT

 public:
  explicit TrackSettingsPage(ReaderSettings& settings, QWidget* parent = nullptr);
  ~TrackSettingsPage() override;

  void Refresh() override;
};

}  // namespace tessaron
