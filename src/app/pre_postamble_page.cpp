#include "app/pre_postamble_page.h"

namespace tessaron {

PrePostamblePage::PrePostamblePage(ReaderSettings& settings, QWidget* parent)
    : BasicSettingsPage(settings, parent) {
  setObjectName(QStringLiteral("prePostamblePage"));
}

PrePostamblePage::~PrePostamblePage() = default;

void PrePostamblePage::Refresh() {}

}  // namespace tessaron
