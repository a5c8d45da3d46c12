#include "app/notice_window.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <algorithm>

#include "controls/dialog_units.h"
#include "controls/keyboard_access.h"

namespace tessaron {

namespace {
// In dialog units.
constexpr int NOTICE_UNITS_WIDTH = 239;
constexpr int NOTICE_UNITS_HEIGHT = 47;
}  // namespace

NoticeWindow::NoticeWindow(const QString& text, QWidget* parent, int lifetimeMs)
    : BaseDialog(parent, Kind::Window, Qt::Tool | Qt::FramelessWindowHint), text_(text) {
  setObjectName(QStringLiteral("noticeWindow"));
  // The painted text is what a screen reader announces when the notice appears.
  MarkAsAlert(this, text);
  SetBackgroundColor(NOTICE_COLOR);
  // The notice must not take the focus away from the window it talks about.
  setAttribute(Qt::WA_ShowWithoutActivating);
  // As large as its units, and higher when the wrapped text needs it.
  const DialogUnits units;
  const int width = units.X(NOTICE_UNITS_WIDTH);
  const QRect measured = fontMetrics().boundingRect(
      QRect(0, 0, width - 2 * (width / 20), 100000), Qt::AlignHCenter | Qt::TextWordWrap, text_);
  setFixedSize(width, std::max(units.Y(NOTICE_UNITS_HEIGHT), measured.height() + units.Y(8)));
  // A coarse timer may fire up to 5% early; the notice stays its full lifetime.
  timer_.setTimerType(Qt::PreciseTimer);
  timer_.setInterval(lifetimeMs);
  connect(&timer_, &QTimer::timeout, this, &NoticeWindow::OnTimer);
  QCoreApplication::instance()->installEventFilter(this);
}

NoticeWindow::~NoticeWindow() = default;

bool NoticeWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && isVisible() && timer_.isActive()) {
    timer_.stop();
    emit closeRequested();
  }
  return BaseDialog::eventFilter(watched, event);
}

void NoticeWindow::showEvent(QShowEvent* event) {
  BaseDialog::showEvent(event);
  timer_.start();
  AnnounceAlert(this);
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
    emit closeRequested();
  }
  event->accept();
}

void NoticeWindow::keyPressEvent(QKeyEvent* event) {
  // The program-wide key watch has closed the notice already.
  event->accept();
}

void NoticeWindow::OnTimer() {
  timer_.stop();
  hide();
  emit closeRequested();
}

}  // namespace tessaron
