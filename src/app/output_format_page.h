#pragma once
// "Output Format" of the advanced sheet: the reader's data format, the options of the two
// emulated formats (UIC's LRC option, MagTek's six options, all on one bit byte) and the USB
// HID format, whose every choice makes the reader change its USB interface once written.
// Which of them may be used depends on the reader's line, its firmware (read once when the
// page is made, on the USB HID lines) and the data format chosen.

#include "app/settings_page.h"

class QGroupBox;

namespace tessaron {

class OutputFormatPage : public AdvancedSettingsPage {
  Q_OBJECT

 public:
  explicit OutputFormatPage(MainWindow& mainWindow, QWidget* parent = nullptr);
  ~OutputFormatPage() override;

  void Refresh() override;
  // "Default Page": the format settings back to the factory values.
  void DefaultPage();

  PageBindings& Bindings() const { return *bindings_; }
  const PageTable& Table() const { return OutputFormatTable(); }
  QPushButton* DefaultPageButton() const { return defaultPageButton_; }
  QGroupBox* UicBox() const { return uicBox_; }
  QGroupBox* MagTekBox() const { return magTekBox_; }
  double FirmwareVersionNumber() const { return firmwareVersionNumber_; }

 private:
  const PageControl& Control(const char* caption) const;
  // The line of the main window's reader; none without a reader.
  InterfaceType Line() const;
  // The options of the data format in the record usable, the other format's greyed out.
  void EnableOptionsOf(Byte dataFormat);
  void DataFormatClicked(int option);

  ReaderSettings& settings_;
  PageBindings* bindings_;
  QGroupBox* uicBox_;
  QGroupBox* magTekBox_;
  QPushButton* defaultPageButton_;
  QPushButton* helpButton_;
  double firmwareVersionNumber_ = 0;
  Byte optionsShadow_ = 0;
  Byte shownDataFormat_ = 0;
};

}  // namespace tessaron
