#pragma once
// Where the lower layers send the few messages they must show themselves
// ("ERROR Interface Type!", the keyboard line's permission message).
// The program installs a handler: the CLI prints to standard error, the GUI shows a window.

#include <functional>
#include <string>

namespace tessaron {

// caption is empty for an ordinary outcome message.
using MessageHandler = std::function<void(const std::string& text, const std::string& caption)>;

// Installs the handler and returns the previous one. An empty handler discards messages.
MessageHandler SetMessageHandler(MessageHandler handler);

// Passes the text to the installed handler, if any.
void ShowPlatformMessage(const std::string& text, const std::string& caption = std::string());

}  // namespace tessaron
