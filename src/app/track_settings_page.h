#pragma once
// "Track Settings" of the basic sheet: which tracks are sent, the send-out options on the
// shared flags byte, the LRC, and the one-character track separator and terminator with
// their choosers of named bytes.

#include "app/settings_page.h"

namespace tessaron {

class TrackSettingsPage : public BasicSettingsPage {
  Q_OBJECT

 public:
  TrackSettingsPage(ReaderState& state, UiServices& ui, QWidget* parent = nullptr);
  ~TrackSettingsPage() override;

  // Resets the page's settings; the focus goes to "Default Page".
  void DefaultPage() override;
};

}  // namespace tessaron
