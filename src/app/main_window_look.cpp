#include "app/main_window.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QWindow>
#include <algorithm>
#include <cmath>

#include "app/advanced_sheet.h"
#include "app/basic_sheet.h"
#include "app/pictures.h"

// The look of the main window: its button column, where the child windows go, how it is
// painted and dragged.

namespace tessaron {

namespace {

// The window is laid out in dialog units: 355 by 280 units, the button column 75 units wide
// at x = 11, the child-window area from (95, 50) to the window's edges.
constexpr int WINDOW_UNITS_WIDTH = 355;
constexpr int WINDOW_UNITS_HEIGHT = 280;
// Below the last button, so that it does not touch the window's edge.
constexpr int BOTTOM_MARGIN_UNITS = 6;
constexpr int BUTTON_UNITS_X = 11;
constexpr int BUTTON_UNITS_WIDTH = 75;
constexpr int BUTTON_UNITS_HEIGHT = 20;
constexpr int BUTTON_TO_CHILD_UNITS = 9;
constexpr int CHILD_UNITS_X = 95;
constexpr int CHILD_UNITS_Y = 50;
// Room around a button caption: the rounded border and a little air.
constexpr int BUTTON_CAPTION_PADDING = 16;

const QColor AREA_COLOR(204, 230, 214);
const QColor LINE_COLOR(86, 185, 140);
const QColor BORDER_COLOR(100, 100, 100);

struct ButtonPlace {
  const char* caption;
  const char* name;
  int y;  // dialog units
};

// Down the left side, 75 by 20 units each at x = 11.
const ButtonPlace BUTTON_PLACES[] = {
    {"SELECT READER\nINTERFACE", "selectInterfaceButton", 68},
    {"HOW TO USE\nTHIS UTILITY", "howToUseButton", 100},
    {"CHECK CURRENT\nREADER SETTINGS", "checkSettingsButton", 132},
    {"CHANGE BASIC\nREADER SETTINGS", "changeBasicButton", 164},
    {"CHANGE ADVANCED\nREADER SETTINGS", "changeAdvancedButton", 196},
    {"HELP", "helpButton", 228},
    {"EXIT", "exitButton", 260},
};

// The column's buttons: rounded, green, bold captions, lighter under the mouse, darker when
// pressed, a heavier frame with the focus. Painted here rather than through a style sheet,
// which costs the start-up more than the whole window does.
class ColumnButton : public QPushButton {
 public:
  ColumnButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
    setAttribute(Qt::WA_Hover);
    QFont bold = font();
    bold.setBold(true);
    setFont(bold);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal frameWidth = hasFocus() ? 2.0 : 1.0;
    const QRectF frame = QRectF(rect()).adjusted(frameWidth / 2, frameWidth / 2,
                                                 -frameWidth / 2, -frameWidth / 2);
    QBrush fill(QColor(0xa9, 0xd3, 0xba));
    if (!isDown()) {
      const bool hovered = underMouse();
      QLinearGradient gradient(0, 0, 0, height());
      gradient.setColorAt(0, hovered ? QColor(0xff, 0xff, 0xff) : QColor(0xf6, 0xfc, 0xf8));
      gradient.setColorAt(1, hovered ? QColor(0xd5, 0xef, 0xdf) : QColor(0xbf, 0xe0, 0xcc));
      fill = QBrush(gradient);
    }
    painter.setPen(QPen(hasFocus() ? QColor(0x24, 0x61, 0x3f) : QColor(0x3c, 0x7a, 0x5a),
                        frameWidth));
    painter.setBrush(fill);
    painter.drawRoundedRect(frame, 6, 6);
    painter.setPen(QColor(0x17, 0x3d, 0x2a));
    painter.setFont(font());
    painter.drawText(rect(), Qt::AlignCenter, text());
  }
};

QFont TitleFont(const DialogUnits& units) {
  QFont font = SerifFont();
  font.setPixelSize(units.Pixels(24));
  return font;
}

QFont WelcomeFont(const DialogUnits& units) {
  QFont font = SansFont();
  font.setPixelSize(units.Pixels(14));
  return font;
}

// The welcome text's band: from this share of the window's height down to its bottom, from
// the child-window area's left edge to WELCOME_RIGHT_MARGIN short of the right edge.
constexpr double WELCOME_TOP = 0.83;
constexpr int WELCOME_RIGHT_MARGIN = 20;
constexpr int WELCOME_FLAGS = Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop;

// The height the window needs for the welcome text to fit its band whole at this font (the
// fonts of some systems wrap it into more lines than others).
int HeightForWelcome(const DialogUnits& units, int bandWidth) {
  const QFontMetrics metrics(WelcomeFont(units));
  const int textHeight =
      metrics.boundingRect(QRect(0, 0, bandWidth, 1 << 20), WELCOME_FLAGS,
                           QString::fromLatin1(WELCOME_TEXT))
          .height();
  return static_cast<int>(std::ceil((textHeight + metrics.descent()) / (1.0 - WELCOME_TOP)));
}

// The widest line of a button's caption in the buttons' bold face.
int CaptionWidth(const QFont& font, const char* caption) {
  QFont bold = font;
  bold.setBold(true);
  const QFontMetrics metrics(bold);
  int widest = 0;
  for (const QString& line : QString::fromLatin1(caption).split(QLatin1Char('\n'))) {
    widest = std::max(widest, metrics.horizontalAdvance(line));
  }
  return widest;
}

}  // namespace

void MainWindow::BuildButtonColumn() {
  // The button column is as wide as its units, or as its widest caption needs.
  int buttonWidth = units_.X(BUTTON_UNITS_WIDTH);
  for (const ButtonPlace& place : BUTTON_PLACES) {
    buttonWidth = std::max(buttonWidth, CaptionWidth(font(), place.caption) + BUTTON_CAPTION_PADDING);
  }
  const int buttonHeight =
      std::max(units_.Y(BUTTON_UNITS_HEIGHT), 2 * QFontMetrics(font()).height() + 6);
  int index = 0;
  for (const ButtonPlace& place : BUTTON_PLACES) {
    auto* button = new ColumnButton(QString::fromLatin1(place.caption), this);
    button->setObjectName(QString::fromLatin1(place.name));
    button->setAutoDefault(false);
    button->setGeometry(units_.X(BUTTON_UNITS_X), units_.Y(place.y), buttonWidth, buttonHeight);
    buttons_[index++] = button;
  }
  childLeft_ = units_.X(BUTTON_UNITS_X) + buttonWidth + units_.X(BUTTON_TO_CHILD_UNITS);
  // The child-window area keeps its units, or is as wide as a sheet needs at this font.
  const int childWidth = std::max(units_.X(WINDOW_UNITS_WIDTH) - units_.X(CHILD_UNITS_X),
                                  std::max(BasicSheet::NeededWidth(font()),
                                           AdvancedSheet::NeededWidth(font())));
  const int height = std::max(units_.Y(WINDOW_UNITS_HEIGHT + BOTTOM_MARGIN_UNITS),
                              HeightForWelcome(units_, childWidth - WELCOME_RIGHT_MARGIN));
  setFixedSize(childLeft_ + childWidth, height);
}

QRect MainWindow::ChildArea() const {
  const int top = units_.Y(CHILD_UNITS_Y);
  return QRect(childLeft_, top, width() - childLeft_, height() - top);
}

void MainWindow::PlaceChild(QWidget* child) {
  // A child window that needs more room than the area has (large captions) widens the
  // main window; the area always keeps at least its own size.
  const QSize needed = child->minimumSizeHint();
  const QRect area = ChildArea();
  const int extraWidth = std::max(0, needed.width() - area.width());
  const int extraHeight = std::max(0, needed.height() - area.height());
  if (extraWidth > 0 || extraHeight > 0) {
    setFixedSize(width() + extraWidth, height() + extraHeight);
    update();
  }
  child->setGeometry(ChildArea());
}

void MainWindow::mousePressEvent(QMouseEvent* event) {
  // The window has no caption bar: it is dragged by any point of its client area.
  if (event->button() != Qt::LeftButton) {
    BaseDialog::mousePressEvent(event);
    return;
  }
  if (windowHandle() != nullptr && windowHandle()->startSystemMove()) {
    event->accept();
    return;
  }
  dragging_ = true;
  dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
  event->accept();
}

void MainWindow::mouseMoveEvent(QMouseEvent* event) {
  if (dragging_ && (event->buttons() & Qt::LeftButton)) {
    move(event->globalPosition().toPoint() - dragOffset_);
    event->accept();
    return;
  }
  BaseDialog::mouseMoveEvent(event);
}

void MainWindow::mouseReleaseEvent(QMouseEvent* event) {
  dragging_ = false;
  BaseDialog::mouseReleaseEvent(event);
}

void MainWindow::paintEvent(QPaintEvent* event) {
  BaseDialog::paintEvent(event);
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  const int w = width();
  const int h = height();

  // The light green area behind the child windows, outlined in black.
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(AREA_COLOR);
  painter.drawRect(QRect(QPoint(w / 10, h / 6), QPoint(w + 1, h + 1)));

  // The logo, the line under it and the title beside it.
  const QPixmap logo = LogoPicture(units_.Scale());
  painter.drawPixmap(w / 10, h / 50, logo);
  const int lineY = h / 50 + logo.height() + 5;
  painter.setPen(QPen(LINE_COLOR, 2));
  painter.drawLine(w / 10, lineY, w - 10, lineY);

  const QFont titleFont = TitleFont(units_);
  painter.setFont(titleFont);
  painter.setPen(Qt::black);
  const QFontMetrics titleMetrics(titleFont);
  const int titleLeft = w / 10 + logo.width() + 6;
  const int titleBottom = h / 50 + logo.height();
  painter.drawText(QPoint(titleLeft, titleBottom - titleMetrics.descent()),
                   QString::fromLatin1(PROGRAM_TITLE));

  // The reader picture, at most 60 % of the height tall.
  const QPixmap picture = ReaderPicture(units_.Scale());
  const int pictureHeight = std::min(picture.height(), static_cast<int>(0.6 * h));
  painter.drawPixmap(
      QRect(static_cast<int>(0.3 * w), static_cast<int>(0.22 * h), picture.width(), pictureHeight),
      picture, QRect(0, 0, picture.width(), pictureHeight));

  // The welcome text under the picture, from the child-window area's left edge.
  painter.setFont(WelcomeFont(units_));
  painter.setPen(QColor(20, 60, 40));
  const QRect welcome(QPoint(ChildArea().left(), static_cast<int>(WELCOME_TOP * h)),
                      QPoint(w - WELCOME_RIGHT_MARGIN, h));
  painter.drawText(welcome, WELCOME_FLAGS, QString::fromLatin1(WELCOME_TEXT));

  // The thin border of the captionless window, so that it stands apart from a white window
  // behind it.
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(QPen(BORDER_COLOR, 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace tessaron
