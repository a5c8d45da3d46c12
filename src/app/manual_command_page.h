#pragma once
// "Manual Command" of the advanced sheet: a command typed as "\x2\x52\x22\x3" goes to the
// reader with its LRC, and command and reply are written into a transcript. After an
// acknowledged set command the settings are read back and both sheets show them.

#include "app/settings_page.h"
#include "flows/manual_command_console.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace tessaron {

class ReaderLink;

class ManualCommandPage : public AdvancedSettingsPage {
  Q_OBJECT

 public:
  explicit ManualCommandPage(MainWindow& mainWindow, QWidget* parent = nullptr);
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

  // The main window's reader when the page was made (none: "Send Command" is greyed out).
  ReaderLink* link_;
  ManualCommandConsole console_;
  QLineEdit* commandBox_;
  QPlainTextEdit* transcriptBox_;
  QPushButton* sendButton_;
  QPushButton* clearButton_;
};

}  // namespace tessaron
