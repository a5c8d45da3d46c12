#pragma once
// What the data-edit dialogs share about fields: the lines of the added field and custom
// field lists, and the edits of the strings of match strings and custom fields.

#include <QString>
#include <optional>

#include "core/byte_string.h"

class QLineEdit;
class QListWidget;
class QWidget;

namespace tessaron {

class RefusalSink;

// The item data role of a list line: the added field's position, or the custom field's own
// entry (track bits and letter).
constexpr int FIELD_ITEM_ROLE = Qt::UserRole;

// One line per added field, "(0a)" and its bytes by escape name.
void FillAddedFieldLines(QListWidget* list, const ByteStringList& fields);
// One line per custom field, its description.
void FillCustomFieldLines(QListWidget* list, const ByteStringList& fields);

// The row of the list's selected line; -1 when no line is selected. The current line alone
// does not count: after a Ctrl+click or a Tab into the list it is not selected, and the
// buttons that act on "the selected line" then do nothing.
int SelectedRow(const QListWidget* list);

// Widens a list so that its longest line fits without scrolling sideways.
void FitListWidth(QListWidget* list);
// Makes a list tall enough for this many lines at the least.
void FitListHeight(QListWidget* list, int lines);

// A text field for the string of a match string or custom field: every character is one
// byte, so only characters that have one are taken.
QLineEdit* MakeFieldStringEdit(QWidget* parent);
// The bytes of such a string; nullopt (after refusing it over owner) when it is longer than
// a record can carry.
std::optional<ByteString> FieldStringBytes(QWidget* owner, RefusalSink& refusals,
                                           const QString& text);

}  // namespace tessaron
