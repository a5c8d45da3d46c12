#include "app/settings_sheet.h"

#include <QCoreApplication>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/advanced_sheet.h"
#include "app/basic_sheet.h"
#include "app/main_window.h"
#include "app/private_messages.h"
#include "app/settings_page.h"
#include "app/ui_services.h"
#include "app/wait_cursor.h"
#include "app/window_flow_context.h"

namespace tessaron {

namespace {

QPushButton* MakeButton(const char* caption, const char* name, QWidget* parent) {
  auto* button = new QPushButton(QString::fromLatin1(caption), parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setAutoDefault(false);
  return button;
}

}  // namespace

SettingsSheet::SettingsSheet(MainWindow& mainWindow, Variant variant, QWidget* parent)
    : BaseDialog(parent, Kind::ChildWindow),
      mainWindow(mainWindow),
      settings(&mainWindow.Settings()),
      variant_(variant),
      heading_(
          new QLabel(QString::fromLatin1(variant == Variant::Basic ? "Change Basic Settings:"
                                                                   : "Change Advanced Settings:"),
                     this)),
      tabs_(new QTabWidget(this)),
      sendButton_(MakeButton("Send to MSR", "sendButton", this)),
      saveButton_(MakeButton("Save to File", "saveButton", this)),
      loadButton_(MakeButton("Load from File", "loadButton", this)),
      defaultAllButton_(MakeButton("Default All", "defaultAllButton", this)),
      closeButton_(MakeButton("Close", "closeButton", this)) {
  QFont headingFont = heading_->font();
  headingFont.setBold(true);
  heading_->setFont(headingFont);
  tabs_->setObjectName(QStringLiteral("tabs"));
  // Every tab caption is shown whole: no scroll arrows, no elided captions.
  tabs_->setUsesScrollButtons(false);
  tabs_->tabBar()->setElideMode(Qt::ElideNone);
  tabs_->setStyleSheet(QStringLiteral(
      "QTabBar::tab { padding: 4px 7px; margin-right: 1px; border: 1px solid #7a9a8a;"
      " border-bottom: none; border-top-left-radius: 4px; border-top-right-radius: 4px;"
      " background: #b9dcc7; }"
      "QTabBar::tab:selected { background: #f4fbf7; }"
      "QTabWidget::pane { border: 1px solid #7a9a8a; }"));

  auto* buttons = new QHBoxLayout;
  buttons->setSpacing(6);
  for (QPushButton* button :
       {sendButton_, saveButton_, loadButton_, defaultAllButton_, closeButton_}) {
    buttons->addWidget(button);
  }
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 6, 8, 8);
  layout->addWidget(heading_);
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

void SettingsSheet::AddPage(const QString& caption, SettingsPage* page) {
  pages_.push_back(page);
  tabs_->addTab(page, caption);
}

SettingsPage* SettingsSheet::Page(int index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= pages_.size()) return nullptr;
  return pages_[static_cast<std::size_t>(index)];
}

SettingsPage* SettingsSheet::CurrentPage() const { return Page(tabs_->currentIndex()); }

void SettingsSheet::TakeFromMainWindow() { settings = &mainWindow.Settings(); }

ReaderLink* SettingsSheet::Link() const { return mainWindow.Link(); }

void SettingsSheet::TabChanged(int index) { OnTabChanged(index); }

void SettingsSheet::OnTabChanged(int) {}

void SettingsSheet::RefreshOtherSheet() {
  SettingsSheet* other = nullptr;
  if (variant_ == Variant::Basic) {
    other = mainWindow.GetAdvancedSheet();
  } else {
    other = mainWindow.GetBasicSheet();
  }
  if (other != nullptr) other->Refresh();
}

SheetKind SettingsSheet::Kind() const {
  return variant_ == Variant::Basic ? SheetKind::Basic : SheetKind::Advanced;
}

QEvent::Type SettingsSheet::CloseMessage() const {
  return variant_ == Variant::Basic ? MSG_CLOSE_BASIC_SHEET : MSG_CLOSE_ADVANCED_SHEET;
}

void SettingsSheet::CloseSheet() {
  QCoreApplication::postEvent(&mainWindow, new QEvent(CloseMessage()));
  hide();
}

void SettingsSheet::SendToReader() {
  WaitCursor waitCursor;
  WindowFlowContext flow(this);
  const SendResult sent = SendSettings(Link(), *settings, Kind(), flow);
  if (sent.interfaceSwitch) {
    // The reader re-appears on its new interface: the sheet goes, and the main window
    // looks for the reader again once it has had time to come back.
    CloseSheet();
    mainWindow.repaint();
    WaitForSwitchedReader(flow);
    QCoreApplication::postEvent(&mainWindow, new QEvent(MSG_REOPEN_READER));
  }
}

void SettingsSheet::SaveToFile() {
  QString path;
  if (!ChooseConfigFile(path, false, this)) return;
  WindowFlowContext flow(this);
  SaveSettingsFile(*settings, QFile::encodeName(path).toStdString(), Kind(), flow);
}

void SettingsSheet::LoadFromFile() {
  QString path;
  if (!ChooseConfigFile(path, true, this)) return;
  // The advanced sheet shows the loaded record on the basic sheet's pages too.
  WindowFlowContext flow(this, [this] {
    Refresh();
    if (variant_ == Variant::Advanced) RefreshOtherSheet();
  });
  LoadSettingsFlow(Link(), *settings, QFile::encodeName(path).toStdString(), flow);
}

void SettingsSheet::DefaultAll() {
  WaitCursor waitCursor;
  WindowFlowContext flow(this, [this] {
    Refresh();
    RefreshOtherSheet();
  });
  RestoreFactoryDefaults(Link(), *settings, Kind(), flow);
}

}  // namespace tessaron
