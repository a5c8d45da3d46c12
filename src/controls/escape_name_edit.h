#pragma once
// A one-line edit that holds a byte string rather than text. Every byte is shown, those
// without a printable face by their escape names ("\cr", "\f1"); the caret and the selection
// move over a named byte as over one byte. The bytes are the only truth: the window text is
// always their display, rebuilt after every change. Bytes with a name enter only through
// InsertByte (the "Non-Printable Char" choosers); typing enters printable characters.

#include <QLineEdit>

#include "core/byte_string.h"

class QComboBox;

namespace tessaron {

class RefusalSink;

// Fills a chooser ("Non-Printable Char") with the names of the non-printable bytes, each
// item carrying its code; none is selected.
void FillNamedByteChooser(QComboBox* chooser);
class EscapeNameEdit;
// Makes a choice in the chooser (a click, or Enter on an item of its open list) insert its
// byte at the caret of field. Over the closed chooser the wheel and the browsing keys choose
// nothing: the keys open the list.
void InsertFromChooser(QComboBox* chooser, EscapeNameEdit* field);

class EscapeNameEdit : public QLineEdit {
  Q_OBJECT

 public:
  inline static constexpr const char* LIMIT_TEXT = "Exceed the maximum range.";

  // refusals: where the edit's refusals go (the sink of its window).
  explicit EscapeNameEdit(RefusalSink& refusals, QWidget* parent = nullptr);
  ~EscapeNameEdit() override;

  // The most bytes the edit takes.
  void SetLimit(int bytes);
  int Limit() const { return limit_; }

  // Replaces the content; the caret goes to the end.
  void SetBytes(const ByteString& bytes);
  const ByteString& Bytes() const { return bytes_; }
  // Empties the content; caret and selection go to 0.
  void Clear();
  // Inserts one byte at the caret (a one-byte edit is emptied first); a full edit refuses it
  // with LIMIT_TEXT in a refusal box.
  void InsertByte(Byte value);
  // The first byte, or 0 when the edit is empty.
  Byte FirstByte() const { return bytes_.empty() ? Byte{0} : bytes_.front(); }

  // Caret and selection, in bytes.
  int CaretByte() const { return caret_; }
  int SelectionStartByte() const { return std::min(anchor_, active_); }
  int SelectionEndByte() const { return std::max(anchor_, active_); }

 signals:
  // The bytes changed by the user (typing, deleting, InsertByte); not by SetBytes or Clear.
  void bytesEdited();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;

 private:
  // Character position in the display of byte position k.
  int CharacterOf(int byte) const;
  // Byte position at a character position: the byte whose display span reaches past it.
  int ByteAtCharacter(int character) const;
  int ByteUnder(const QPoint& point);
  bool HasSelection() const { return anchor_ != active_; }
  // Removes the selected bytes; the caret goes to the smaller end.
  void DeleteSelection();
  void TypeByte(Byte value);
  // Shows the bytes again and puts the visible caret (or selection) where the bytes say.
  void Redisplay();
  void ShowCaret();
  void ShowSelection();
  void RefuseByLimit();

  RefusalSink& refusals_;
  ByteString bytes_;
  int limit_ = 32767;
  int caret_ = 0;
  int anchor_ = 0;
  int active_ = 0;
  bool dragging_ = false;
};

}  // namespace tessaron
