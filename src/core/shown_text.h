#pragma once
// Text that came from outside the program (a reader's reply, a file's contents, a JSON value,
// a command-line value) made safe to show on a terminal or to write into a file: a control
// character or a byte that is not part of valid UTF-8 text cannot move the cursor, change the
// window title or clear the screen there.

#include <string>
#include <string_view>

namespace tessaron {

// The text with every control character (C0, DEL and the C1 range U+0080 to U+009F) and every
// byte that is not part of valid UTF-8 written as "\x" and two hexadecimal digits, the form
// the named settings use for such bytes. Valid UTF-8 characters stay as they are. With
// keepLayout, line feeds, carriage returns and tabs stay too (a report's lines).
std::string ShownText(std::string_view text, bool keepLayout = false);

}  // namespace tessaron
