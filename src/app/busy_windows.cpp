#include "app/busy_windows.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <atomic>
#include <thread>

namespace tessaron {

namespace {

bool OnWindowThread() {
  return QCoreApplication::instance() != nullptr &&
         QThread::currentThread() == QCoreApplication::instance()->thread();
}

bool IsUserInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::Close:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
      return true;
    default:
      return false;
  }
}

// The one filter of all holds; it lets through only input to a modal window that opened
// after the outermost hold began.
class InputFilter : public QObject {
 public:
  static constexpr const char* NAME = "tessaronInputHold";

  explicit InputFilter(QObject* parent) : QObject(parent) { setObjectName(QString::fromLatin1(NAME)); }

  void Begin() {
    if (depth_++ == 0) {
      modalAtStart_ = QApplication::activeModalWidget();
      QCoreApplication::instance()->installEventFilter(this);
    }
  }
  void End() {
    if (--depth_ == 0) QCoreApplication::instance()->removeEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!IsUserInput(event->type())) return false;
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && modal != modalAtStart_) {
      auto* widget = qobject_cast<QWidget*>(watched);
      if (widget != nullptr && (widget == modal || modal->isAncestorOf(widget))) return false;
      if (qobject_cast<QWindow*>(watched) != nullptr) return false;
    }
    return true;
  }

 private:
  int depth_ = 0;
  QPointer<QWidget> modalAtStart_;
};

// The filter of the application: made with the first hold, a child of the application object
// so that it lives and goes with it.
InputFilter& Filter() {
  QCoreApplication* application = QCoreApplication::instance();
  QObject* found = application->findChild<QObject*>(QString::fromLatin1(InputFilter::NAME),
                                                    Qt::FindDirectChildrenOnly);
  return found != nullptr ? *static_cast<InputFilter*>(found) : *new InputFilter(application);
}

}  // namespace

InputHold::InputHold() {
  if (OnWindowThread()) Filter().Begin();
}

InputHold::~InputHold() {
  if (OnWindowThread()) Filter().End();
}

void RunWhileWindowsPaint(const std::function<void()>& work) {
  if (!OnWindowThread()) {
    work();
    return;
  }
  InputHold hold;
  QEventLoop loop;
  std::atomic<bool> done{false};
  std::thread worker([&] {
    work();
    done = true;
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  if (!done) loop.exec();
  worker.join();
}

void WaitWhileWindowsPaint(int milliseconds) {
  if (milliseconds <= 0) return;
  if (!OnWindowThread()) {
    QThread::msleep(static_cast<unsigned long>(milliseconds));
    return;
  }
  InputHold hold;
  QEventLoop loop;
  QTimer::singleShot(milliseconds, Qt::PreciseTimer, &loop, &QEventLoop::quit);
  loop.exec();
}

void RunOnWindowThread(const std::function<void()>& action) {
  if (QCoreApplication::instance() == nullptr || OnWindowThread()) {
    action();
    return;
  }
  QMetaObject::invokeMethod(QCoreApplication::instance(), action, Qt::BlockingQueuedConnection);
}

}  // namespace tessaron
