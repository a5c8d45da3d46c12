#include "app/settings_sheet.h"

#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <iterator>

#include "app/reader_state.h"
#include "app/settings_page.h"
#include "app/ui_services.h"
#include "app/wait_cursor.h"
#include "app/window_flow_context.h"
#include "controls/keyboard_access.h"
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

SettingsSheet::SettingsSheet(ReaderState& state, UiServices& ui, const QString& heading,
                             QWidget* parent)
    : BaseDialog(parent, Kind::ChildWindow),
      state_(state),
      ui_(ui),
      settings_(state.Settings()),
      heading_(new QLabel(heading, this)),
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
  // Whatever filled the record anew, every page of every sheet shows it.
  connect(&state_, &ReaderState::recordReplaced, this, [this] { Refresh(); });
  connect(&state_, &ReaderState::recordStateChanged, this, &SettingsSheet::ShowRecordState);
  ShowRecordState();
}

SettingsSheet::~SettingsSheet() = default;

int SettingsSheet::NeededWidth(const QFont& font, std::span<const char* const> tabCaptions) {
  const QFontMetrics metrics(font);
  int tabs = 0;
  for (const char* caption : tabCaptions) {
    tabs += metrics.horizontalAdvance(QString::fromLatin1(caption)) + 2 * TAB_PADDING_X +
            2 * TAB_BORDER + TAB_SPACING;
  }
  int buttons = BUTTON_SPACING * (static_cast<int>(std::size(BUTTON_CAPTIONS)) - 1);
  for (const char* caption : BUTTON_CAPTIONS) {
    buttons += metrics.horizontalAdvance(QString::fromLatin1(caption)) + BUTTON_PADDING_X;
  }
  return std::max(tabs, buttons) + 2 * SHEET_MARGIN + 2;
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

void SettingsSheet::ShowRecordState() {
  switch (state_.GetRecordState()) {
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

void SettingsSheet::TabChanged(int index) { OnTabChanged(index); }

void SettingsSheet::OnTabChanged(int) {}

void SettingsSheet::CloseSheet() {
  hide();
  emit closeRequested();
}

void SettingsSheet::SendToReader() {
  WaitCursor waitCursor;
  WindowFlowContext flow(this, ui_, &state_);
  SendPlan plan = SendPlanOfSheet();
  plan.held = &state_.ReaderRecord();
  const SendResult sent = SendSettings(state_.Link(), settings_, plan, flow);
  if (sent.result == WriteOk) {
    state_.RecordMatchesReader();
  } else if (sent.outcomeUnknown) {
    state_.SetRecordState(RecordState::WriteUnconfirmed);
  }
  if (sent.interfaceSwitch) {
    // The reader re-appears on its new interface: the sheet goes at once, and the reader is
    // waited for and looked for again once this work has ended.
    CloseSheet();
    emit readerSwitched();
  }
}

void SettingsSheet::SaveToFile() {
  QString path;
  if (!ChooseConfigFile(ui_, this, path, false)) return;
  WindowFlowContext flow(this, ui_, &state_);
  SaveSettingsFile(settings_, QFile::encodeName(path).toStdString(), SaveWordsOfSheet(), flow);
}

void SettingsSheet::LoadFromFile() {
  QString path;
  if (!ChooseConfigFile(ui_, this, path, true)) return;
  WindowFlowContext flow(this, ui_, &state_, [this] { state_.TellRecordReplaced(); });
  LoadSettingsFlow(state_.Link(), settings_, QFile::encodeName(path).toStdString(), flow);
}

void SettingsSheet::DefaultAll() {
  WaitCursor waitCursor;
  WindowFlowContext flow(this, ui_, &state_, [this] {
    state_.RecordMatchesReader();
    state_.TellRecordReplaced();
  });
  RestoreFactoryDefaults(state_.Link(), settings_, DefaultsPlanOfSheet(), flow);
}

}  // namespace tessaron
