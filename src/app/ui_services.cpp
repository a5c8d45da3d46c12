#include "app/ui_services.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QFileDialog>
#include <QStringList>
#include <QVariant>

#include "app/busy_windows.h"
#include "app/message_window.h"
#include "app/notice_window.h"
#include "app/profile.h"
#include "app/wait_cursor.h"

namespace tessaron {

namespace {

constexpr const char* SERVICES_PROPERTY = "tessaronUiServices";

QWidget* DefaultParent(QWidget* parent) {
  return parent != nullptr ? parent : QApplication::activeWindow();
}

// Runs call with the services of near, or with the desktop's.
template <typename Call>
auto WithServicesOf(QWidget* near, Call call) {
  if (UiServices* services = FindUi(near)) return call(*services);
  DesktopUiServices desktop;
  return call(desktop);
}

}  // namespace

void UiServices::Refuse(QWidget* owner, QMessageBox::Icon icon, const QString& text) {
  ShowMessageBox(owner, icon, QString(), text, QMessageBox::Ok, QMessageBox::Ok);
}

void CarryUiServices(QWidget* window, UiServices* services) {
  window->setProperty(SERVICES_PROPERTY, QVariant::fromValue(static_cast<void*>(services)));
  CarryRefusals(window, services);
}

UiServices* FindUi(const QWidget* near) {
  for (const QWidget* widget = near; widget != nullptr; widget = widget->parentWidget()) {
    if (auto* services = static_cast<UiServices*>(widget->property(SERVICES_PROPERTY).value<void*>())) {
      return services;
    }
  }
  return nullptr;
}

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

void ShowMessage(const QString& text, QWidget* parent, int lifetimeMs, const QString& cause) {
  QWidget* shownOver = DefaultParent(parent);
  WithServicesOf(shownOver, [&](UiServices& ui) {
    ui.ShowMessage(shownOver, text, cause, lifetimeMs);
    return 0;
  });
}

QMessageBox::StandardButton ShowMessageBox(QWidget* parent, QMessageBox::Icon icon,
                                           const QString& caption, const QString& text,
                                           QMessageBox::StandardButtons buttons,
                                           QMessageBox::StandardButton defaultButton) {
  return WithServicesOf(parent, [&](UiServices& ui) {
    return ui.ShowMessageBox(parent, icon, caption, text, buttons, defaultButton);
  });
}

NoticeWindow* ShowNotice(QWidget* closeReceiver, const QString& text) {
  return WithServicesOf(closeReceiver,
                        [&](UiServices& ui) { return ui.ShowNotice(closeReceiver, text); });
}

bool ChooseConfigFile(QString& path, bool open, QWidget* parent) {
  QSettings profile(QString::fromLatin1(PROFILE_ORGANISATION),
                    QString::fromLatin1(PROFILE_APPLICATION));
  profile.beginGroup(QString::fromLatin1(PROFILE_GROUP));
  QString folder = profile.value(QString::fromLatin1(PROFILE_CONFIG_FOLDER)).toString();
  if (folder.isEmpty() || !QFileInfo(folder).isDir()) folder = QDir::homePath();
  QWidget* over = DefaultParent(parent);
  if (!WithServicesOf(over, [&](UiServices& ui) {
        return ui.ChooseConfigFile(over, &path, open, folder);
      })) {
    return false;
  }
  profile.setValue(QString::fromLatin1(PROFILE_CONFIG_FOLDER), QFileInfo(path).absolutePath());
  return true;
}

void WaitMilliseconds(int milliseconds, QWidget* near) {
  WithServicesOf(near, [&](UiServices& ui) {
    ui.Wait(milliseconds);
    return 0;
  });
}

bool OpenDocument(const QUrl& url, QWidget* near) {
  return WithServicesOf(near, [&](UiServices& ui) { return ui.OpenDocument(url); });
}

}  // namespace tessaron
