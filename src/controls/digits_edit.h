#pragma once
// A field for a decimal number: it takes digits only, at most a given count, and is wide
// enough for them rather than for the whole row. The prompts a page shows when such a field
// holds no number that fits belong with it.

#include <QString>

class QLineEdit;
class QWidget;

namespace tessaron {

inline constexpr const char* NUMBER_PROMPT_TEXT = "Please enter an integer.";
inline constexpr const char* RANGE_PROMPT_TEXT = "Please enter an integer between %1 and %2.";

// maxDigits 0: any number of digits.
QLineEdit* MakeDigitsEdit(QWidget* parent, int maxDigits);
// "Please enter an integer between minimum and maximum."
QString RangePrompt(int minimum, int maximum);

}  // namespace tessaron
