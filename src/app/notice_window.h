#pragma once
// A short, non-modal notice about which window may be open: light yellow, the text centred,
// gone after 5 seconds, on a click or on a key. It says when it is done (closeRequested);
// whoever showed it then destroys it.

#include <QColor>
#include <QString>
#include <QTimer>

#include "controls/base_dialog.h"

namespace tessaron {

constexpr int NOTICE_LIFETIME_MS = 5000;
inline const QColor NOTICE_COLOR(255, 255, 128);

class NoticeWindow : public BaseDialog {
  Q_OBJECT

 public:
  // Shown over parent (normally the main window). lifetimeMs: how long it stays unless
  // clicked or a key is pressed.
  NoticeWindow(const QString& text, QWidget* parent, int lifetimeMs = NOTICE_LIFETIME_MS);
  ~NoticeWindow() override;

  const QString& Text() const { return text_; }
  bool IsTimerRunning() const { return timer_.isActive(); }
  int LifetimeMs() const { return timer_.interval(); }

 signals:
  // The notice is done: its time is up, or it was clicked, or a key was pressed.
  void closeRequested();

 protected:
  void showEvent(QShowEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  // The notice never takes the focus, so it watches every key press of the program.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void OnTimer();

  QString text_;
  QTimer timer_;
};

}  // namespace tessaron
