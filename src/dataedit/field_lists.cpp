#include "dataedit/field_lists.h"

#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <algorithm>

#include "controls/refusal_box.h"
#include "core/data_edit_model.h"
#include "core/data_edit_rules.h"

namespace tessaron {

void FillAddedFieldLines(QListWidget* list, const ByteStringList& fields) {
  list->clear();
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const int position = static_cast<int>(i);
    auto* item =
        new QListWidgetItem(QString::fromLatin1(AddedFieldText(fields[i], position).c_str()), list);
    item->setData(FIELD_ITEM_ROLE, position);
  }
}

void FillCustomFieldLines(QListWidget* list, const ByteStringList& fields) {
  list->clear();
  for (const ByteString& field : fields) {
    auto* item = new QListWidgetItem(QString::fromLatin1(CustomFieldText(field).c_str()), list);
    item->setData(FIELD_ITEM_ROLE, field.size() > 1 ? int{field[1]} : 0);
  }
}

void FitListWidth(QListWidget* list) {
  int widest = 0;
  for (int row = 0; row < list->count(); ++row) {
    widest = std::max(widest, list->fontMetrics().horizontalAdvance(list->item(row)->text()));
  }
  const int chrome = 2 * list->frameWidth() + list->verticalScrollBar()->sizeHint().width() +
                     list->fontMetrics().averageCharWidth() * 2;
  list->setMinimumWidth(widest + chrome);
}

int SelectedRow(const QListWidget* list) {
  const QList<QListWidgetItem*> selected = list->selectedItems();
  return selected.isEmpty() ? -1 : list->row(selected.first());
}

void FitListHeight(QListWidget* list, int lines) {
  const int line = std::max(list->fontMetrics().height(), list->sizeHintForRow(0));
  list->setMinimumHeight(line * lines + 2 * list->frameWidth() + line / 2);
}

QLineEdit* MakeFieldStringEdit(QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setValidator(new QRegularExpressionValidator(
      QRegularExpression(QStringLiteral("[\\x{0001}-\\x{00FF}]*")), edit));
  return edit;
}

std::optional<ByteString> FieldStringBytes(QWidget* owner, RefusalSink& refusals,
                                           const QString& text) {
  if (text.size() > MAX_FIELD_STRING_BYTES) {
    refusals.Refuse(owner, QMessageBox::Warning, QString::fromStdString(
                           LimitText(FIELD_STRING_LIMIT_TEXT, MAX_FIELD_STRING_BYTES)));
    return std::nullopt;
  }
  const QByteArray bytes = text.toLatin1();
  return ByteString(bytes.begin(), bytes.end());
}

}  // namespace tessaron
