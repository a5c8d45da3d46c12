#pragma once
// "RS232 Parameters" of the basic sheet: baud rate, parity, data bits, handshaking, stop
// bits and the XOn and XOff characters as decimal numbers. Unless the record was read over
// "RS232" (or over no line yet) the whole page is greyed out when it is made.

#include "app/settings_page.h"

namespace tessaron {

class Rs232ParametersPage : public BasicSettingsPage {
  Q_OBJECT

 public:
  Rs232ParametersPage(ReaderState& state, UiServices& ui, QWidget* parent = nullptr);
  ~Rs232ParametersPage() override;
};

}  // namespace tessaron
