#pragma once
// Everything the windows do that would block a test or reach outside the program goes
// through one set of user-interface services: outcome messages, notices, platform message
// boxes, the configuration-file chooser, the fixed waits between reader steps, holding user
// input off while reader work runs, and opening documents with the desktop. Each window is
// handed the services where it is made, and hands them on to the windows it makes: the
// program makes the desktop services, tests a recorder, so that flows run without modal
// windows or real seconds.

#include <QMessageBox>
#include <QString>
#include <QUrl>

#include "app/busy_windows.h"
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
  // Creates and shows a notice over parent, owned by the caller; it says when it is done
  // (NoticeWindow::closeRequested).
  virtual NoticeWindow* ShowNotice(QWidget* parent, const QString& text) = 0;
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

  // The holds of user input while reader work runs (busy_windows.h).
  BusyWindows& Busy() { return busy_; }

 private:
  BusyWindows busy_;
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
  NoticeWindow* ShowNotice(QWidget* parent, const QString& text) override;
  bool ChooseConfigFile(QWidget* parent, QString* path, bool open,
                        const QString& startFolder) override;
  void Wait(int milliseconds) override;
  bool OpenDocument(const QUrl& url) override;

 private:
  WindowLifetimes lifetimes_;
};

// Filter of the configuration-file chooser and its default suffix.
inline constexpr const char* CONFIG_FILE_FILTER =
    "Tessaron Config Files.cfs2 (*.cfs2);;All Files (*)";
inline constexpr const char* CONFIG_FILE_SUFFIX = "cfs2";

// Asks ui for a configuration file over parent. The chooser starts in the folder last used
// for a configuration file (the program's own folder is not writable once installed), else in
// the user's home folder; the folder of a confirmed choice is remembered for the next time.
bool ChooseConfigFile(UiServices& ui, QWidget* parent, QString& path, bool open);

}  // namespace tessaron
