#pragma once
// Base of every window of the program: one solid background colour (a light green unless
// changed). Edit and list boxes keep the platform's own colours. Enter presses the push
// button that has the focus, as on every desktop; elsewhere Enter does what the window says.
//
// A BaseDialog is either a window of its own (the main window, modal dialogs) or a child
// window placed inside another one (the sheets, their pages, the interface selection page).

#include <QColor>
#include <QDialog>

class QPushButton;

namespace tessaron {

// RGB(204, 230, 214), the background of the sheets, pages and most windows.
inline const QColor DEFAULT_BACKGROUND_COLOR(204, 230, 214);

class BaseDialog : public QDialog {
  Q_OBJECT

 public:
  enum class Kind {
    Window,       // a window of its own
    ChildWindow,  // embedded in its parent; the cancel command (Escape) does nothing
  };

  explicit BaseDialog(QWidget* parent = nullptr, Kind kind = Kind::Window,
                      Qt::WindowFlags flags = {});
  ~BaseDialog() override;

  // Replaces the background colour.
  void SetBackgroundColor(const QColor& color);
  QColor BackgroundColor() const { return background_; }

 public slots:
  // Ignored by child windows and by windows that asked for it.
  void reject() override;

 protected:
  // A window whose cancel command does nothing (Escape leaves it open).
  void SetCancelIgnored(bool ignored) { cancelIgnored_ = ignored; }
  bool IsCancelIgnored() const { return cancelIgnored_; }
  // The "OK" button that closes a message or a report: the default button, at least as wide
  // as the look's usual button, accepting the window when clicked.
  QPushButton* MakeOkButton();

 private:
  QColor background_;
  bool cancelIgnored_;
};

}  // namespace tessaron
