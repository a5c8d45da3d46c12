#include "app/ui_services.h"

#include <QApplication>
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

namespace tessaron {

void UiServices::Refuse(QWidget* owner, QMessageBox::Icon icon, const QString& text) {
  ShowMessageBox(owner, icon, QString(), text, QMessageBox::Ok, QMessageBox::Ok);
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

NoticeWindow* DesktopUiServices::ShowNotice(QWidget* parent, const QString& text) {
  auto* notice = new NoticeWindow(text, parent, lifetimes_.noticeMs);
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
  WaitWhileWindowsPaint(Busy(), milliseconds);
}

bool DesktopUiServices::OpenDocument(const QUrl& url) { return QDesktopServices::openUrl(url); }

bool ChooseConfigFile(UiServices& ui, QWidget* parent, QString& path, bool open) {
  QSettings profile(QString::fromLatin1(PROFILE_ORGANISATION),
                    QString::fromLatin1(PROFILE_APPLICATION));
  profile.beginGroup(QString::fromLatin1(PROFILE_GROUP));
  QString folder = profile.value(QString::fromLatin1(PROFILE_CONFIG_FOLDER)).toString();
  if (folder.isEmpty() || !QFileInfo(folder).isDir()) folder = QDir::homePath();
  if (!ui.ChooseConfigFile(parent, &path, open, folder)) return false;
  profile.setValue(QString::fromLatin1(PROFILE_CONFIG_FOLDER), QFileInfo(path).absolutePath());
  return true;
}

}  // namespace tessaron
