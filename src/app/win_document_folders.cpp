// Where the help files are looked for on Windows: the installer puts them beside the program.

#include <QCoreApplication>

#include "app/help_files.h"

namespace tessaron {

QStringList DocumentFolders() { return {QCoreApplication::applicationDirPath()}; }

}  // namespace tessaron
