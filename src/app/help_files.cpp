#include "app/help_files.h"

#include <QDir>
#include <QFileInfo>

#include "app/ui_services.h"

namespace tessaron {

QString FindProgramDocument(const QString& name, const QStringList& folders) {
  for (const QString& folder : folders) {
    if (folder.isEmpty()) continue;
    const QFileInfo candidate(QDir(folder), name);
    if (candidate.isFile()) return candidate.absoluteFilePath();
  }
  return QString();
}

QString HelpAnchor(int contextId) {
  return QStringLiteral("context-%1").arg(contextId, 4, 16, QLatin1Char('0'));
}

QUrl HelpTopicUrl(int contextId, const QStringList& folders) {
  const QString path = FindProgramDocument(QString::fromLatin1(HELP_FILE_NAME), folders);
  if (path.isEmpty()) return QUrl();
  QUrl url = QUrl::fromLocalFile(path);
  url.setFragment(HelpAnchor(contextId));
  return url;
}

bool OpenHelpTopic(int contextId, QWidget* near) {
  const QUrl url = HelpTopicUrl(contextId);
  if (url.isEmpty()) return false;
  return OpenDocument(url, near);
}

bool OpenHowToUse(QWidget* near) {
  const QString path = FindProgramDocument(QString::fromLatin1(HOW_TO_USE_FILE_NAME));
  if (path.isEmpty()) return false;
  return OpenDocument(QUrl::fromLocalFile(path), near);
}

}  // namespace tessaron
