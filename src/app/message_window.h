#pragma once
// The small popup that shows every outcome message: a centred, word-wrapped text above an
// "OK" button. It closes itself after 10 seconds when the user does not press "OK".
// A text shorter than 60 characters sits 10 pixels lower, so a one-line message is not
// glued to the top edge.

#include <QString>
#include <QTimer>

#include "controls/base_dialog.h"

class QLabel;
class QPushButton;

namespace tessaron {

constexpr int MESSAGE_WINDOW_LIFETIME_MS = 10000;
constexpr int SHORT_MESSAGE_LENGTH = 60;
constexpr int SHORT_MESSAGE_DROP = 10;

class MessageWindow : public BaseDialog {
  Q_OBJECT

 public:
  // lifetimeMs: how long it stays when the user does not press "OK"; 0 for the usual 10 s.
  explicit MessageWindow(const QString& text, QWidget* parent = nullptr, int lifetimeMs = 0);
  ~MessageWindow() override;

  QString Text() const;
  // How far the text area's top edge is moved down: 10 for short texts, else 0.
  int TextDrop() const { return textDrop_; }
  int LifetimeMs() const { return timer_.interval(); }
  QPushButton* OkButton() const { return okButton_; }
  bool IsTimerRunning() const { return timer_.isActive(); }

  // The drop for a text of this length.
  static int TextDropFor(const QString& text);

 protected:
  void showEvent(QShowEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  QLabel* textLabel_;
  QPushButton* okButton_;
  QTimer timer_;
  int textDrop_;
};

}  // namespace tessaron
