#pragma once
// A table whose cells are edited in place: a click on an editable cell opens a one-line
// editor over it, fixed cells and empty space open nothing, and only one editor is open at
// a time. The editor ends when it loses the focus (Enter and Escape give the focus back to
// the table), but not while it is empty. The table takes the entered text into the cell
// first and then tells its owner, who checks the value. Rows are not selected by clicks,
// and the columns can be neither resized nor clicked.
//
// From the keyboard: the arrow keys move between the cells, F2, Enter or a typed character
// open the editor on an editable cell (the character starts the edit), and Tab and Shift+Tab
// leave the table (and an open editor) for the next and the previous control. A screen
// reader hears each cell with its row label and column header.

#include <QLineEdit>
#include <QPointer>
#include <QTableWidget>

namespace tessaron {

class EditableGrid;

// The in-place editor of one cell.
class CellEdit : public QLineEdit {
  Q_OBJECT

 public:
  CellEdit(EditableGrid& grid, int row, int column, QWidget* parent);

  int Row() const { return row_; }
  int Column() const { return column_; }
  // Ends the edit as losing the focus does; false when it stays open (empty).
  bool Finish();

 protected:
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  // Tab ends the edit and moves on from the table.
  bool focusNextPrevChild(bool next) override;

 private:
  void Widen();

  EditableGrid& grid_;
  int row_;
  int column_;
  bool finished_ = false;
};

class EditableGrid : public QTableWidget {
  Q_OBJECT

 public:
  explicit EditableGrid(QWidget* parent = nullptr);
  ~EditableGrid() override;

  // Replaces every row and column: the column headers with their widths.
  void SetColumns(const QStringList& headers, const QList<int>& widths);
  // Appends a row: its label in column 0, then one cell per text; editable cells take at
  // most maxLength characters (0: no limit).
  struct Cell {
    QString text;
    bool editable = false;
    int maxLength = 0;
  };
  void AddRow(const QString& label, const QList<Cell>& cells);
  QString CellText(int row, int column) const;
  void SetCellText(int row, int column, const QString& text);
  bool IsEditable(int row, int column) const;

  // The open editor, or none.
  CellEdit* ActiveEditor() const { return editor_; }
  // Opens the editor on a cell; false for a fixed cell or one that does not exist.
  bool OpenEditor(int row, int column);

 signals:
  void cellEditStarted(int row, int column, const QString& text);
  // The editor closed with this text; the cell already holds it.
  void cellEditFinished(int row, int column, const QString& text);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  friend class CellEdit;
  // "Row label, Column header": what a screen reader calls a cell and its editor.
  QString CellName(int row, int column) const;
  // The editor ended with text: the cell takes it, then the owner hears of it.
  void EditorFinished(CellEdit* editor, const QString& text);

  QPointer<CellEdit> editor_;
  // The cell the keys acted on when the focus left the table; it is current again when the
  // focus comes back.
  QPersistentModelIndex leftAt_;
};

}  // namespace tessaron
