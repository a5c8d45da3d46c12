#include "controls/digits_edit.h"

#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace tessaron {

QLineEdit* MakeDigitsEdit(QWidget* parent, int maxDigits) {
  auto* field = new QLineEdit(parent);
  field->setValidator(
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), field));
  if (maxDigits > 0) field->setMaxLength(maxDigits);
  // Room for the digits of one byte and the frame, not the whole row.
  field->setMaximumWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("00000000")));
  return field;
}

QString RangePrompt(int minimum, int maximum) {
  return QString::fromLatin1(RANGE_PROMPT_TEXT).arg(minimum).arg(maximum);
}

}  // namespace tessaron
