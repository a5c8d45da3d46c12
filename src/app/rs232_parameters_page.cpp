#include "app/rs232_parameters_page.h"

namespace tessaron {

Rs232ParametersPage::Rs232ParametersPage(ReaderSettings& settings, QWidget* parent)
    : BasicSettingsPage(settings, parent) {
  setObjectName(QStringLiteral("rs232ParametersPage"));
}

Rs232ParametersPage::~Rs232ParametersPage() = default;

void Rs232ParametersPage::Refresh() {}

}  // namespace tessaron
