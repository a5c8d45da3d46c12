#include "app/main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QSettings>
#include <QWindow>
#include <vector>

#include "app/advanced_sheet.h"
#include "app/basic_sheet.h"
#include "app/busy_windows.h"
#include "app/help_files.h"
#include "app/interface_selection_page.h"
#include "app/notice_window.h"
#include "app/pictures.h"
#include "app/private_messages.h"
#include "app/quick_clone_page.h"
#include "app/report_window.h"
#include "app/responsive_port.h"
#include "app/ui_services.h"
#include "app/wait_cursor.h"
#include "app/window_flow_context.h"
#include "controls/dialog_units.h"
#include "core/settings_report.h"
#include "flows/flow_waits.h"
#include "flows/reader_flows.h"
#include "transport/discovery.h"

namespace tessaron {

namespace {

// The window is laid out in dialog units: 355 by 280 units, the button column 75 units wide
// at x = 11, the child-window area from (95, 50) to the window's edges.
constexpr int WINDOW_UNITS_WIDTH = 355;
constexpr int WINDOW_UNITS_HEIGHT = 280;
// Below the last button, so that it does not touch the window's edge.
constexpr int BOTTOM_MARGIN_UNITS = 6;
constexpr int BUTTON_UNITS_X = 11;
constexpr int BUTTON_UNITS_WIDTH = 75;
constexpr int BUTTON_UNITS_HEIGHT = 20;
constexpr int BUTTON_TO_CHILD_UNITS = 9;
constexpr int CHILD_UNITS_X = 95;
constexpr int CHILD_UNITS_Y = 50;
// Room around a button caption: the rounded border and a little air.
constexpr int BUTTON_CAPTION_PADDING = 16;

const QColor AREA_COLOR(204, 230, 214);
const QColor LINE_COLOR(86, 185, 140);
const QColor BORDER_COLOR(100, 100, 100);

struct ButtonPlace {
  const char* caption;
  const char* name;
  int y;  // dialog units
};

// Down the left side, 75 by 20 units each at x = 11.
const ButtonPlace BUTTON_PLACES[] = {
    {"SELECT READER\nINTERFACE", "selectInterfaceButton", 68},
    {"HOW TO USE\nTHIS UTILITY", "howToUseButton", 100},
    {"CHECK CURRENT\nREADER SETTINGS", "checkSettingsButton", 132},
    {"CHANGE BASIC\nREADER SETTINGS", "changeBasicButton", 164},
    {"CHANGE ADVANCED\nREADER SETTINGS", "changeAdvancedButton", 196},
    {"HELP", "helpButton", 228},
    {"EXIT", "exitButton", 260},
};

// The column's buttons: rounded, green, bold captions, lighter under the mouse, darker when
// pressed, a heavier frame with the focus. Painted here rather than through a style sheet,
// which costs the start-up more than the whole window does.
class ColumnButton : public QPushButton {
 public:
  ColumnButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
    setAttribute(Qt::WA_Hover);
    QFont bold = font();
    bold.setBold(true);
    setFont(bold);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal frameWidth = hasFocus() ? 2.0 : 1.0;
    const QRectF frame = QRectF(rect()).adjusted(frameWidth / 2, frameWidth / 2,
                                                 -frameWidth / 2, -frameWidth / 2);
    QBrush fill(QColor(0xa9, 0xd3, 0xba));
    if (!isDown()) {
      const bool hovered = underMouse();
      QLinearGradient gradient(0, 0, 0, height());
      gradient.setColorAt(0, hovered ? QColor(0xff, 0xff, 0xff) : QColor(0xf6, 0xfc, 0xf8));
      gradient.setColorAt(1, hovered ? QColor(0xd5, 0xef, 0xdf) : QColor(0xbf, 0xe0, 0xcc));
      fill = QBrush(gradient);
    }
    painter.setPen(QPen(hasFocus() ? QColor(0x24, 0x61, 0x3f) : QColor(0x3c, 0x7a, 0x5a),
                        frameWidth));
    painter.setBrush(fill);
    painter.drawRoundedRect(frame, 6, 6);
    painter.setPen(QColor(0x17, 0x3d, 0x2a));
    painter.setFont(font());
    painter.drawText(rect(), Qt::AlignCenter, text());
  }
};

QFont TitleFont(const DialogUnits& units) {
  QFont font = SerifFont();
  font.setPixelSize(units.Pixels(24));
  return font;
}

QFont WelcomeFont(const DialogUnits& units) {
  QFont font = SansFont();
  font.setPixelSize(units.Pixels(14));
  return font;
}

// The widest line of a button's caption in the buttons' bold face.
int CaptionWidth(const QFont& font, const char* caption) {
  QFont bold = font;
  bold.setBold(true);
  const QFontMetrics metrics(bold);
  int widest = 0;
  for (const QString& line : QString::fromLatin1(caption).split(QLatin1Char('\n'))) {
    widest = std::max(widest, metrics.horizontalAdvance(line));
  }
  return widest;
}

}  // namespace

MainWindow::MainWindow(ReaderSession& session, QWidget* parent)
    : BaseDialog(parent, Kind::Window, Qt::Window | Qt::FramelessWindowHint),
      session_(session),
      lastDeviceChange_(-QuickClonePage::DEVICE_CHANGE_DEBOUNCE_MS) {
  session_.Environment().wrap = MakeResponsive;
  deviceClock_.start();
  setObjectName(QStringLiteral("mainWindow"));
  // Enter and Escape do nothing here.
  SetCancelIgnored(true);
  setWindowIcon(AppIcon());
  setWindowTitle(QString::fromLatin1(MAIN_WINDOW_TITLE));
  SetBackgroundColor(Qt::white);

  // The button column is as wide as its units, or as its widest caption needs.
  int buttonWidth = units_.X(BUTTON_UNITS_WIDTH);
  for (const ButtonPlace& place : BUTTON_PLACES) {
    buttonWidth = std::max(buttonWidth, CaptionWidth(font(), place.caption) + BUTTON_CAPTION_PADDING);
  }
  const int buttonHeight =
      std::max(units_.Y(BUTTON_UNITS_HEIGHT), 2 * QFontMetrics(font()).height() + 6);
  int index = 0;
  for (const ButtonPlace& place : BUTTON_PLACES) {
    auto* button = new ColumnButton(QString::fromLatin1(place.caption), this);
    button->setObjectName(QString::fromLatin1(place.name));
    button->setAutoDefault(false);
    button->setGeometry(units_.X(BUTTON_UNITS_X), units_.Y(place.y), buttonWidth, buttonHeight);
    buttons_[index++] = button;
  }
  childLeft_ = units_.X(BUTTON_UNITS_X) + buttonWidth + units_.X(BUTTON_TO_CHILD_UNITS);
  // The child-window area keeps its units, or is as wide as a sheet needs at this font.
  const int childWidth = std::max(units_.X(WINDOW_UNITS_WIDTH) - units_.X(CHILD_UNITS_X),
                                  SettingsSheet::NeededWidth(font()));
  setFixedSize(childLeft_ + childWidth, units_.Y(WINDOW_UNITS_HEIGHT + BOTTOM_MARGIN_UNITS));
  connect(GetButton(Button::SelectInterface), &QPushButton::clicked, this,
          &MainWindow::SelectReaderInterface);
  connect(GetButton(Button::HowToUse), &QPushButton::clicked, this, &MainWindow::ShowHowToUse);
  connect(GetButton(Button::CheckSettings), &QPushButton::clicked, this,
          &MainWindow::CheckCurrentSettings);
  connect(GetButton(Button::ChangeBasic), &QPushButton::clicked, this,
          &MainWindow::ChangeBasicSettings);
  connect(GetButton(Button::ChangeAdvanced), &QPushButton::clicked, this,
          &MainWindow::ChangeAdvancedSettings);
  connect(GetButton(Button::Help), &QPushButton::clicked, this, &MainWindow::ShowHelp);
  connect(GetButton(Button::Exit), &QPushButton::clicked, this, &MainWindow::Exit);

  // Only the remembered pair and the fast-exchange setting are read at start; no reader is
  // contacted.
  QSettings profile(QString::fromLatin1(PROFILE_ORGANISATION),
                    QString::fromLatin1(PROFILE_APPLICATION));
  profile.beginGroup(QString::fromLatin1(PROFILE_GROUP));
  interfaceType_ = profile.value(QString::fromLatin1(PROFILE_INTERFACE_TYPE), 0).toInt();
  deviceIndex_ = profile.value(QString::fromLatin1(PROFILE_DEVICE_INDEX), -1).toInt();
  session_.Environment().timing.fastReplies =
      profile.value(QString::fromLatin1(PROFILE_FAST_REPLIES), false).toBool();
  profile.endGroup();

  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

MainWindow::~MainWindow() {
  // The child windows go first: their pages refer to the record and the port.
  CloseNotice();
  delete advancedSheet_;
  advancedSheet_ = nullptr;
  delete basicSheet_;
  basicSheet_ = nullptr;
  delete interfaceSelection_;
  interfaceSelection_ = nullptr;
  link_.reset();

  QSettings profile(QString::fromLatin1(PROFILE_ORGANISATION),
                    QString::fromLatin1(PROFILE_APPLICATION));
  profile.beginGroup(QString::fromLatin1(PROFILE_GROUP));
  profile.setValue(QString::fromLatin1(PROFILE_INTERFACE_TYPE), interfaceType_);
  profile.setValue(QString::fromLatin1(PROFILE_DEVICE_INDEX), deviceIndex_);
  profile.endGroup();
  profile.sync();
}

void MainWindow::SetFastReplies(bool fast) {
  session_.Environment().timing.fastReplies = fast;
  QSettings profile(QString::fromLatin1(PROFILE_ORGANISATION),
                    QString::fromLatin1(PROFILE_APPLICATION));
  profile.beginGroup(QString::fromLatin1(PROFILE_GROUP));
  profile.setValue(QString::fromLatin1(PROFILE_FAST_REPLIES), fast);
  profile.endGroup();
}

QPushButton* MainWindow::GetButton(Button button) const {
  return buttons_[static_cast<int>(button)];
}

QRect MainWindow::ChildArea() const {
  const int top = units_.Y(CHILD_UNITS_Y);
  return QRect(childLeft_, top, width() - childLeft_, height() - top);
}

void MainWindow::PlaceChild(QWidget* child) {
  // A child window that needs more room than the area has (large captions) widens the
  // main window; the area always keeps at least its own size.
  const QSize needed = child->minimumSizeHint();
  const QRect area = ChildArea();
  const int extraWidth = std::max(0, needed.width() - area.width());
  const int extraHeight = std::max(0, needed.height() - area.height());
  if (extraWidth > 0 || extraHeight > 0) {
    setFixedSize(width() + extraWidth, height() + extraHeight);
    update();
  }
  child->setGeometry(ChildArea());
}

// ---- connection ----

void MainWindow::SetConnection(const ReaderConnection& connection) {
  interfaceType_ = connection.type;
  deviceIndex_ = connection.path.empty() ? connection.index : -1;
  devicePath_ = connection.path;
}

ReaderConnection MainWindow::CurrentConnection() const {
  return ReaderConnection{interfaceType_, deviceIndex_, devicePath_};
}

bool MainWindow::Connect(bool readSettings) {
  link_.reset();
  link_ = session_.Link(CurrentConnection());
  WindowFlowContext flow(this);
  const ReadOutcome outcome =
      link_ ? ReadSettingsAndVersion(*link_, settings_, readSettings, nullptr, flow)
            : ReadOutcome::OpenFailed;
  connectFailureCause_.clear();
  if (link_ && outcome != ReadOutcome::Ok && !link_->FailureTold()) {
    connectFailureCause_ = link_->FailureCause();
  }
  if (outcome == ReadOutcome::OpenFailed) {
    // Forgotten, also for the next run: it then starts with USB auto-detection.
    deviceIndex_ = -1;
    devicePath_.clear();
    interfaceType_ = INTERFACE_UNKNOWN;
    link_.reset();
    return false;
  }
  // No page may show values of an earlier reader.
  CloseAdvancedSheet();
  CloseBasicSheet();
  return readSettings && outcome == ReadOutcome::Ok;
}

bool MainWindow::ConnectTo(const ReaderConnection& connection) {
  SetConnection(connection);
  bool connected = false;
  {
    WaitCursor waitCursor;
    connected = Connect(true);
  }
  if (!connected) {
    ShowMessage(QString::fromLatin1(OPEN_DEVICE_FAILED_TEXT), this, 0,
                QString::fromLocal8Bit(connectFailureCause_.c_str()));
  }
  return connected;
}

void MainWindow::ConnectAtStartUp(const ReaderConnection& connection) {
  auto hold = std::make_shared<InputHold>();
  QTimer::singleShot(0, this, [this, connection, hold]() mutable {
    ConnectTo(connection);
    hold.reset();
  });
}

bool MainWindow::EnsureConnection() {
  if (link_) return true;
  const bool named = deviceIndex_ != -1 || !devicePath_.empty();
  if (interfaceType_ != INTERFACE_UNKNOWN && named && Connect(true)) return true;

  // Only a single USB reader is chosen without asking (a simulated reader on another line
  // is chosen on the interface selection page, as a real one is).
  ReaderConnection chosen;
  if (!session_.ChooseUnnamed(false, &chosen)) return false;
  SetConnection(chosen);
  return Connect(true);
}

void MainWindow::ReplacePort() {
  link_.reset();
  link_ = session_.Link(CurrentConnection());
}

// ---- child windows ----

void MainWindow::ShowNotice(const QString& text) {
  CloseNotice();
  notice_ = Ui().ShowNotice(this, text);
}

void MainWindow::CloseNotice() {
  if (notice_) {
    notice_->hide();
    notice_->deleteLater();
  }
  notice_ = nullptr;
}

void MainWindow::CloseInterfaceSelection() {
  if (interfaceSelection_ != nullptr) {
    interfaceSelection_->hide();
    interfaceSelection_->deleteLater();
    interfaceSelection_ = nullptr;
  }
  CloseNotice();
}

void MainWindow::CloseBasicSheet() {
  if (basicSheet_ != nullptr) {
    basicSheet_->hide();
    basicSheet_->deleteLater();
    basicSheet_ = nullptr;
  }
  GetButton(Button::Exit)->setFocus();
  CloseNotice();
}

void MainWindow::CloseAdvancedSheet() {
  if (advancedSheet_ != nullptr) {
    advancedSheet_->hide();
    advancedSheet_->deleteLater();
    advancedSheet_ = nullptr;
  }
  GetButton(Button::Exit)->setFocus();
  CloseNotice();
}

void MainWindow::SelectReaderInterface() {
  if (advancedSheet_ != nullptr && advancedSheet_->isVisibleTo(this)) {
    ShowNotice(QString::fromLatin1(CLOSE_ADVANCED_FIRST_TEXT));
    advancedSheet_->CloseButton()->setFocus();
    return;
  }
  if (basicSheet_ != nullptr && basicSheet_->isVisibleTo(this)) {
    ShowNotice(QString::fromLatin1(CLOSE_BASIC_FIRST_TEXT));
    basicSheet_->CloseButton()->setFocus();
    return;
  }
  if (interfaceSelection_ == nullptr) {
    interfaceSelection_ = new InterfaceSelectionPage(*this, this);
  }
  PlaceChild(interfaceSelection_);
  interfaceSelection_->show();
  interfaceSelection_->raise();
}

void MainWindow::ChangeBasicSettings() { ShowSheet(false); }

void MainWindow::ChangeAdvancedSettings() { ShowSheet(true); }

void MainWindow::ShowSheet(bool advanced) {
  if (interfaceSelection_ != nullptr) {
    ShowNotice(QString::fromLatin1(advanced ? BLOCKED_ADVANCED_TEXT : BLOCKED_BASIC_TEXT));
    return;
  }
  if (!link_) {
    WaitCursor waitCursor;
    if (!EnsureConnection()) return;
    if (settings_.interfaceType == INTERFACE_PS2_KEYBOARD) {
      WindowFlowContext(this).Wait(KEYBOARD_SHEET_WAIT);
    }
    // The settings are read again on purpose: the sheet shows what the reader holds now.
    if (!Connect(true)) return;
  }

  SettingsSheet* sheet = nullptr;
  SettingsSheet* other = nullptr;
  if (advanced) {
    if (advancedSheet_ == nullptr) advancedSheet_ = new AdvancedSheet(*this, this);
    sheet = advancedSheet_;
    other = basicSheet_;
  } else {
    if (basicSheet_ == nullptr) basicSheet_ = new BasicSheet(*this, this);
    sheet = basicSheet_;
    other = advancedSheet_;
  }
  if (other != nullptr) other->hide();
  sheet->TakeFromMainWindow();
  sheet->Refresh();
  PlaceChild(sheet);
  sheet->show();
  sheet->raise();
}

// ---- reader operations ----

void MainWindow::CheckCurrentSettings() {
  {
    WaitCursor waitCursor;
    if (interfaceSelection_ != nullptr) {
      ShowNotice(QString::fromLatin1(BLOCKED_CHECK_TEXT));
      return;
    }
    bool settingsRead = false;
    if (!link_) {
      if (!EnsureConnection()) {
        SelectReaderInterface();
        return;
      }
      // The settings have just been read; a fresh port asks the reader for its version.
      settingsRead = true;
      ReplacePort();
      if (!link_) return;
    }
    // A reader that cannot be opened or read gives no message here.
    WindowFlowContext flow(this);
    std::string firmware;
    if (ReadSettingsAndVersion(*link_, settings_, !settingsRead, &firmware, flow) !=
        ReadOutcome::Ok) {
      return;
    }
    firmwareVersion_ = firmware;
  }
  // The record now holds what the reader holds: a sheet that shows it shows that too, so that
  // what is shown is what "Send to MSR" would write.
  if (basicSheet_ != nullptr) basicSheet_->Refresh();
  if (advancedSheet_ != nullptr) advancedSheet_->Refresh();
  ShowSettingsReport();
}

void MainWindow::ShowSettingsReport() {
  const std::string report = BuildSettingsReport(settings_, firmwareVersion_);
  ReportWindow window(QString::fromLatin1(report.data(), static_cast<qsizetype>(report.size())),
                      this);
  window.exec();
}

void MainWindow::ReopenReader() {
  WaitCursor waitCursor;
  if (interfaceSelection_ != nullptr) {
    ShowNotice(QString::fromLatin1(BLOCKED_CHECK_TEXT));
    return;
  }
  // The reader is looked for afresh: it may have come back on another interface.
  link_.reset();
  if (!EnsureConnection()) {
    SelectReaderInterface();
    return;
  }
  ReplacePort();
  if (!link_) return;
  WindowFlowContext flow(this);
  std::string firmware;
  if (ReadSettingsAndVersion(*link_, settings_, false, &firmware, flow) == ReadOutcome::Ok) {
    firmwareVersion_ = firmware;
  }
}

void MainWindow::NotifyDevicesChanged() {
  if (advancedSheet_ == nullptr || advancedSheet_->QuickClone() == nullptr) return;
  QCoreApplication::postEvent(advancedSheet_->QuickClone(),
                              new DevicesChangedEvent(deviceClock_.elapsed()));
}

bool MainWindow::TakeDeviceChange(qint64 timeMs) {
  if (timeMs - lastDeviceChange_ < QuickClonePage::DEVICE_CHANGE_DEBOUNCE_MS) return false;
  lastDeviceChange_ = timeMs;
  return true;
}

// ---- documents and exit ----

void MainWindow::ShowHowToUse() { OpenHowToUse(); }

void MainWindow::ShowHelp() { OpenHelpTopic(HELP_CONTEXT_MAIN); }

void MainWindow::Exit() {
  CloseNotice();
  close();
}

// ---- events ----

bool MainWindow::event(QEvent* event) {
  switch (static_cast<int>(event->type())) {
    case MSG_CLOSE_INTERFACE_SELECTION:
      CloseInterfaceSelection();
      return true;
    case MSG_CLOSE_BASIC_SHEET:
      CloseBasicSheet();
      return true;
    case MSG_CLOSE_ADVANCED_SHEET:
      CloseAdvancedSheet();
      return true;
    case MSG_CLOSE_NOTICE:
      CloseNotice();
      return true;
    case MSG_REOPEN_READER:
      ReopenReader();
      return true;
    default:
      return BaseDialog::event(event);
  }
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
      event->accept();
      return;
    default:
      BaseDialog::keyPressEvent(event);
  }
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // However the window is closed, the run ends with it.
  event->accept();
  emit exitRequested();
}

void MainWindow::mousePressEvent(QMouseEvent* event) {
  // The window has no caption bar: it is dragged by any point of its client area.
  if (event->button() != Qt::LeftButton) {
    BaseDialog::mousePressEvent(event);
    return;
  }
  if (windowHandle() != nullptr && windowHandle()->startSystemMove()) {
    event->accept();
    return;
  }
  dragging_ = true;
  dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
  event->accept();
}

void MainWindow::mouseMoveEvent(QMouseEvent* event) {
  if (dragging_ && (event->buttons() & Qt::LeftButton)) {
    move(event->globalPosition().toPoint() - dragOffset_);
    event->accept();
    return;
  }
  BaseDialog::mouseMoveEvent(event);
}

void MainWindow::mouseReleaseEvent(QMouseEvent* event) {
  dragging_ = false;
  BaseDialog::mouseReleaseEvent(event);
}

void MainWindow::paintEvent(QPaintEvent* event) {
  BaseDialog::paintEvent(event);
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  const int w = width();
  const int h = height();

  // The light green area behind the child windows, outlined in black.
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(AREA_COLOR);
  painter.drawRect(QRect(QPoint(w / 10, h / 6), QPoint(w + 1, h + 1)));

  // The logo, the line under it and the title beside it.
  const QPixmap logo = LogoPicture(units_.Scale());
  painter.drawPixmap(w / 10, h / 50, logo);
  const int lineY = h / 50 + logo.height() + 5;
  painter.setPen(QPen(LINE_COLOR, 2));
  painter.drawLine(w / 10, lineY, w - 10, lineY);

  const QFont titleFont = TitleFont(units_);
  painter.setFont(titleFont);
  painter.setPen(Qt::black);
  const QFontMetrics titleMetrics(titleFont);
  const int titleLeft = w / 10 + logo.width() + 6;
  const int titleBottom = h / 50 + logo.height();
  painter.drawText(QPoint(titleLeft, titleBottom - titleMetrics.descent()),
                   QString::fromLatin1(PROGRAM_TITLE));

  // The reader picture, at most 60 % of the height tall.
  const QPixmap picture = ReaderPicture(units_.Scale());
  const int pictureHeight = std::min(picture.height(), static_cast<int>(0.6 * h));
  painter.drawPixmap(
      QRect(static_cast<int>(0.3 * w), static_cast<int>(0.22 * h), picture.width(), pictureHeight),
      picture, QRect(0, 0, picture.width(), pictureHeight));

  // The welcome text under the picture, from the child-window area's left edge.
  painter.setFont(WelcomeFont(units_));
  painter.setPen(QColor(20, 60, 40));
  const QRect welcome(QPoint(ChildArea().left(), static_cast<int>(0.83 * h)), QPoint(w - 20, h));
  painter.drawText(welcome, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop,
                   QString::fromLatin1(WELCOME_TEXT));

  // The thin border of the captionless window, so that it stands apart from a white window
  // behind it.
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(QPen(BORDER_COLOR, 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace tessaron
