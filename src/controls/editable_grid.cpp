#include "controls/editable_grid.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>

#include "controls/keyboard_access.h"

namespace tessaron {

namespace {

// Where a cell keeps whether it may be edited and how long its text may grow.
constexpr int EDITABLE_ROLE = Qt::UserRole + 1;
constexpr int MAX_LENGTH_ROLE = Qt::UserRole + 2;
// Room after the text when the editor widens.
constexpr int WIDEN_MARGIN = 5;

}  // namespace

// ---- CellEdit ----

CellEdit::CellEdit(EditableGrid& grid, int row, int column, QWidget* parent)
    : QLineEdit(parent), grid_(grid), row_(row), column_(column) {
  setObjectName(QStringLiteral("cellEdit"));
  setFont(grid.font());
  setFrame(false);
}

bool CellEdit::event(QEvent* event) {
  // Enter, Escape, Delete and Ctrl combinations belong to the editor, never to the window.
  if (event->type() == QEvent::ShortcutOverride) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
        key->key() == Qt::Key_Escape || key->key() == Qt::Key_Delete ||
        (key->modifiers() & Qt::ControlModifier) != 0) {
      event->accept();
      return true;
    }
  }
  return QLineEdit::event(event);
}

void CellEdit::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
      event->key() == Qt::Key_Escape) {
    // The focus goes back to the table, which ends the edit.
    grid_.setFocus(Qt::OtherFocusReason);
    if (!finished_) Finish();
    event->accept();
    return;
  }
  QLineEdit::keyPressEvent(event);
  Widen();
}

bool CellEdit::focusNextPrevChild(bool next) {
  // The focus goes back to the table first, which ends the edit (an empty edit stays), and
  // moves on from there.
  grid_.setFocus(Qt::OtherFocusReason);
  if (!finished_ && !Finish()) return true;
  return QLineEdit::focusNextPrevChild(next);
}

void CellEdit::Widen() {
  const int needed = fontMetrics().horizontalAdvance(text()) + WIDEN_MARGIN;
  const int room = grid_.viewport()->width() - x();
  const int width = std::min(std::max(this->width(), needed), room);
  if (width != this->width()) resize(width, height());
}

bool CellEdit::Finish() {
  if (finished_) return true;
  if (text().isEmpty()) {
    // An edit cannot end empty: it takes the focus back and stays.
    QTimer::singleShot(0, this, [this] { setFocus(Qt::OtherFocusReason); });
    return false;
  }
  finished_ = true;
  grid_.EditorFinished(this, text());
  return true;
}

void CellEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  if (!finished_) Finish();
}

// ---- EditableGrid ----

EditableGrid::EditableGrid(QWidget* parent) : QTableWidget(parent) {
  setObjectName(QStringLiteral("editableGrid"));
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::NoSelection);
  // Tab leaves the table; the arrows move between its cells.
  setTabKeyNavigation(false);
  setShowGrid(true);
  verticalHeader()->hide();
  QHeaderView* header = horizontalHeader();
  header->setSectionResizeMode(QHeaderView::Fixed);
  header->setSectionsClickable(false);
  header->setHighlightSections(false);
  header->setCursor(Qt::ArrowCursor);
  header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

EditableGrid::~EditableGrid() = default;

void EditableGrid::SetColumns(const QStringList& headers, const QList<int>& widths) {
  if (editor_) editor_->deleteLater();
  editor_ = nullptr;
  clear();
  setRowCount(0);
  setColumnCount(static_cast<int>(headers.size()));
  setHorizontalHeaderLabels(headers);
  for (int column = 0; column < columnCount() && column < widths.size(); ++column) {
    setColumnWidth(column, widths[column]);
  }
}

void EditableGrid::AddRow(const QString& label, const QList<Cell>& cells) {
  const int row = rowCount();
  insertRow(row);
  // The hidden row header carries the label too: it is the row header a screen reader
  // names the row's cells by.
  setVerticalHeaderItem(row, new QTableWidgetItem(label));
  auto* labelItem = new QTableWidgetItem(label);
  labelItem->setFlags(Qt::ItemIsEnabled);
  setItem(row, 0, labelItem);
  for (int column = 1; column < columnCount(); ++column) {
    const Cell cell = column - 1 < cells.size() ? cells[column - 1] : Cell{};
    auto* item = new QTableWidgetItem(cell.text);
    item->setFlags(Qt::ItemIsEnabled);
    item->setData(EDITABLE_ROLE, cell.editable);
    item->setData(MAX_LENGTH_ROLE, cell.maxLength);
    item->setData(Qt::AccessibleDescriptionRole, CellName(row, column));
    setItem(row, column, item);
  }
}

QString EditableGrid::CellText(int row, int column) const {
  const QTableWidgetItem* cell = item(row, column);
  return cell != nullptr ? cell->text() : QString();
}

void EditableGrid::SetCellText(int row, int column, const QString& text) {
  if (QTableWidgetItem* cell = item(row, column)) cell->setText(text);
}

bool EditableGrid::IsEditable(int row, int column) const {
  const QTableWidgetItem* cell = item(row, column);
  return cell != nullptr && cell->data(EDITABLE_ROLE).toBool();
}

QString EditableGrid::CellName(int row, int column) const {
  const QTableWidgetItem* header = horizontalHeaderItem(column);
  const QTableWidgetItem* label = item(row, 0);
  return SpokenCaption(label != nullptr ? label->text() : QString()) + QStringLiteral(", ") +
         SpokenCaption(header != nullptr ? header->text() : QString());
}

bool EditableGrid::OpenEditor(int row, int column) {
  if (!IsEditable(row, column)) return false;
  const QModelIndex index = model()->index(row, column);
  scrollTo(index);
  const QRect cell = visualRect(index);
  if (cell.width() <= 4) return false;
  auto* editor = new CellEdit(*this, row, column, viewport());
  editor->setAccessibleName(CellName(row, column));
  const int right = std::min(cell.right(), viewport()->width() - 1);
  editor->setGeometry(QRect(QPoint(cell.left() + 1, cell.top() + 1), QPoint(right, cell.bottom())));
  const int maxLength = item(row, column)->data(MAX_LENGTH_ROLE).toInt();
  if (maxLength > 0) editor->setMaxLength(maxLength);
  editor->setText(CellText(row, column));
  editor_ = editor;
  editor->show();
  editor->setFocus(Qt::MouseFocusReason);
  editor->selectAll();
  emit cellEditStarted(row, column, editor->text());
  return true;
}

void EditableGrid::EditorFinished(CellEdit* editor, const QString& text) {
  const int row = editor->Row();
  const int column = editor->Column();
  SetCellText(row, column, text);
  if (editor_ == editor) editor_ = nullptr;
  editor->hide();
  editor->deleteLater();
  emit cellEditFinished(row, column, text);
}

void EditableGrid::keyPressEvent(QKeyEvent* event) {
  const QModelIndex current = currentIndex();
  const bool plain = (event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier)) == 0;
  if (current.isValid() && plain && IsEditable(current.row(), current.column())) {
    const QString typed = event->text();
    const bool opens = event->key() == Qt::Key_F2 || event->key() == Qt::Key_Return ||
                       event->key() == Qt::Key_Enter;
    const bool character = typed.size() == 1 && typed.at(0).isPrint();
    if ((opens || character) && OpenEditor(current.row(), current.column())) {
      // A typed character starts the edit with itself, as typing into a selected cell does.
      if (!opens) editor_->setText(typed);
      event->accept();
      return;
    }
  }
  QTableWidget::keyPressEvent(event);
}

void EditableGrid::focusInEvent(QFocusEvent* event) {
  // Back in the table, the keys act on the cell they left.
  if (!currentIndex().isValid() && leftAt_.isValid()) {
    selectionModel()->setCurrentIndex(leftAt_, QItemSelectionModel::NoUpdate);
  }
  leftAt_ = QPersistentModelIndex();
  // Entered for the first time, the table starts on its first editable cell.
  if (!currentIndex().isValid()) {
    for (int row = 0; row < rowCount() && !currentIndex().isValid(); ++row) {
      for (int column = 0; column < columnCount(); ++column) {
        if (IsEditable(row, column)) {
          setCurrentCell(row, column);
          break;
        }
      }
    }
  }
  QTableWidget::focusInEvent(event);
}

void EditableGrid::focusOutEvent(QFocusEvent* event) {
  QTableWidget::focusOutEvent(event);
  // A screen reader takes the current cell for the one with the keyboard focus: once the
  // focus is outside the table (its cell editor is inside), no cell is current.
  const QWidget* now = QApplication::focusWidget();
  if (now != nullptr && (now == this || isAncestorOf(now))) return;
  if (!currentIndex().isValid()) return;
  leftAt_ = currentIndex();
  selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
}

void EditableGrid::paintEvent(QPaintEvent* event) {
  QTableWidget::paintEvent(event);
  // The cell the keys act on stands out while the table has the focus.
  if (!hasFocus() || !currentIndex().isValid()) return;
  QPainter painter(viewport());
  painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(visualRect(currentIndex()).adjusted(1, 1, -1, -1));
}

void EditableGrid::mousePressEvent(QMouseEvent* event) {
  // An open editor ends first; while it stays open (empty) nothing else happens.
  if (editor_) {
    if (!editor_->Finish()) return;
  }
  const QModelIndex index = indexAt(event->position().toPoint());
  if (!index.isValid()) {
    setFocus(Qt::MouseFocusReason);
    return;
  }
  // Clicks never select or highlight; only editable cells respond.
  if (event->button() == Qt::LeftButton) OpenEditor(index.row(), index.column());
}

void EditableGrid::mouseReleaseEvent(QMouseEvent* event) { event->accept(); }

void EditableGrid::mouseDoubleClickEvent(QMouseEvent* event) { event->accept(); }

void EditableGrid::scrollContentsBy(int dx, int dy) {
  // Scrolling ends an open edit first.
  if (editor_) setFocus(Qt::OtherFocusReason);
  QTableWidget::scrollContentsBy(dx, dy);
}

}  // namespace tessaron
