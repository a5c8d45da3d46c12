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
#include <utility>

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

// The filter of the holds; it lets through only input to a modal window that opened after
// the outermost hold began.
class InputFilter : public QObject {
 public:
  void Begin() {
    if (depth_++ == 0) {
      modalAtStart_ = QApplication::activeModalWidget();
      QCoreApplication::instance()->installEventFilter(this);
    }
  }
  void End() {
    if (--depth_ == 0) QCoreApplication::instance()->removeEventFilter(this);
  }
  bool Active() const { return depth_ > 0; }

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

InputFilter& FilterOf(const std::unique_ptr<QObject>& filter) {
  return *static_cast<InputFilter*>(filter.get());
}

// The local loops of the work: paint events, timers and posted events, but no socket
// notifier (see busy_windows.h).
constexpr QEventLoop::ProcessEventsFlags WORK_LOOP_EVENTS = QEventLoop::ExcludeSocketNotifiers;

}  // namespace

BusyWindows::BusyWindows() : filter_(std::make_unique<InputFilter>()) {}

BusyWindows::~BusyWindows() {
  if (Active() && QCoreApplication::instance() != nullptr) {
    QCoreApplication::instance()->removeEventFilter(filter_.get());
  }
}

void BusyWindows::Begin() {
  if (OnWindowThread()) FilterOf(filter_).Begin();
}

void BusyWindows::End() {
  if (OnWindowThread()) FilterOf(filter_).End();
}

bool BusyWindows::Active() const { return FilterOf(filter_).Active(); }

InputHold::InputHold(BusyWindows& busy) : busy_(&busy) { busy_->Begin(); }

InputHold::~InputHold() { busy_->End(); }

void RunWhileWindowsPaint(BusyWindows& busy, const std::function<void()>& work) {
  if (!OnWindowThread()) {
    work();
    return;
  }
  InputHold hold(busy);
  QEventLoop loop;
  std::atomic<bool> done{false};
  std::thread worker([&] {
    work();
    done = true;
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  if (!done) loop.exec(WORK_LOOP_EVENTS);
  worker.join();
}

void BusyWindows::Stop() {
  stopping_ = true;
  if (waitLoop_ != nullptr) static_cast<QEventLoop*>(waitLoop_)->quit();
}

void WaitWhileWindowsPaint(BusyWindows& busy, int milliseconds) {
  if (milliseconds <= 0 || busy.Stopping()) return;
  if (!OnWindowThread()) {
    QThread::msleep(static_cast<unsigned long>(milliseconds));
    return;
  }
  InputHold hold(busy);
  QEventLoop loop;
  QObject* const outer = std::exchange(busy.waitLoop_, &loop);
  QTimer::singleShot(milliseconds, Qt::PreciseTimer, &loop, &QEventLoop::quit);
  loop.exec(WORK_LOOP_EVENTS);
  busy.waitLoop_ = outer;
}

void RunOnWindowThread(const std::function<void()>& action) {
  if (QCoreApplication::instance() == nullptr || OnWindowThread()) {
    action();
    return;
  }
  QMetaObject::invokeMethod(QCoreApplication::instance(), action, Qt::BlockingQueuedConnection);
}

}  // namespace tessaron
