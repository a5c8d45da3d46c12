#pragma once
// "Manual Command" of the advanced sheet: a command typed as "\x2\x52\x22\x3" goes to the
// reader with its LRC, and command and reply are written into a transcript. After an
// acknowledged set command the settings are read back into the reader state's record, and
// every page shows them.

#include "app/settings_page.h"
#include "flows/manual_command_console.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace tessaron {

class ReaderLink;

class ManualCommandPage : public SettingsPage {
  Q_OBJECT

 public:
  ManualCommandPage(ReaderState& state, UiServices& ui, QWidget* parent = nullptr);
  ~ManualCommandPage() override;

  void SendCommand();
  void ClearTranscript();

  QLineEdit* CommandBox() const { return commandBox_; }
  QPlainTextEdit* TranscriptBox() const { return transcriptBox_; }
  QPushButton* SendButton() const { return sendButton_; }
  QPushButton* ClearButton() const { return clearButton_; }
  const ManualCommandConsole& Console() const { return console_; }

 private:
  void ShowTranscript();

  ReaderState& state_;
  // The reader in use when the page was made (none: "Send Command" is greyed out).
  ReaderLink* link_;
  ManualCommandConsole console_;
  QLineEdit* commandBox_;
  QPlainTextEdit* transcriptBox_;
  QPushButton* sendButton_;
  QPushButton* clearButton_;
};

}  // namespace tessaron
