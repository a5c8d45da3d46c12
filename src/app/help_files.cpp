#include "app/help_files.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextBrowser>
#include <QVBoxLayout>

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

namespace {

// The desktop's viewer, else the program's own window.
bool Show(const QUrl& url, UiServices& ui, QWidget* near) {
  if (!ui.OpenDocument(url)) ShowDocumentWindow(url, near);
  return true;
}

}  // namespace

QWidget* ShowDocumentWindow(const QUrl& url, QWidget* near) {
  const QString path = url.toLocalFile();
  QWidget* owner = near != nullptr ? near->window() : nullptr;
  const QString name = QStringLiteral("document:") + path;
  auto* window = owner != nullptr ? owner->findChild<QDialog*>(name) : nullptr;
  QTextBrowser* browser = window != nullptr ? window->findChild<QTextBrowser*>() : nullptr;
  if (window == nullptr || browser == nullptr) {
    window = new QDialog(owner, Qt::Window);
    window->setObjectName(name);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(QFileInfo(path).completeBaseName());
    browser = new QTextBrowser(window);
    browser->setOpenExternalLinks(false);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, window);
    QObject::connect(buttons, &QDialogButtonBox::rejected, window, &QDialog::close);
    auto* layout = new QVBoxLayout(window);
    layout->addWidget(browser);
    layout->addWidget(buttons);
    // Room for 80 characters and 30 lines of the desktop's font.
    const QFontMetrics metrics(browser->font());
    window->resize(metrics.horizontalAdvance(QLatin1Char('x')) * 84,
                   metrics.lineSpacing() * 32);
  }
  if (path.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive)) {
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) browser->setPlainText(QString::fromUtf8(file.readAll()));
  } else {
    browser->setSource(url);
    if (!url.fragment().isEmpty()) browser->scrollToAnchor(url.fragment());
  }
  window->show();
  window->raise();
  window->activateWindow();
  return window;
}

bool OpenHelpTopic(int contextId, UiServices& ui, QWidget* near) {
  const QUrl url = HelpTopicUrl(contextId);
  if (url.isEmpty()) return false;
  return Show(url, ui, near);
}

bool OpenHowToUse(UiServices& ui, QWidget* near) {
  const QString path = FindProgramDocument(QString::fromLatin1(HOW_TO_USE_FILE_NAME));
  if (path.isEmpty()) return false;
  return Show(QUrl::fromLocalFile(path), ui, near);
}

}  // namespace tessaron
