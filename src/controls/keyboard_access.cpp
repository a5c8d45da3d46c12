#include "controls/keyboard_access.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QButtonGroup>
#include <QEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace tessaron {

namespace {

// The property that marks a window as an alert for the accessibility factory below.
const char* const ALERT_PROPERTY = "tessaronAlert";

// A marked window reads as an alert, as the platform's message box does. Called for each
// class of an object from the most derived up; only that first call answers, so that every
// other object keeps the toolkit's own interface.
QAccessibleInterface* AlertInterface(const QString& className, QObject* object) {
  auto* widget = qobject_cast<QWidget*>(object);
  if (widget == nullptr || !widget->property(ALERT_PROPERTY).toBool() ||
      className != QLatin1String(object->metaObject()->className())) {
    return nullptr;
  }
  return new QAccessibleWidget(widget, QAccessible::AlertMessage);
}

// Enter on a push button: the button is pressed. Watches the whole program, so that the
// key is taken where it arrives, before any window's own handling of Enter.
class EnterPressesButton : public QObject {
 public:
  using QObject::QObject;

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) ||
        (key->modifiers() & ~Qt::KeypadModifier) != 0) {
      return false;
    }
    auto* button = qobject_cast<QPushButton*>(watched);
    if (button == nullptr || !button->isEnabled()) return false;
    button->click();
    return true;
  }
};

// Enter and Space on a list: the current line is chosen as a double-click chooses it.
class KeyActivation : public QObject {
 public:
  explicit KeyActivation(QAbstractItemView* view) : QObject(view), view_(view) {
    view->installEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != view_ || event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool activating = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
                            key->key() == Qt::Key_Space;
    if (!activating || (key->modifiers() & ~Qt::KeypadModifier) != 0) return false;
    const QModelIndex current = view_->currentIndex();
    if (!current.isValid()) return false;
    view_->selectionModel()->select(current, QItemSelectionModel::ClearAndSelect);
    emit view_->doubleClicked(current);
    return true;
  }

 private:
  QAbstractItemView* view_;
};

// Keeps the tab stop of an exclusive group on its checked button.
class CheckedButtonTabStop : public QObject {
 public:
  explicit CheckedButtonTabStop(QButtonGroup* group) : QObject(group), group_(group) {
    connect(group, &QButtonGroup::buttonToggled, this, &CheckedButtonTabStop::Update);
    for (QAbstractButton* button : group->buttons()) button->installEventFilter(this);
    Update();
  }

  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::EnabledChange) Update();
    return false;
  }

 private:
  void Update() {
    const QList<QAbstractButton*> buttons = group_->buttons();
    QAbstractButton* stop = group_->checkedButton();
    if (stop == nullptr || !stop->isEnabled()) {
      stop = nullptr;
      for (QAbstractButton* button : buttons) {
        if (button->isEnabled()) {
          stop = button;
          break;
        }
      }
    }
    for (QAbstractButton* button : buttons) {
      const Qt::FocusPolicy policy = button->focusPolicy();
      button->setFocusPolicy(button == stop ? Qt::FocusPolicy(policy | Qt::TabFocus)
                                            : Qt::FocusPolicy(policy & ~Qt::TabFocus));
    }
  }

  QButtonGroup* group_;
};

}  // namespace

QString SpokenCaption(const QString& caption) {
  QString words = caption;
  words.remove(QLatin1Char('&'));
  words = words.simplified();
  while (words.startsWith(QLatin1Char('-'))) words.remove(0, 1);
  while (words.endsWith(QLatin1Char(':'))) words.chop(1);
  return words.trimmed();
}

void LabelControl(QLabel* label, QWidget* control, const QString& context) {
  label->setBuddy(control);
  NameControl(control, label->text(), context);
}

void NameControl(QWidget* control, const QString& caption, const QString& context) {
  const QString name = SpokenCaption(caption);
  control->setAccessibleName(context.isEmpty() ? name
                                               : SpokenCaption(context) + QStringLiteral(", ") + name);
}

void PlaceLastInTabOrder(QWidget* container, const QList<QWidget*>& widgets) {
  // The last control inside container that keeps its place; a widget that never takes the
  // focus cannot anchor the order.
  QWidget* last = container;
  for (QWidget* widget = container->nextInFocusChain(); widget != nullptr && widget != container;
       widget = widget->nextInFocusChain()) {
    if (container->isAncestorOf(widget) && !widgets.contains(widget) &&
        widget->focusPolicy() != Qt::NoFocus) {
      last = widget;
    }
  }
  for (QWidget* widget : widgets) {
    QWidget::setTabOrder(last, widget);
    if (last->nextInFocusChain() != widget) {
      // The toolkit keeps a window's first widget where it is when asked to put it behind
      // the window's last one; one place further on first, it moves.
      QWidget* next = widget->nextInFocusChain();
      while (next->focusPolicy() == Qt::NoFocus) next = next->nextInFocusChain();
      QWidget::setTabOrder(next, widget);
      QWidget::setTabOrder(last, widget);
    }
    last = widget;
  }
}

EnterPressesButtons::EnterPressesButtons() : filter_(std::make_unique<EnterPressesButton>()) {
  QCoreApplication::instance()->installEventFilter(filter_.get());
}

EnterPressesButtons::~EnterPressesButtons() {
  if (QCoreApplication* application = QCoreApplication::instance()) {
    application->removeEventFilter(filter_.get());
  }
}

void ActivateByKeys(QAbstractItemView* view) { new KeyActivation(view); }

void TabToCheckedButton(QButtonGroup* group) { new CheckedButtonTabStop(group); }

void ReadableByKeys(QPlainTextEdit* text) {
  text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

void MarkAsAlert(QWidget* window, const QString& text) {
  static const bool installed = (QAccessible::installFactory(AlertInterface), true);
  (void)installed;
  window->setProperty(ALERT_PROPERTY, true);
  window->setAccessibleName(text);
}

void AnnounceAlert(QWidget* window) {
  QAccessibleEvent event(window, QAccessible::Alert);
  QAccessible::updateAccessibility(&event);
}

}  // namespace tessaron
