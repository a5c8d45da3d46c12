#include "app/message_window.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace tessaron {

namespace {
constexpr int MESSAGE_WINDOW_WIDTH = 380;
constexpr int MESSAGE_WINDOW_MIN_HEIGHT = 140;
}  // namespace

int MessageWindow::TextDropFor(const QString& text) {
  return text.size() < SHORT_MESSAGE_LENGTH ? SHORT_MESSAGE_DROP : 0;
}

MessageWindow::MessageWindow(const QString& text, QWidget* parent, int lifetimeMs)
    : BaseDialog(parent, Kind::Window, Qt::Dialog | Qt::FramelessWindowHint),
      textLabel_(new QLabel(text, this)),
      okButton_(new QPushButton(QStringLiteral("OK"), this)),
      textDrop_(TextDropFor(text)) {
  setObjectName(QStringLiteral("messageWindow"));
  setModal(true);

  textLabel_->setObjectName(QStringLiteral("messageText"));
  textLabel_->setTextFormat(Qt::PlainText);
  textLabel_->setWordWrap(true);
  textLabel_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

  okButton_->setObjectName(QStringLiteral("okButton"));
  okButton_->setDefault(true);
  okButton_->setMinimumWidth(90);
  connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(18, 16 + textDrop_, 18, 14);
  layout->addWidget(textLabel_, 1);
  layout->addSpacing(8);
  layout->addWidget(okButton_, 0, Qt::AlignHCenter);

  setFixedWidth(MESSAGE_WINDOW_WIDTH);
  setMinimumHeight(MESSAGE_WINDOW_MIN_HEIGHT);

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
}

void MessageWindow::paintEvent(QPaintEvent* event) {
  BaseDialog::paintEvent(event);
  // A popup without caption: a thin frame marks its edge.
  QPainter painter(this);
  painter.setPen(QPen(QColor(86, 120, 100), 1));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace tessaron
