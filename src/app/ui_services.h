#pragma once
// Everything the windows do that would block a test or reach outside the program goes
// through one set of user-interface services: outcome messages, notices, platform message
// boxes, the configuration-file chooser, the fixed waits between reader steps and opening
// documents with the desktop. The main window carries the services for every window inside
// it: the program gives it the desktop services, tests a recorder, so that flows run without
// modal windows or real seconds.

#include <QMessageBox>
#include <QString>
#include <QUrl>

#include "app/message_window.h"
#include "app/notice_window.h"
#include "controls/refusal_box.h"

class QWidget;

namespace tessaron {

class NoticeWindow;

class UiServices : public RefusalSink {
 public:
  UiServices() = default;
  ~UiServices() override = default;
  UiServices(const UiServices&) = delete;
  UiServices& operator=(const UiServices&) = delete;

  // Shows an outcome message and returns once it has been closed (by "OK" or by itself,
  // after lifetimeMs, or the usual 10 s when it is 0). A cause, when there is one, stands
  // on a line of its own below the text.
  virtual void ShowMessage(QWidget* parent, const QString& text, const QString& cause,
                           int lifetimeMs) = 0;
  // A platform message box with the given caption, text, buttons, default button and icon;
  // returns the button the user pressed.
  virtual QMessageBox::StandardButton ShowMessageBox(QWidget* parent, QMessageBox::Icon icon,
                                                     const QString& caption, const QString& text,
                                                     QMessageBox::StandardButtons buttons,
                                                     QMessageBox::StandardButton defaultButton) = 0;
  // Creates and shows a notice owned by the caller; it posts MSG_CLOSE_NOTICE to
  // closeReceiver when it is done.
  virtual NoticeWindow* ShowNotice(QWidget* closeReceiver, const QString& text) = 0;
  // Asks for a configuration file: open form when open is true, else the save form, starting
  // in startFolder. True with the chosen full path unless the user cancelled.
  virtual bool ChooseConfigFile(QWidget* parent, QString* path, bool open,
                                const QString& startFolder) = 0;
  // One of the fixed waits between reader steps; blocks the caller for that long.
  virtual void Wait(int milliseconds) = 0;
  // Hands a document (help page, how-to text) to the desktop.
  virtual bool OpenDocument(const QUrl& url) = 0;
  // A refusal of an editing control is a warning box with only OK.
  void Refuse(QWidget* owner, QMessageBox::Icon icon, const QString& text) override;
};

// How long a message window and a notice stay when nobody closes them.
struct WindowLifetimes {
  int messageMs = MESSAGE_WINDOW_LIFETIME_MS;
  int noticeMs = NOTICE_LIFETIME_MS;
};

// The real services: modal windows, the file dialog, waits that keep the windows painting,
// QDesktopServices.
class DesktopUiServices : public UiServices {
 public:
  explicit DesktopUiServices(WindowLifetimes lifetimes = {}) : lifetimes_(lifetimes) {}

  void ShowMessage(QWidget* parent, const QString& text, const QString& cause,
                   int lifetimeMs) override;
  QMessageBox::StandardButton ShowMessageBox(QWidget* parent, QMessageBox::Icon icon,
                                             const QString& caption, const QString& text,
                                             QMessageBox::StandardButtons buttons,
                                             QMessageBox::StandardButton defaultButton) override;
  NoticeWindow* ShowNotice(QWidget* closeReceiver, const QString& text) override;
  bool ChooseConfigFile(QWidget* parent, QString* path, bool open,
                        const QString& startFolder) override;
  void Wait(int milliseconds) override;
  bool OpenDocument(const QUrl& url) override;

 private:
  WindowLifetimes lifetimes_;
};

// window and every widget inside it use services (their refusals too); the caller keeps
// services alive as long as the window.
void CarryUiServices(QWidget* window, UiServices* services);
// The services of the nearest widget up from near that carries some; none: null.
UiServices* FindUi(const QWidget* near);

// Filter of the configuration-file chooser and its default suffix.
inline constexpr const char* CONFIG_FILE_FILTER =
    "Tessaron Config Files.cfs2 (*.cfs2);;All Files (*)";
inline constexpr const char* CONFIG_FILE_SUFFIX = "cfs2";

// Shorthands used by the windows: the services of parent (or of the active window), the
// desktop's where it carries none.
void ShowMessage(const QString& text, QWidget* parent = nullptr, int lifetimeMs = 0,
                 const QString& cause = QString());
QMessageBox::StandardButton ShowMessageBox(QWidget* parent, QMessageBox::Icon icon,
                                           const QString& caption, const QString& text,
                                           QMessageBox::StandardButtons buttons,
                                           QMessageBox::StandardButton defaultButton);
NoticeWindow* ShowNotice(QWidget* closeReceiver, const QString& text);
// The chooser starts in the folder last used for a configuration file (the program's own
// folder is not writable once installed), else in the user's home folder; the folder of a
// confirmed choice is remembered for the next time.
bool ChooseConfigFile(QString& path, bool open, QWidget* parent = nullptr);
void WaitMilliseconds(int milliseconds, QWidget* near);
bool OpenDocument(const QUrl& url, QWidget* near);

}  // namespace tessaron
