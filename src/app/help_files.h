#pragma once
// The help pages and the how-to-use text: found beside the program or in the installed
// share folder, handed to the desktop; where the desktop cannot open them (no viewer is
// installed), shown in a window of the program's own. A missing file does nothing.

#include <QString>
#include <QStringList>
#include <QUrl>

class QWidget;

namespace tessaron {

class UiServices;

inline constexpr const char* HELP_FILE_NAME = "TessaronCfgUtil.html";
inline constexpr const char* HOW_TO_USE_FILE_NAME = "HOW TO USE THIS UTILITY.txt";

// Help contexts: one topic (an anchor of the help page) each.
constexpr int HELP_CONTEXT_MAIN = 0x4000;
constexpr int HELP_CONTEXT_GENERAL_SETTINGS = 0x4001;
constexpr int HELP_CONTEXT_PRE_POSTAMBLE = 0x4002;
constexpr int HELP_CONTEXT_RS232_PARAMETERS = 0x4003;
constexpr int HELP_CONTEXT_TRACK_SETTINGS = 0x4004;
constexpr int HELP_CONTEXT_OUTPUT_FORMAT = 0x4005;
constexpr int HELP_CONTEXT_DATA_EDITING = 0x4006;
constexpr int HELP_CONTEXT_KEYBOARD_SETTINGS = 0x4007;

// The folders searched, in order: the program's own folder, then on Linux the share folder
// of the installation the program belongs to (../share/tessaron-config beside its bin
// folder); on Windows the files are installed beside the program only. One file per system:
// document_folders.cpp, win_document_folders.cpp.
QStringList DocumentFolders();
// Full path of the first existing file of that name in the folders; empty when none has it.
QString FindProgramDocument(const QString& name, const QStringList& folders = DocumentFolders());
// The anchor of a help context in the help page, e.g. "context-4001".
QString HelpAnchor(int contextId);
// The help page at the topic of the context; empty when there is no help page.
QUrl HelpTopicUrl(int contextId, const QStringList& folders = DocumentFolders());

// Hand the topic or the how-to-use text to the desktop through ui, else (no viewer) show it in
// the program's own document window beside near; false (and nothing shown) when the file is
// missing.
bool OpenHelpTopic(int contextId, UiServices& ui, QWidget* near);
bool OpenHowToUse(UiServices& ui, QWidget* near);

// The program's own document window: the file of url (HTML or plain text) at the url's
// anchor, beside near. One window per file; showing it again brings it forward at the new
// anchor.
QWidget* ShowDocumentWindow(const QUrl& url, QWidget* near);

}  // namespace tessaron
