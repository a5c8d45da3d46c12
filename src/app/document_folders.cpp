// Where the help files are looked for on Linux: beside the program (a build folder), then in
// the share folder of the installation the program belongs to.

#include <QCoreApplication>
#include <QDir>

#include "app/help_files.h"

namespace tessaron {

QStringList DocumentFolders() {
  const QString programFolder = QCoreApplication::applicationDirPath();
  return {programFolder,
          QDir::cleanPath(programFolder + QStringLiteral("/../share/tessaron-config"))};
}

}  // namespace tessaron
