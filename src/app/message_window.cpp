#include "app/message_window.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "controls/dialog_units.h"
#include "controls/keyboard_access.h"

namespace tessaron {

namespace {
// In dialog units: the width of the popup and its least height.
constexpr int MESSAGE_UNITS_WIDTH = 173;
constexpr int MESSAGE_UNITS_MIN_HEIGHT = 59;
}  // namespace

int MessageWindow::TextDropFor(const QString& text) {
  return text.size() < SHORT_MESSAGE_LENGTH ? SHORT_MESSAGE_DROP : 0;
}

MessageWindow::MessageWindow(const QString& text, QWidget* parent, int lifetimeMs)
    : BaseDialog(parent, Kind::Window, Qt::Dialog | Qt::FramelessWindowHint),
      textLabel_(new QLabel(text, this)),
      okButton_(MakeOkButton()),
      textDrop_(TextDropFor(text)) {
  setObjectName(QStringLiteral("messageWindow"));
  setModal(true);
  MarkAsAlert(this, text);

  textLabel_->setObjectName(QStringLiteral("messageText"));
  textLabel_->setTextFormat(Qt::PlainText);
  textLabel_->setWordWrap(true);
  textLabel_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);


  const DialogUnits units;
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(units.X(8), units.Y(7) + textDrop_, units.X(8), units.Y(6));
  layout->addWidget(textLabel_, 1);
  layout->addSpacing(units.Y(3));
  layout->addWidget(okButton_, 0, Qt::AlignHCenter);

  // As wide as its units; as high as the wrapped text needs, and at least its units.
  const int width = units.X(MESSAGE_UNITS_WIDTH);
  setFixedSize(width, std::max(units.Y(MESSAGE_UNITS_MIN_HEIGHT), heightForWidth(width)));

  timer_.setSingleShot(true);
  timer_.setTimerType(Qt::PreciseTimer);
  timer_.setInterval(lifetimeMs > 0 ? lifetimeMs : MESSAGE_WINDOW_LIFETIME_MS);
  connect(&timer_, &QTimer::timeout, this, &QDialog::accept);
}

MessageWindow::~MessageWindow() = default;

QString MessageWindow::Text() const { return textLabel_->text(); }

void MessageWindow::showEvent(QShowEvent* event) {
  BaseDialog::showEvent(event);
  timer_.start();
  AnnounceAlert(this);
}

void MessageWindow::paintEvent(QPaintEvent* event) {
  BaseDialog::paintEvent(event);
  // A popup without caption: a thin frame marks its edge.
  QPainter painter(this);
  painter.setPen(QPen(QColor(86, 120, 100), 1));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace tessaron
