#include "app_test_support.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <algorithm>

#include "app/main_window.h"
#include "app/notice_window.h"
#include "app/profile.h"
#include "app/responsive_port.h"
#include "core/command_frame.h"
#include "core/firmware.h"
#include "core/reader_settings.h"
#include "support/settings_streams.h"
#include "transport/keyboard_port.h"

namespace tessaron::test {

RecordingUiServices::RecordingUiServices() : DesktopUiServices(TEST_LIFETIMES) {}

RecordingUiServices::~RecordingUiServices() = default;

void RecordingUiServices::ShowMessage(QWidget*, const QString& text, const QString& cause,
                                      int lifetimeMs) {
  messages << text;
  causes << cause;
  messageLifetimes << lifetimeMs;
}

QMessageBox::StandardButton RecordingUiServices::ShowMessageBox(
    QWidget*, QMessageBox::Icon, const QString& caption, const QString& text,
    QMessageBox::StandardButtons, QMessageBox::StandardButton defaultButton) {
  messageBoxes << caption + QStringLiteral(": ") + text;
  return boxAnswers.isEmpty() ? defaultButton : boxAnswers.takeFirst();
}

NoticeWindow* RecordingUiServices::ShowNotice(QWidget* parent, const QString& text) {
  notices << text;
  return DesktopUiServices::ShowNotice(parent, text);
}

bool RecordingUiServices::ChooseConfigFile(QWidget*, QString* path, bool open,
                                           const QString& startFolder) {
  fileChoices << open;
  fileStartFolders << startFolder;
  if (chosenPath.isEmpty()) return false;
  *path = chosenPath;
  return true;
}

void RecordingUiServices::Wait(int milliseconds) {
  waits << milliseconds;
  if (onWait) onWait(milliseconds);
}

bool RecordingUiServices::OpenDocument(const QUrl& url) {
  documents << url;
  return opensDocuments;
}

// ---- USB readers ----

SimulatedUsbReaders::SimulatedUsbReaders(const std::vector<Byte>& formats,
                                         std::vector<ListedDevice> serialPorts)
    : listing_(std::make_shared<test_support::TestListing>(std::move(serialPorts))) {
  for (std::size_t index = 0; index < formats.size(); ++index) {
    sim::SimulatedReaderConfig config;
    config.interfaceType = formats[index] == '8' ? InterfaceType::UsbHidKb : InterfaceType::UsbHid;
    auto reader = std::make_unique<sim::SimulatedReader>(config);
    reader->SetSettingsStream(DefaultStreamWithHidFormat(formats[index]));
    sim::SimulatedHidOptions options;
    options.path = "/dev/hidraw-sim" + std::to_string(index);
    devices_.push_back(std::make_shared<sim::SimulatedHidDevice>(*reader, options));
    readers_.push_back(std::move(reader));
  }
  listing_->simulated = devices_;
}

SimulatedUsbReaders::~SimulatedUsbReaders() = default;

void SimulatedUsbReaders::AddTo(ReaderEnvironment& readers) const {
  readers.devices = listing_;
  readers.hidDevices = sim::MakeSimulatedHidFactory(devices_);
}

void SimulatedUsbReaders::SetPresent(std::size_t index, bool present) {
  const sim::SimulatedHidDevice* device = devices_.at(index).get();
  if (present) {
    listing_->unplugged.erase(device);
  } else {
    listing_->unplugged.insert(device);
  }
}

// ---- keyboard line ----

SimulatedKeyboardLine::SimulatedKeyboardLine(bool withReader)
    : controller_(std::make_shared<sim::SimulatedKeyboardController>()),
      keyboard_(std::make_shared<PortIoController>(controller_)) {
  controller_->SetStartRefused(!withReader);
}

SimulatedKeyboardLine::~SimulatedKeyboardLine() {
  // The next test starts from a controller access that was never started.
  if (IsControllerAccessStarted()) StopControllerAccess();
}

void SimulatedKeyboardLine::AddTo(ReaderEnvironment& readers) const {
  readers.keyboardController = keyboard_;
}

// ---- profile ----

void UseProfileFolder(const QTemporaryDir& dir) {
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
}

void ClearProfile() {
  QSettings profile(QString::fromLatin1(PROFILE_ORGANISATION),
                    QString::fromLatin1(PROFILE_APPLICATION));
  profile.clear();
  profile.sync();
}

void WriteProfile(InterfaceType type, DeviceIndex index) {
  QSettings profile(QString::fromLatin1(PROFILE_ORGANISATION),
                    QString::fromLatin1(PROFILE_APPLICATION));
  profile.beginGroup(QString::fromLatin1(PROFILE_GROUP));
  profile.setValue(QString::fromLatin1(PROFILE_INTERFACE_TYPE), InterfaceNumber(type));
  profile.setValue(QString::fromLatin1(PROFILE_DEVICE_INDEX), index);
  profile.endGroup();
  profile.sync();
}

std::pair<InterfaceType, int> ReadProfile() {
  QSettings profile(QString::fromLatin1(PROFILE_ORGANISATION),
                    QString::fromLatin1(PROFILE_APPLICATION));
  profile.beginGroup(QString::fromLatin1(PROFILE_GROUP));
  const int type = profile.value(QString::fromLatin1(PROFILE_INTERFACE_TYPE), -100).toInt();
  const int index = profile.value(QString::fromLatin1(PROFILE_DEVICE_INDEX), -100).toInt();
  return {static_cast<InterfaceType>(type), index};
}

namespace {
// The watchers still waiting for a modal window; a test ends them all when it finishes.
QObject& ModalWatchers() {
  static QPointer<QObject> owner;
  if (!owner) owner = new QObject(QCoreApplication::instance());
  return *owner;
}
}  // namespace

void WhenModalShown(std::function<void(QWidget*)> action, int limitMs) {
  auto* poll = new QTimer(&ModalWatchers());
  auto clock = std::make_shared<QElapsedTimer>();
  clock->start();
  QObject::connect(poll, &QTimer::timeout, poll, [poll, clock, limitMs, action] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr && clock->elapsed() < limitMs) return;
    poll->stop();
    poll->deleteLater();
    if (modal != nullptr) action(modal);
  });
  poll->start(5);
}

void StopModalWatchers() {
  for (QTimer* poll : ModalWatchers().findChildren<QTimer*>()) {
    poll->stop();
    delete poll;
  }
}

ByteString DefaultStreamWithHidFormat(Byte format) {
  ReaderSettings settings;
  settings.hidFormat = format;
  return test_support::StreamOf(settings);
}

void Settle() {
  for (int round = 0; round < 3; ++round) {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
  }
}

void WindowTestBase::UseOwnProfile() {
  QVERIFY(profileDir_.isValid());
  UseProfileFolder(profileDir_);
  enterKeys_ = std::make_unique<EnterPressesButtons>();
}

void WindowTestBase::PrepareCase() {
  ClearProfile();
  ui_ = std::make_unique<RecordingUiServices>();
  keyboard_ = std::make_unique<SimulatedKeyboardLine>(false);
  usb_ = std::make_unique<SimulatedUsbReaders>(std::vector<Byte>{});
}

void WindowTestBase::EndCase() {
  StopModalWatchers();
  window_.reset();
  pageState_.reset();
  Settle();
  session_.reset();
  uiHost_.reset();
  usb_.reset();
  keyboard_.reset();
  ui_.reset();
}

ReaderEnvironment WindowTestBase::TestReaders(const TransportTiming& timing) const {
  ReaderEnvironment readers;
  readers.timing = timing;
  if (usb_) usb_->AddTo(readers);
  if (keyboard_) keyboard_->AddTo(readers);
  return ReadersForWindows(std::move(readers), *ui_);
}

ReaderState& WindowTestBase::PageState(InterfaceType line) {
  if (!session_) session_ = std::make_unique<ReaderSession>(TestReaders());
  if (!pageState_) pageState_ = std::make_unique<ReaderState>(*session_);
  pageState_->Settings() = ReaderSettings(line);
  return *pageState_;
}

QWidget* WindowTestBase::UiHost() {
  if (!uiHost_) uiHost_ = std::make_unique<QWidget>();
  return uiHost_.get();
}

void WindowTestBase::StartWindow(const TransportTiming& timing) {
  window_.reset();
  session_ = std::make_unique<ReaderSession>(TestReaders(timing));
  window_ = std::make_unique<MainWindow>(*session_, *ui_);
  window_->show();
}

QStringList UnnamedControls(QWidget* window) {
  QStringList faults;
  QStringList names;
  std::function<void(QAccessibleInterface*)> walk = [&](QAccessibleInterface* node) {
    for (int i = 0; i < node->childCount(); ++i) {
      QAccessibleInterface* child = node->child(i);
      if (child == nullptr || child->state().invisible) continue;
      const QAccessible::Role role = child->role();
      if (role != QAccessible::EditableText && role != QAccessible::ComboBox &&
          role != QAccessible::List && role != QAccessible::Table) {
        walk(child);
        continue;
      }
      QString name = child->text(QAccessible::Name);
      const auto labels = child->relations(QAccessible::Label);
      if (role == QAccessible::ComboBox && name == child->text(QAccessible::Value)) {
        name = labels.isEmpty() ? QString() : labels.first().first->text(QAccessible::Name);
      }
      if (name.isEmpty() || names.contains(name)) faults << window->objectName() + ": \"" + name + '"';
      names << name;
    }
  };
  walk(QAccessible::queryAccessibleInterface(window));
  return faults;
}

QStringList CaptionsCutOff(QWidget* window) {
  QStringList cut;
  const auto name = [](const QWidget* widget, const QString& caption) {
    return QStringLiteral("%1 \"%2\"").arg(widget->objectName(), caption);
  };
  QList<QWidget*> widgets = window->findChildren<QWidget*>();
  widgets.prepend(window);
  for (QWidget* widget : widgets) {
    if (!widget->isVisibleTo(window)) continue;
    if (auto* button = qobject_cast<QPushButton*>(widget)) {
      // The widest line of the caption, with a few pixels of frame on each side.
      int textWidth = 0;
      for (const QString& line : button->text().split(QLatin1Char('\n'))) {
        textWidth = std::max(textWidth, button->fontMetrics().horizontalAdvance(line));
      }
      const int lines = static_cast<int>(button->text().count(QLatin1Char('\n'))) + 1;
      if (button->width() < textWidth + 6 || button->height() < lines * button->fontMetrics().height()) {
        cut << name(button, button->text());
      }
    } else if (auto* choice = qobject_cast<QAbstractButton*>(widget)) {
      if (!choice->text().isEmpty() && choice->width() < choice->sizeHint().width()) {
        cut << name(choice, choice->text());
      }
    } else if (auto* tabs = qobject_cast<QTabBar*>(widget)) {
      for (int i = 0; i < tabs->count(); ++i) {
        const QRect tab = tabs->tabRect(i);
        const int textWidth = tabs->fontMetrics().horizontalAdvance(tabs->tabText(i));
        if (tab.width() < textWidth || tab.right() >= tabs->width() + 1 || tab.left() < 0) {
          cut << name(tabs, tabs->tabText(i));
        }
      }
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
      if (!label->wordWrap() && !label->text().isEmpty() &&
          label->width() < label->sizeHint().width()) {
        cut << name(label, label->text());
      }
    }
  }
  return cut;
}

QString FirmwareText(double number, bool below) {
  return QStringLiteral("V") +
         QString::fromStdString(VersionNumberText(below ? number - 0.01 : number));
}

}  // namespace tessaron::test
