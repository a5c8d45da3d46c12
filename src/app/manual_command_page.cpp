#include "app/manual_command_page.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "app/reader_state.h"
#include "app/wait_cursor.h"
#include "app/window_flow_context.h"
#include "controls/keyboard_access.h"

namespace tessaron {

namespace {

const QColor TRANSCRIPT_COLOR(241, 241, 241);

}  // namespace

ManualCommandPage::ManualCommandPage(ReaderState& state, UiServices& ui, QWidget* parent)
    : SettingsPage(ui, parent),
      state_(state),
      link_(state.Link()),
      commandBox_(new QLineEdit(this)),
      transcriptBox_(new QPlainTextEdit(this)),
      sendButton_(new QPushButton(QStringLiteral("Send Command"), this)),
      clearButton_(new QPushButton(QStringLiteral("Clr S/R Data"), this)) {
  setObjectName(QStringLiteral("manualCommandPage"));
  commandBox_->setObjectName(QStringLiteral("commandBox"));
  transcriptBox_->setObjectName(QStringLiteral("transcriptBox"));
  transcriptBox_->setReadOnly(true);
  ReadableByKeys(transcriptBox_);
  transcriptBox_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  QPalette colours = transcriptBox_->palette();
  colours.setColor(QPalette::Base, TRANSCRIPT_COLOR);
  transcriptBox_->setPalette(colours);
  sendButton_->setObjectName(QStringLiteral("sendCommandButton"));
  sendButton_->setDefault(true);
  // Only ever this page's default (see the boot loader page).
  sendButton_->setAutoDefault(false);
  clearButton_->setObjectName(QStringLiteral("clearButton"));
  clearButton_->setAutoDefault(false);
  sendButton_->setEnabled(link_ != nullptr);
  // Enter in the command box reaches the page as the click of its default button, and
  // through nothing else: one Enter, one command.
  connect(sendButton_, &QPushButton::clicked, this, &ManualCommandPage::SendCommand);
  connect(clearButton_, &QPushButton::clicked, this, &ManualCommandPage::ClearTranscript);

  auto* commandLabel =
      new QLabel(QStringLiteral("Command To Tessaron (NOT include LRC field):"), this);
  auto* example = new QLabel(
      QStringLiteral("command example: \\x2\\x52\\x22\\x3 (See: Get Firmware version command)"), this);
  auto* transcriptLabel = new QLabel(QStringLiteral("Command/Response Data to/from Tessaron:"), this);
  LabelControl(commandLabel, commandBox_);
  commandBox_->setAccessibleDescription(example->text());
  LabelControl(transcriptLabel, transcriptBox_);
  auto* layout = new QGridLayout(this);
  layout->addWidget(commandLabel, 0, 0, 1, 2);
  layout->addWidget(commandBox_, 1, 0, 1, 2);
  layout->addWidget(example, 2, 0, 1, 2);
  layout->addWidget(transcriptLabel, 3, 0, 1, 2);
  layout->addWidget(transcriptBox_, 4, 0, 1, 2);
  layout->setRowStretch(4, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(sendButton_);
  buttons->addWidget(clearButton_);
  layout->addLayout(buttons, 5, 0, 1, 2);
}

ManualCommandPage::~ManualCommandPage() = default;

void ManualCommandPage::SendCommand() {
  WaitCursor waitCursor;
  // After a set command the settings are read back; every page then shows them.
  WindowFlowContext flow(this, ui_, &state_, [this] {
    state_.RecordMatchesReader();
    state_.TellRecordReplaced();
  });
  console_.Send(commandBox_->text().toStdString(), link_, &state_.Settings(), flow);
  ShowTranscript();
}

void ManualCommandPage::ClearTranscript() {
  console_.Clear();
  ShowTranscript();
}

void ManualCommandPage::ShowTranscript() {
  QString text = QString::fromLatin1(console_.Transcript().c_str());
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  transcriptBox_->setPlainText(text);
  transcriptBox_->moveCursor(QTextCursor::End);
  // The last lines in view.
  transcriptBox_->verticalScrollBar()->setValue(transcriptBox_->verticalScrollBar()->maximum());
}

}  // namespace tessaron
