#include "app/notice_window.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include "app/private_messages.h"

namespace tessaron {

namespace {
constexpr int NOTICE_WIDTH = 526;
constexpr int NOTICE_HEIGHT = 108;
}  // namespace

NoticeWindow::NoticeWindow(const QString& text, QWidget* closeReceiver)
    : BaseDialog(closeReceiver, Kind::Window, Qt::Tool | Qt::FramelessWindowHint),
      text_(text),
      closeReceiver_(closeReceiver) {
  setObjectName(QStringLiteral("noticeWindow"));
  SetBackgroundColor(NOTICE_COLOR);
  // The notice must not take the focus away from the window it talks about.
  setAttribute(Qt::WA_ShowWithoutActivating);
  setFixedSize(NOTICE_WIDTH, NOTICE_HEIGHT);
  // A coarse timer may fire up to 5% early; the notice stays its full five seconds.
  timer_.setTimerType(Qt::PreciseTimer);
  timer_.setInterval(NOTICE_LIFETIME_MS);
  connect(&timer_, &QTimer::timeout, this, &NoticeWindow::OnTimer);
}

NoticeWindow::~NoticeWindow() = default;

void NoticeWindow::showEvent(QShowEvent* event) {
  BaseDialog::showEvent(event);
  timer_.start();
  // Centred over the main window, or on the screen when there is none.
  QRect area;
  if (parentWidget() != nullptr && parentWidget()->isVisible()) {
    area = parentWidget()->frameGeometry();
  } else if (QScreen* screen = QGuiApplication::primaryScreen()) {
    area = screen->availableGeometry();
  }
  if (area.isValid()) move(area.center() - rect().center());
}

void NoticeWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), NOTICE_COLOR);
  painter.setPen(QPen(Qt::black, 1));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));

  // The text is word-wrapped and centred in the client area less a twentieth of the width
  // on each side, and centred vertically by its measured height.
  const int margin = width() / 20;
  QRect textArea = rect().adjusted(margin, 0, -margin, 0);
  const int flags = Qt::AlignHCenter | Qt::TextWordWrap;
  const QRect measured = painter.fontMetrics().boundingRect(textArea, flags, text_);
  textArea.translate(0, (height() - measured.height()) / 2);
  painter.drawText(textArea, flags, text_);
}

void NoticeWindow::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    timer_.stop();
    PostClose();
  }
  event->accept();
}

void NoticeWindow::keyPressEvent(QKeyEvent* event) {
  timer_.stop();
  PostClose();
  event->accept();
}

void NoticeWindow::OnTimer() {
  timer_.stop();
  PostClose();
  hide();
}

void NoticeWindow::PostClose() {
  if (closeReceiver_) QCoreApplication::postEvent(closeReceiver_, new QEvent(MSG_CLOSE_NOTICE));
}

}  // namespace tessaron
