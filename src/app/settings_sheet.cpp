#include "app/settings_sheet.h"

#include <QCoreApplication>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <iterator>

#include "app/advanced_sheet.h"
#include "app/basic_sheet.h"
#include "app/main_window.h"
#include "app/private_messages.h"
#include "app/settings_page.h"
#include "app/ui_services.h"
#include "app/wait_cursor.h"
#include "app/window_flow_context.h"
#include "controls/keyboard_access.h"
#include "flows/flow_waits.h"
#include "flows/reader_flows.h"

namespace tessaron {

namespace {

// The look of the tabs, and what it takes in width around each caption.
constexpr int TAB_PADDING_X = 7;
constexpr int TAB_BORDER = 1;
constexpr int TAB_SPACING = 1;
constexpr int SHEET_MARGIN = 8;
constexpr int BUTTON_SPACING = 6;
// A push button's frame and air around its caption, as the desktop style draws it.
constexpr int BUTTON_PADDING_X = 24;

const char* const BUTTON_CAPTIONS[] = {"Send to MSR", "Save to File", "Load from File",
                                        "Default All", "Close"};

QPushButton* MakeButton(const char* caption, const char* name, QWidget* parent) {
  auto* button = new QPushButton(QString::fromLatin1(caption), parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setAutoDefault(false);
  return button;
}

}  // namespace

SettingsSheet::SettingsSheet(MainWindow& mainWindow, Variant variant, QWidget* parent)
    : BaseDialog(parent, Kind::ChildWindow),
      mainWindow_(mainWindow),
      settings_(&mainWindow.Settings()),
      variant_(variant),
      heading_(
          new QLabel(QString::fromLatin1(variant == Variant::Basic ? "Change Basic Settings:"
                                                                   : "Change Advanced Settings:"),
                     this)),
      recordNote_(new QLabel(this)),
      tabs_(new QTabWidget(this)),
      sendButton_(MakeButton(BUTTON_CAPTIONS[0], "sendButton", this)),
      saveButton_(MakeButton(BUTTON_CAPTIONS[1], "saveButton", this)),
      loadButton_(MakeButton(BUTTON_CAPTIONS[2], "loadButton", this)),
      defaultAllButton_(MakeButton(BUTTON_CAPTIONS[3], "defaultAllButton", this)),
      closeButton_(MakeButton(BUTTON_CAPTIONS[4], "closeButton", this)) {
  QFont headingFont = heading_->font();
  headingFont.setBold(true);
  heading_->setFont(headingFont);
  tabs_->setObjectName(QStringLiteral("tabs"));
  // Every tab caption is shown whole: no scroll arrows, no elided captions.
  tabs_->setUsesScrollButtons(false);
  tabs_->tabBar()->setElideMode(Qt::ElideNone);
  tabs_->setStyleSheet(
      QStringLiteral("QTabBar::tab { padding: 4px %1px; margin-right: %2px; border: %3px solid "
                     "#7a9a8a; border-bottom: none; border-top-left-radius: 4px;"
                     " border-top-right-radius: 4px; background: #b9dcc7; }"
                     "QTabBar::tab:selected { background: #f4fbf7; }"
                     // The tab bar with the focus: its current tab's caption is underlined
                     // and framed darker (the only focus a page of greyed-out controls has).
                     "QTabBar::tab:focus { text-decoration: underline; border-color: #24613f; }"
                     "QTabWidget::pane { border: 1px solid #7a9a8a; }")
          .arg(TAB_PADDING_X)
          .arg(TAB_SPACING)
          .arg(TAB_BORDER));

  auto* buttons = new QHBoxLayout;
  buttons->setSpacing(BUTTON_SPACING);
  for (QPushButton* button :
       {sendButton_, saveButton_, loadButton_, defaultAllButton_, closeButton_}) {
    buttons->addWidget(button);
  }
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(SHEET_MARGIN, 6, SHEET_MARGIN, SHEET_MARGIN);
  layout->addWidget(heading_);
  recordNote_->setObjectName(QStringLiteral("recordNote"));
  recordNote_->setWordWrap(true);
  recordNote_->setStyleSheet(QStringLiteral("QLabel { color: #8a1c00; font-weight: bold; }"));
  recordNote_->hide();
  layout->addWidget(recordNote_);
  layout->addWidget(tabs_, 1);
  layout->addLayout(buttons);

  connect(sendButton_, &QPushButton::clicked, this, &SettingsSheet::SendToReader);
  connect(saveButton_, &QPushButton::clicked, this, &SettingsSheet::SaveToFile);
  connect(loadButton_, &QPushButton::clicked, this, &SettingsSheet::LoadFromFile);
  connect(defaultAllButton_, &QPushButton::clicked, this, &SettingsSheet::DefaultAll);
  connect(closeButton_, &QPushButton::clicked, this, &SettingsSheet::CloseSheet);
  connect(tabs_, &QTabWidget::currentChanged, this, &SettingsSheet::TabChanged);
}

SettingsSheet::~SettingsSheet() = default;

int SettingsSheet::NeededWidth(const QFont& font) {
  const QFontMetrics metrics(font);
  int widest = 0;
  for (const auto& captions : {BasicSheet::TAB_CAPTIONS, AdvancedSheet::TAB_CAPTIONS}) {
    int tabs = 0;
    for (const char* caption : captions) {
      tabs += metrics.horizontalAdvance(QString::fromLatin1(caption)) + 2 * TAB_PADDING_X +
              2 * TAB_BORDER + TAB_SPACING;
    }
    widest = std::max(widest, tabs);
  }
  int buttons = BUTTON_SPACING * (static_cast<int>(std::size(BUTTON_CAPTIONS)) - 1);
  for (const char* caption : BUTTON_CAPTIONS) {
    buttons += metrics.horizontalAdvance(QString::fromLatin1(caption)) + BUTTON_PADDING_X;
  }
  return std::max(widest, buttons) + 2 * SHEET_MARGIN + 2;
}

void SettingsSheet::AddPage(const QString& caption, SettingsPage* page) {
  pages_.push_back(page);
  tabs_->addTab(page, caption);
  // The row of buttons under the pages comes after every page's own controls.
  PlaceLastInTabOrder(this, {sendButton_, saveButton_, loadButton_, defaultAllButton_, closeButton_});
}

SettingsPage* SettingsSheet::Page(int index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= pages_.size()) return nullptr;
  return pages_[static_cast<std::size_t>(index)];
}

SettingsPage* SettingsSheet::CurrentPage() const { return Page(tabs_->currentIndex()); }

void SettingsSheet::TakeFromMainWindow() {
  settings_ = &mainWindow_.Settings();
  ShowRecordState();
}

void SettingsSheet::ShowRecordState() {
  switch (mainWindow_.GetRecordState()) {
    case RecordState::FromReader:
      recordNote_->hide();
      return;
    case RecordState::NotRead:
      recordNote_->setText(QStringLiteral(
          "These values were not read from the reader: it did not answer. Send to MSR would "
          "write them over its settings."));
      break;
    case RecordState::WriteUnconfirmed:
      recordNote_->setText(QStringLiteral(
          "The reader did not confirm the last write: it may hold other values. CHECK CURRENT "
          "READER SETTINGS reads what it holds."));
      break;
  }
  recordNote_->show();
}

ReaderLink* SettingsSheet::Link() const { return mainWindow_.Link(); }

void SettingsSheet::TabChanged(int index) { OnTabChanged(index); }

void SettingsSheet::OnTabChanged(int) {}

void SettingsSheet::RefreshOtherSheet() {
  SettingsSheet* other = nullptr;
  if (variant_ == Variant::Basic) {
    other = mainWindow_.GetAdvancedSheet();
  } else {
    other = mainWindow_.GetBasicSheet();
  }
  if (other != nullptr) other->Refresh();
}

QEvent::Type SettingsSheet::CloseMessage() const {
  return variant_ == Variant::Basic ? MSG_CLOSE_BASIC_SHEET : MSG_CLOSE_ADVANCED_SHEET;
}

void SettingsSheet::CloseSheet() {
  QCoreApplication::postEvent(&mainWindow_, new QEvent(CloseMessage()));
  hide();
}

void SettingsSheet::SendToReader() {
  WaitCursor waitCursor;
  WindowFlowContext flow(this);
  // The basic sheet pauses once more after the firmware query and counts a switch once the
  // reader is open; the advanced sheet counts it from the start.
  SendPlan plan;
  plan.pauseAfterVersion = IsBasic() ? VERSION_QUERY_WAIT : FlowMillis{0};
  plan.switchCountsOnceOpen = IsBasic();
  plan.held = &mainWindow_.ReaderRecord();
  const SendResult sent = SendSettings(Link(), *settings_, plan, flow);
  if (sent.result == WriteOk) {
    mainWindow_.RecordMatchesReader();
  } else if (sent.outcomeUnknown) {
    mainWindow_.SetRecordState(RecordState::WriteUnconfirmed);
  }
  if (sent.interfaceSwitch) {
    // The reader re-appears on its new interface: the sheet goes at once, and the main
    // window waits for the reader and looks for it again. The sheet is deleted while that
    // runs, so nothing of it may be left to run afterwards.
    CloseSheet();
    QCoreApplication::postEvent(&mainWindow_, new QEvent(MSG_REOPEN_READER));
  }
}

void SettingsSheet::SaveToFile() {
  QString path;
  if (!ChooseConfigFile(path, false, this)) return;
  WindowFlowContext flow(this);
  SaveSettingsFile(*settings_, QFile::encodeName(path).toStdString(),
                   IsBasic() ? SaveWords{.done = texts::SAVE_OK, .failed = texts::SAVE_FAILED}
                             : SaveWords{.done = texts::SAVE_OK_ADVANCED,
                                         .failed = texts::SAVE_FAILED_ADVANCED},
                   flow);
}

void SettingsSheet::LoadFromFile() {
  QString path;
  if (!ChooseConfigFile(path, true, this)) return;
  // The advanced sheet shows the loaded record on the basic sheet's pages too.
  WindowFlowContext flow(this, [this] {
    Refresh();
    if (variant_ == Variant::Advanced) RefreshOtherSheet();
  });
  LoadSettingsFlow(Link(), *settings_, QFile::encodeName(path).toStdString(), flow);
}

void SettingsSheet::DefaultAll() {
  WaitCursor waitCursor;
  WindowFlowContext flow(this, [this] {
    mainWindow_.RecordMatchesReader();
    Refresh();
    RefreshOtherSheet();
  });
  // The basic sheet: the command on one open, the read on another, each with its message;
  // the advanced sheet reads back on the command's open.
  DefaultsPlan plan;
  if (IsBasic()) {
    plan = DefaultsPlan{.beforeCommand = DEFAULTS_COMMAND_WAIT,
                        .readOnOwnOpen = true,
                        .beforeRead = DEFAULTS_REOPEN_WAIT,
                        .openFailed = texts::DEFAULTS_OPEN_FAILED,
                        .reopenFailed = texts::DEFAULTS_REOPEN_FAILED,
                        .readFailed = texts::DEFAULTS_READ_BACK_FAILED};
  } else {
    plan.beforeRead = DEFAULTS_READ_BACK_WAIT;
  }
  RestoreFactoryDefaults(Link(), *settings_, plan, flow);
}

}  // namespace tessaron
