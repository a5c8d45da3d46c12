#pragma once
// What makes the windows usable from the keyboard alone and readable by a screen reader:
// controls named by the captions a sighted user reads beside them, a tab order that follows
// the reading order, keys that do what the mouse does on lists and radio groups, read-only
// texts the caret can walk through, and message windows announced as alerts.

#include <QList>
#include <QString>
#include <memory>

class QAbstractItemView;
class QButtonGroup;
class QLabel;
class QObject;
class QPlainTextEdit;
class QWidget;

namespace tessaron {

// The words of a caption as a screen reader should say them: no mnemonic '&', no bullet
// dash in front, no colon at the end, line breaks as blanks.
QString SpokenCaption(const QString& caption);

// Names control by the label beside it: the label becomes its buddy, which a screen reader
// follows from the control to the label, and the control takes the label's words as its
// accessible name ("Context, Label" where the label's words alone repeat in the window).
void LabelControl(QLabel* label, QWidget* control, const QString& context = QString());

// Names a control that has no label of its own: "Context, Caption" when a context is given
// ("Track 1 Prefix, Non-Printable Char"), else the caption alone.
void NameControl(QWidget* control, const QString& caption, const QString& context = QString());

// Puts widgets, in this order, at the end of container's tab order: after every other
// control inside container, wherever they were made.
void PlaceLastInTabOrder(QWidget* container, const QList<QWidget*>& widgets);

// While one lives, Enter on a push button presses it, as Space does, in every window of the
// program (the toolkit leaves that to the buttons that are their window's default). The
// program makes one for its run, once the application object is there; one at a time.
class EnterPressesButtons {
 public:
  EnterPressesButtons();
  ~EnterPressesButtons();
  EnterPressesButtons(const EnterPressesButtons&) = delete;
  EnterPressesButtons& operator=(const EnterPressesButtons&) = delete;

 private:
  std::unique_ptr<QObject> filter_;
};

// Enter and Space on the current line of view act as a double-click on it.
void ActivateByKeys(QAbstractItemView* view);

// Tab into the group lands on its checked button (the first usable one while none is
// checked, or while the checked one is greyed out), and the arrows move the check within.
// The group must hold its buttons already.
void TabToCheckedButton(QButtonGroup* group);

// A read-only text whose caret the arrow keys move, so that it shows where the focus is and
// a screen reader can read it line by line.
void ReadableByKeys(QPlainTextEdit* text);

// window is a message to the user: a screen reader announces it as an alert with its text.
// AnnounceAlert, from the window's show event, tells the screen reader that it appeared.
void MarkAsAlert(QWidget* window, const QString& text);
void AnnounceAlert(QWidget* window);

}  // namespace tessaron
