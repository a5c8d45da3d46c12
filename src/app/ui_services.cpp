#include "app/ui_services.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QFileDialog>
#include <QStringList>

#include "app/busy_windows.h"
#include "app/message_window.h"
#include "app/notice_window.h"
#include "app/profile.h"
#include "app/wait_cursor.h"
#include "controls/refusal_box.h"

namespace tessaron {

namespace {

UiServices* installedServices = nullptr;

DesktopUiServices& DesktopServices() {
  static DesktopUiServices services;
  return services;
}

QWidget* DefaultParent(QWidget* parent) {
  return parent != nullptr ? parent : QApplication::activeWindow();
}

}  // namespace

void DesktopUiServices::ShowMessage(QWidget* parent, const QString& text, const QString& cause,
                                    int lifetimeMs) {
  ArrowCursor arrow;
  QString shown = text;
  if (!cause.isEmpty()) {
    if (!shown.endsWith(QLatin1Char('\n'))) shown += QLatin1Char('\n');
    shown += cause;
  }
  MessageWindow window(shown, parent, lifetimeMs > 0 ? lifetimeMs : lifetimes_.messageMs);
  window.exec();
}

QMessageBox::StandardButton DesktopUiServices::ShowMessageBox(
    QWidget* parent, QMessageBox::Icon icon, const QString& caption, const QString& text,
    QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton) {
  ArrowCursor arrow;
  QMessageBox box(icon, caption, text, buttons, parent);
  if (defaultButton != QMessageBox::NoButton) box.setDefaultButton(defaultButton);
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

NoticeWindow* DesktopUiServices::ShowNotice(QWidget* closeReceiver, const QString& text) {
  auto* notice = new NoticeWindow(text, closeReceiver, lifetimes_.noticeMs);
  notice->show();
  return notice;
}

bool DesktopUiServices::ChooseConfigFile(QWidget* parent, QString* path, bool open,
                                         const QString& startFolder) {
  if (path == nullptr) return false;
  // No file name is preset.
  QFileDialog dialog(parent, QString(), startFolder, QString::fromLatin1(CONFIG_FILE_FILTER));
  dialog.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
  dialog.setFileMode(open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  dialog.setDefaultSuffix(QString::fromLatin1(CONFIG_FILE_SUFFIX));
  ArrowCursor arrow;
  if (dialog.exec() != QDialog::Accepted) return false;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty() || chosen.first().isEmpty()) return false;
  *path = chosen.first();
  return true;
}

void DesktopUiServices::Wait(int milliseconds) {
  // The waits give the reader time between two steps; the windows keep painting meanwhile,
  // and user input waits until the step is done.
  WaitWhileWindowsPaint(milliseconds);
}

bool DesktopUiServices::OpenDocument(const QUrl& url) { return QDesktopServices::openUrl(url); }

UiServices& Ui() { return installedServices != nullptr ? *installedServices : DesktopServices(); }

UiServices* SetUiServices(UiServices* services) {
  UiServices* previous = installedServices;
  installedServices = services;
  return previous;
}

void ShowMessage(const QString& text, QWidget* parent, int lifetimeMs, const QString& cause) {
  Ui().ShowMessage(DefaultParent(parent), text, cause, lifetimeMs);
}

bool ChooseConfigFile(QString& path, bool open, QWidget* parent) {
  QSettings profile(QString::fromLatin1(PROFILE_ORGANISATION),
                    QString::fromLatin1(PROFILE_APPLICATION));
  profile.beginGroup(QString::fromLatin1(PROFILE_GROUP));
  QString folder = profile.value(QString::fromLatin1(PROFILE_CONFIG_FOLDER)).toString();
  if (folder.isEmpty() || !QFileInfo(folder).isDir()) folder = QDir::homePath();
  if (!Ui().ChooseConfigFile(DefaultParent(parent), &path, open, folder)) return false;
  profile.setValue(QString::fromLatin1(PROFILE_CONFIG_FOLDER), QFileInfo(path).absolutePath());
  return true;
}

void WaitMilliseconds(int milliseconds) { Ui().Wait(milliseconds); }

void RouteRefusalsToUi() {
  // The refusals of the editing controls and the data-edit dialogs are platform message
  // boxes too.
  SetRefusalBox([](QWidget* owner, QMessageBox::Icon icon, const QString& text) {
    Ui().ShowMessageBox(owner, icon, QString(), text, QMessageBox::Ok, QMessageBox::Ok);
  });
}

MessageSink PlatformMessagesToUi() {
  return [](const std::string& text, const std::string& caption) {
    // A port may say something while its exchange runs off the window thread.
    RunOnWindowThread([&] {
      const QString message = QString::fromLocal8Bit(text.c_str());
      if (caption.empty()) {
        ShowMessage(message);
      } else {
        Ui().ShowMessageBox(QApplication::activeWindow(), QMessageBox::Warning,
                            QString::fromLocal8Bit(caption.c_str()), message, QMessageBox::Ok,
                            QMessageBox::Ok);
      }
    });
  };
}

}  // namespace tessaron
