#pragma once
// The "Pre/Postamble" page of the basic sheet: sentinels, prefixes, suffixes, preamble and
// postamble.

#include "app/settings_page.h"

namespace tessaron {

class PrePostamblePage : public BasicSettingsPage {
  Q_OBJECT

 public:
  explicit PrePostamblePage(ReaderSettings& settings, QWidget* parent = nullptr);
  ~PrePostamblePage() override;

  void Refresh() override;
};

}  // namespace tessaron
