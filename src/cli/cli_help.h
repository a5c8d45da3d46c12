#pragma once
// The help texts of the tool: every line fits an 80-column terminal, and every command's help
// ends with what it does in more words, examples and its exit statuses.

#include <cstddef>
#include <initializer_list>
#include <string>

namespace CLI {
class App;
}

namespace tessaron {

constexpr std::size_t HELP_WIDTH = 80;

// The exit statuses as a command's help states them.
inline constexpr const char* EXIT_STATUS_PLAIN =
    "Exit status: 0 done, 1 failed (one line on standard error says why), 2 wrong usage or a "
    "file that is no settings file, 128 + the signal's number (130 for Ctrl-C, 143 for SIGTERM) "
    "when a signal stopped the command with work undone.";
// The same for a command that writes settings; allFlag is its option for every reader found
// (nullptr: none).
std::string ExitStatusOfWrites(const char* allFlag);

// Lays out the help of the app and of each of its commands.
void UseHelpLayout(CLI::App& app);

// Ends a command's help with details (wrapped to the width), its examples (one a line) and
// its exit statuses.
void SetCommandNotes(CLI::App* command, const std::string& details,
                     std::initializer_list<const char*> examples,
                     const std::string& statuses = EXIT_STATUS_PLAIN);

// The text in lines of at most width columns: the first line starts with first, every further
// one with rest. A line of the text that starts with a blank stands as it is (an example).
std::string WrapText(const std::string& text, const std::string& first, const std::string& rest,
                     std::size_t width = HELP_WIDTH);

}  // namespace tessaron
