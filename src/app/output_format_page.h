#pragma once
// "Output Format" of the advanced sheet: the reader's data format, the options of the two
// emulated formats (UIC's LRC option, MagTek's six options, all on one bit byte) and the USB
// HID format, whose every choice makes the reader change its USB interface once written.
// Which of them may be used depends on the reader's line, its firmware (as the reader state
// knows it: the main window reads it before it shows the sheet) and the data format chosen.

#include "app/settings_page.h"

class QGroupBox;

namespace tessaron {

class OutputFormatPage : public SettingsPage {
  Q_OBJECT

 public:
  OutputFormatPage(ReaderState& state, UiServices& ui, QWidget* parent = nullptr);
  ~OutputFormatPage() override;

  void Refresh() override;
  // "Default Page": the format settings back to the factory values.
  void DefaultPage();

  PageBindings& Bindings() const { return *bindings_; }
  const PageTable& Table() const { return OutputFormatTable(); }
  QPushButton* DefaultPageButton() const { return defaultPageButton_; }
  QGroupBox* UicBox() const { return uicBox_; }
  QGroupBox* MagTekBox() const { return magTekBox_; }

 private:
  const PageControl& Setting(const char* name) const { return bindings_->Setting(name); }
  // The options of the data format in the record usable, the other format's greyed out.
  void EnableOptionsOf(Byte dataFormat);
  void DataFormatClicked(int option);

  ReaderState& state_;
  ReaderSettings& settings_;
  PageBindings* bindings_;
  QGroupBox* uicBox_;
  QGroupBox* magTekBox_;
  QPushButton* defaultPageButton_;
  QPushButton* helpButton_;
  Byte optionsShadow_ = 0;
  Byte shownDataFormat_ = 0;
};

}  // namespace tessaron
