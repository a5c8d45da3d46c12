#include "controls/escape_name_edit.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>

#include "controls/refusal_box.h"
#include "core/escape_names.h"

namespace tessaron {

namespace {

// How many characters a byte takes in the display.
int DisplayLength(Byte value) {
  int row = 0;
  return FindCharName(value, &row) ? CharNameLength(row) : 1;
}

// Keeps a closed chooser from choosing by itself. A closed combo box takes the wheel and the
// browsing keys (arrows, pages, Home, End, typed letters) as a choice of the next item, and a
// choice inserts a byte; so over a closed chooser the wheel does nothing and the browsing
// keys open the list, where they only highlight until a click or Enter chooses.
class ClosedChooserGuard : public QObject {
 public:
  explicit ClosedChooserGuard(QComboBox* chooser) : QObject(chooser), chooser_(chooser) {
    chooser->installEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    const bool wheel = event->type() == QEvent::Wheel;
    if (watched != chooser_ || (!wheel && event->type() != QEvent::KeyPress)) return false;
    if (chooser_->view()->isVisible()) return false;
    if (wheel) {
      event->ignore();
      return true;
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
      case Qt::Key_Up:
      case Qt::Key_Down:
      case Qt::Key_PageUp:
      case Qt::Key_PageDown:
      case Qt::Key_Home:
      case Qt::Key_End:
        chooser_->showPopup();
        return true;
      case Qt::Key_Space:  // opens the list
        return false;
      default:
        // A typed letter would pick the first name it begins.
        return !key->text().isEmpty() && key->text().at(0).isPrint();
    }
  }

 private:
  QComboBox* chooser_;
};

}  // namespace

void FillNamedByteChooser(QComboBox* chooser) {
  chooser->clear();
  for (int row = 0; row < CharNameCount(); ++row) {
    chooser->addItem(QString::fromLatin1(CharNameAt(row)), static_cast<int>(CharCodeAt(row)));
  }
  chooser->setCurrentIndex(-1);
}

void InsertFromChooser(QComboBox* chooser, EscapeNameEdit* field) {
  new ClosedChooserGuard(chooser);
  QObject::connect(chooser, &QComboBox::activated, field, [field, chooser](int index) {
    field->InsertByte(static_cast<Byte>(chooser->itemData(index).toInt()));
    field->setFocus(Qt::OtherFocusReason);
  });
}

EscapeNameEdit::EscapeNameEdit(RefusalSink& refusals, QWidget* parent)
    : QLineEdit(parent), refusals_(refusals) {
  setContextMenuPolicy(Qt::PreventContextMenu);
  // The edit never edits its own text: no undo, no drag and drop of text.
  setDragEnabled(false);
  setAcceptDrops(false);
}

EscapeNameEdit::~EscapeNameEdit() = default;

void EscapeNameEdit::SetLimit(int bytes) { limit_ = std::max(bytes, 0); }

void EscapeNameEdit::SetBytes(const ByteString& bytes) {
  bytes_ = bytes;
  caret_ = anchor_ = active_ = static_cast<int>(bytes_.size());
  Redisplay();
}

void EscapeNameEdit::Clear() {
  bytes_.clear();
  caret_ = anchor_ = active_ = 0;
  Redisplay();
}

void EscapeNameEdit::InsertByte(Byte value) {
  if (limit_ == 1) {
    bytes_.clear();
    caret_ = 0;
  }
  if (static_cast<int>(bytes_.size()) >= limit_) {
    RefuseByLimit();
    return;
  }
  caret_ = std::clamp(caret_, 0, static_cast<int>(bytes_.size()));
  bytes_.insert(bytes_.begin() + caret_, value);
  ++caret_;
  anchor_ = active_ = caret_;
  Redisplay();
  emit bytesEdited();
}

int EscapeNameEdit::CharacterOf(int byte) const {
  int character = 0;
  for (int k = 0; k < byte && k < static_cast<int>(bytes_.size()); ++k) {
    character += DisplayLength(bytes_[static_cast<std::size_t>(k)]);
  }
  return character;
}

int EscapeNameEdit::ByteAtCharacter(int character) const {
  int end = 0;
  for (int k = 0; k < static_cast<int>(bytes_.size()); ++k) {
    end += DisplayLength(bytes_[static_cast<std::size_t>(k)]);
    if (end > character) return k;
  }
  return static_cast<int>(bytes_.size());
}

int EscapeNameEdit::ByteUnder(const QPoint& point) {
  return ByteAtCharacter(cursorPositionAt(point));
}

void EscapeNameEdit::Redisplay() {
  const std::string text = BytesToText(bytes_);
  const bool blocked = blockSignals(true);
  setText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
  blockSignals(blocked);
  if (HasSelection()) {
    ShowSelection();
  } else {
    ShowCaret();
  }
}

void EscapeNameEdit::ShowCaret() {
  const bool blocked = blockSignals(true);
  setCursorPosition(CharacterOf(caret_));
  blockSignals(blocked);
}

void EscapeNameEdit::ShowSelection() {
  const int from = CharacterOf(anchor_);
  const int to = CharacterOf(active_);
  const bool blocked = blockSignals(true);
  setSelection(from, to - from);
  blockSignals(blocked);
}

void EscapeNameEdit::DeleteSelection() {
  const int from = SelectionStartByte();
  const int to = std::min(SelectionEndByte(), static_cast<int>(bytes_.size()));
  if (from < to) bytes_.erase(bytes_.begin() + from, bytes_.begin() + to);
  caret_ = anchor_ = active_ = from;
}

void EscapeNameEdit::TypeByte(Byte value) {
  if (HasSelection()) DeleteSelection();
  // A one-byte field is replaced by each character typed.
  if (limit_ == 1) {
    bytes_.clear();
    caret_ = anchor_ = active_ = 0;
  }
  if (static_cast<int>(bytes_.size()) >= limit_) {
    Redisplay();
    RefuseByLimit();
    return;
  }
  bytes_.insert(bytes_.begin() + caret_, value);
  ++caret_;
  anchor_ = active_ = caret_;
  Redisplay();
  emit bytesEdited();
}

void EscapeNameEdit::RefuseByLimit() {
  refusals_.Refuse(this, QMessageBox::Warning, QString::fromLatin1(LIMIT_TEXT));
}

void EscapeNameEdit::keyPressEvent(QKeyEvent* event) {
  const int size = static_cast<int>(bytes_.size());
  switch (event->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete: {
      const bool backspace = event->key() == Qt::Key_Backspace;
      if (HasSelection()) {
        DeleteSelection();
      } else if (backspace && caret_ > 0) {
        --caret_;
        bytes_.erase(bytes_.begin() + caret_);
      } else if (!backspace && caret_ < size) {
        bytes_.erase(bytes_.begin() + caret_);
      } else {
        event->accept();
        return;
      }
      anchor_ = active_ = caret_;
      Redisplay();
      emit bytesEdited();
      event->accept();
      return;
    }
    case Qt::Key_Left:
    case Qt::Key_Up:
      if (caret_ > 0) --caret_;
      anchor_ = active_ = caret_;
      ShowCaret();
      event->accept();
      return;
    case Qt::Key_Right:
    case Qt::Key_Down:
      if (caret_ < size) ++caret_;
      anchor_ = active_ = caret_;
      ShowCaret();
      event->accept();
      return;
    case Qt::Key_Home:
    case Qt::Key_End:
      caret_ = event->key() == Qt::Key_Home ? 0 : size;
      anchor_ = active_ = caret_;
      ShowCaret();
      event->accept();
      return;
    default:
      break;
  }
  // Printable characters are typed; every other key (Tab, Enter, shortcuts) belongs to the
  // window around the edit.
  const QString text = event->text();
  const bool printable = !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) {
    return c.unicode() >= 0x20 && c.unicode() <= 0xFF && c.unicode() != 0x7F;
  });
  if (!printable || (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) != 0) {
    event->ignore();
    return;
  }
  for (const QChar c : text) TypeByte(static_cast<Byte>(c.unicode()));
  event->accept();
}

void EscapeNameEdit::inputMethodEvent(QInputMethodEvent* event) {
  // Composed characters arrive here instead of as key presses.
  for (const QChar c : event->commitString()) {
    if (c.unicode() >= 0x20 && c.unicode() <= 0xFF && c.unicode() != 0x7F) {
      TypeByte(static_cast<Byte>(c.unicode()));
    }
  }
  event->accept();
}

void EscapeNameEdit::mousePressEvent(QMouseEvent* event) {
  // No context menu, and no pasting of a selection with the middle button.
  if (event->button() == Qt::RightButton || event->button() == Qt::MiddleButton) {
    event->accept();
    return;
  }
  QLineEdit::mousePressEvent(event);
  if (event->button() != Qt::LeftButton) return;
  caret_ = anchor_ = active_ = ByteUnder(event->position().toPoint());
  dragging_ = true;
  ShowCaret();
}

void EscapeNameEdit::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_ || (event->buttons() & Qt::LeftButton) == 0) return;
  active_ = ByteUnder(event->position().toPoint());
  ShowSelection();
  event->accept();
}

void EscapeNameEdit::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::MiddleButton) {
    event->accept();
    return;
  }
  QLineEdit::mouseReleaseEvent(event);
  if (event->button() != Qt::LeftButton || !dragging_) return;
  dragging_ = false;
  active_ = ByteUnder(event->position().toPoint());
  if (HasSelection()) ShowSelection();
}

void EscapeNameEdit::mouseDoubleClickEvent(QMouseEvent* event) {
  QLineEdit::mouseDoubleClickEvent(event);
  if (event->button() != Qt::LeftButton) return;
  anchor_ = 0;
  active_ = static_cast<int>(bytes_.size());
  ShowSelection();
}

void EscapeNameEdit::contextMenuEvent(QContextMenuEvent* event) { event->accept(); }

void EscapeNameEdit::focusInEvent(QFocusEvent* event) {
  // The edit would select its whole text when tabbed into; the bytes keep their own caret.
  QLineEdit::focusInEvent(event);
  if (HasSelection()) {
    ShowSelection();
  } else {
    ShowCaret();
  }
}

}  // namespace tessaron
