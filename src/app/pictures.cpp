#include "app/pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmapCache>
#include <QRadialGradient>

namespace tessaron {

namespace {

const QColor DARK_GREEN(38, 110, 76);
const QColor LIGHT_GREEN(86, 185, 140);

// A picture drawn once per run and then taken from the pixmap cache.
template <typename Draw>
QPixmap Cached(const QString& key, Draw draw) {
  QPixmap pixmap;
  if (QPixmapCache::find(key, &pixmap)) return pixmap;
  pixmap = draw();
  QPixmapCache::insert(key, pixmap);
  return pixmap;
}

QPixmap Transparent(int width, int height) {
  QPixmap pixmap(width, height);
  pixmap.fill(Qt::transparent);
  return pixmap;
}

// A card with its magnetic stripe, drawn into rect (landscape) with the stripe on top.
void DrawCard(QPainter& painter, const QRectF& rect, const QColor& colour) {
  QLinearGradient fill(rect.topLeft(), rect.bottomRight());
  fill.setColorAt(0, colour.lighter(140));
  fill.setColorAt(1, colour);
  painter.setPen(QPen(colour.darker(160), 1.5));
  painter.setBrush(fill);
  const qreal radius = rect.height() * 0.08;
  painter.drawRoundedRect(rect, radius, radius);
  const QRectF stripe(rect.left(), rect.top() + rect.height() * 0.16, rect.width(),
                      rect.height() * 0.2);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(35, 35, 35));
  painter.drawRect(stripe);
}

void DrawLogo(QPainter& painter, const QRectF& area) {
  painter.setRenderHint(QPainter::Antialiasing);
  QLinearGradient fill(area.topLeft(), area.bottomLeft());
  fill.setColorAt(0, LIGHT_GREEN);
  fill.setColorAt(1, DARK_GREEN);
  painter.setPen(QPen(DARK_GREEN.darker(130), 1.5));
  painter.setBrush(fill);
  const qreal radius = area.width() * 0.18;
  painter.drawRoundedRect(area.adjusted(1, 1, -1, -1), radius, radius);

  // A card slanting through the emblem and a bold "T" over it.
  painter.save();
  painter.translate(area.center());
  painter.rotate(-14);
  const qreal cardWidth = area.width() * 0.78;
  const qreal cardHeight = cardWidth * 0.6;
  DrawCard(painter, QRectF(-cardWidth / 2, -cardHeight / 2, cardWidth, cardHeight),
           QColor(235, 245, 240));
  painter.restore();

  QFont font = SerifFont();
  font.setPixelSize(static_cast<int>(area.height() * 0.62));
  painter.setFont(font);
  painter.setPen(QColor(20, 80, 55));
  painter.drawText(area.translated(0, area.height() * 0.08), Qt::AlignCenter, QStringLiteral("T"));
}

// A round outline for the connector pictures.
void DrawPlate(QPainter& painter, const QRectF& area, const QColor& colour) {
  QRadialGradient fill(area.center(), area.width() / 2);
  fill.setColorAt(0, colour.lighter(130));
  fill.setColorAt(1, colour.darker(115));
  painter.setPen(QPen(colour.darker(170), 2));
  painter.setBrush(fill);
  painter.drawEllipse(area);
}

QPixmap DrawLogoPicture() {
  QPixmap pixmap = Transparent(72, 56);
  QPainter painter(&pixmap);
  DrawLogo(painter, QRectF(0, 0, 72, 56));
  return pixmap;
}

QPixmap DrawReaderPicture() {
  constexpr int WIDTH = 360;
  constexpr int HEIGHT = 250;
  QPixmap pixmap = Transparent(WIDTH, HEIGHT);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);

  // Shadow under the reader.
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0, 0, 0, 40));
  painter.drawEllipse(QRectF(20, 200, 320, 36));

  // The card, half inside the slot, with the stripe facing the head.
  painter.save();
  painter.translate(180, 92);
  painter.rotate(-6);
  DrawCard(painter, QRectF(-85, -78, 200, 126), QColor(40, 95, 170));
  painter.setPen(QColor(235, 240, 255));
  QFont digits = SansFont();
  digits.setPixelSize(14);
  painter.setFont(digits);
  painter.drawText(QRectF(-75, 0, 180, 20), Qt::AlignLeft, QStringLiteral("4000 1234 5678 9010"));
  painter.setBrush(QColor(220, 190, 90));
  painter.setPen(QPen(QColor(150, 120, 40), 1));
  painter.drawRoundedRect(QRectF(-70, -30, 28, 22), 4, 4);
  painter.restore();

  // The reader body: a swipe reader seen from the front, its slot along the top.
  QPainterPath body;
  body.moveTo(30, 120);
  body.lineTo(330, 120);
  body.quadTo(345, 122, 340, 140);
  body.lineTo(322, 205);
  body.quadTo(318, 215, 305, 215);
  body.lineTo(55, 215);
  body.quadTo(42, 215, 38, 205);
  body.lineTo(20, 140);
  body.quadTo(15, 122, 30, 120);
  QLinearGradient bodyFill(0, 120, 0, 215);
  bodyFill.setColorAt(0, QColor(95, 100, 105));
  bodyFill.setColorAt(0.5, QColor(55, 58, 62));
  bodyFill.setColorAt(1, QColor(30, 32, 35));
  painter.setPen(QPen(QColor(20, 20, 20), 2));
  painter.setBrush(bodyFill);
  painter.drawPath(body);

  // Slot edge and the front label.
  painter.setPen(QPen(QColor(15, 15, 15), 4));
  painter.drawLine(QPointF(40, 124), QPointF(320, 124));
  painter.setPen(QColor(200, 230, 214));
  QFont label = SansFont();
  label.setPixelSize(18);
  painter.setFont(label);
  painter.drawText(QRectF(40, 150, 280, 30), Qt::AlignCenter, QStringLiteral("TESSARON"));

  // Status light.
  QRadialGradient light(QPointF(300, 192), 7);
  light.setColorAt(0, QColor(190, 255, 190));
  light.setColorAt(1, QColor(40, 170, 80));
  painter.setPen(Qt::NoPen);
  painter.setBrush(light);
  painter.drawEllipse(QPointF(300, 192), 6, 6);

  // Cable leaving to the host.
  painter.setPen(QPen(QColor(40, 40, 40), 6, Qt::SolidLine, Qt::RoundCap));
  painter.setBrush(Qt::NoBrush);
  QPainterPath cable;
  cable.moveTo(335, 180);
  cable.cubicTo(352, 190, 350, 225, 330, 240);
  painter.drawPath(cable);
  return pixmap;
}

QPixmap DrawPs2Picture() {
  QPixmap pixmap = Transparent(80, 80);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  DrawPlate(painter, QRectF(6, 6, 68, 68), QColor(140, 110, 190));  // keyboard purple
  painter.setPen(QPen(QColor(40, 30, 60), 2));
  painter.setBrush(QColor(45, 40, 55));
  painter.drawEllipse(QRectF(16, 16, 48, 48));
  // Six pins around a key notch.
  painter.setBrush(QColor(230, 215, 150));
  painter.setPen(Qt::NoPen);
  const QPointF pins[] = {{30, 30}, {50, 30}, {26, 42}, {54, 42}, {33, 53}, {47, 53}};
  for (const QPointF& pin : pins) painter.drawEllipse(pin, 3.2, 3.2);
  painter.setBrush(QColor(140, 110, 190));
  painter.drawRect(QRectF(37, 18, 6, 9));
  return pixmap;
}

QPixmap DrawRs232Picture() {
  QPixmap pixmap = Transparent(80, 80);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  // The 9-pin D shell.
  QPainterPath shell;
  shell.moveTo(8, 24);
  shell.lineTo(72, 24);
  shell.lineTo(64, 56);
  shell.lineTo(16, 56);
  shell.closeSubpath();
  QLinearGradient metal(0, 24, 0, 56);
  metal.setColorAt(0, QColor(215, 220, 225));
  metal.setColorAt(1, QColor(140, 145, 150));
  painter.setPen(QPen(QColor(70, 75, 80), 2));
  painter.setBrush(metal);
  painter.drawPath(shell);
  painter.setBrush(QColor(50, 70, 120));
  painter.setPen(Qt::NoPen);
  QPainterPath insulator;
  insulator.moveTo(14, 29);
  insulator.lineTo(66, 29);
  insulator.lineTo(60, 51);
  insulator.lineTo(20, 51);
  insulator.closeSubpath();
  painter.drawPath(insulator);
  painter.setBrush(QColor(235, 225, 170));
  for (int pin = 0; pin < 5; ++pin) painter.drawEllipse(QPointF(22 + pin * 9, 35), 2.6, 2.6);
  for (int pin = 0; pin < 4; ++pin) painter.drawEllipse(QPointF(26.5 + pin * 9, 45), 2.6, 2.6);
  // The two screw posts.
  painter.setBrush(QColor(170, 170, 175));
  painter.setPen(QPen(QColor(70, 70, 75), 1));
  painter.drawEllipse(QPointF(4.5, 40), 3.5, 3.5);
  painter.drawEllipse(QPointF(75.5, 40), 3.5, 3.5);
  return pixmap;
}

QPixmap DrawUsbPicture() {
  QPixmap pixmap = Transparent(80, 80);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  // Plug housing and the metal shell.
  painter.setPen(QPen(QColor(40, 40, 40), 2));
  painter.setBrush(QColor(70, 70, 75));
  painter.drawRoundedRect(QRectF(26, 38, 28, 36), 4, 4);
  QLinearGradient metal(26, 0, 54, 0);
  metal.setColorAt(0, QColor(150, 155, 160));
  metal.setColorAt(0.5, QColor(230, 233, 236));
  metal.setColorAt(1, QColor(150, 155, 160));
  painter.setBrush(metal);
  painter.setPen(QPen(QColor(80, 85, 90), 1.5));
  painter.drawRect(QRectF(28, 8, 24, 32));
  painter.setBrush(QColor(60, 60, 65));
  painter.setPen(Qt::NoPen);
  painter.drawRect(QRectF(33, 14, 5, 5));
  painter.drawRect(QRectF(42, 14, 5, 5));
  // The USB trident on the housing.
  painter.setPen(QPen(QColor(230, 230, 230), 1.8, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(QPointF(40, 70), QPointF(40, 46));
  painter.drawLine(QPointF(40, 60), QPointF(33, 54));
  painter.drawLine(QPointF(33, 54), QPointF(33, 50));
  painter.drawLine(QPointF(40, 64), QPointF(47, 57));
  painter.drawLine(QPointF(47, 57), QPointF(47, 52));
  painter.setBrush(QColor(230, 230, 230));
  painter.setPen(Qt::NoPen);
  QPolygonF arrow;
  arrow << QPointF(40, 43) << QPointF(37, 48) << QPointF(43, 48);
  painter.drawPolygon(arrow);
  painter.drawEllipse(QPointF(33, 49), 2, 2);
  painter.drawRect(QRectF(45.5, 49.5, 3.5, 3.5));
  return pixmap;
}

}  // namespace

namespace {

// A picture at a scale: drawn once, then scaled smoothly once per scale and cached.
QPixmap AtScale(const char* name, QPixmap (*draw)(), double scale) {
  const QString key = QStringLiteral("tessaron-%1").arg(QLatin1String(name));
  const QPixmap picture = Cached(key, draw);
  if (scale <= 1.0) return picture;
  return Cached(key + QStringLiteral("@%1").arg(scale), [&] {
    return picture.scaled(picture.size() * scale, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  });
}

}  // namespace

QPixmap LogoPicture(double scale) { return AtScale("LogoPicture", DrawLogoPicture, scale); }

QPixmap ReaderPicture(double scale) { return AtScale("ReaderPicture", DrawReaderPicture, scale); }

QPixmap Ps2Picture(double scale) { return AtScale("Ps2Picture", DrawPs2Picture, scale); }

QPixmap Rs232Picture(double scale) { return AtScale("Rs232Picture", DrawRs232Picture, scale); }

QPixmap UsbPicture(double scale) { return AtScale("UsbPicture", DrawUsbPicture, scale); }

QFont SerifFont() {
  QFont font;
  font.setFamilies({QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"),
                    QStringLiteral("DejaVu Serif")});
  font.setWeight(QFont::Black);
  font.setItalic(true);
  return font;
}

QFont SansFont() {
  QFont font;
  font.setFamilies(
      {QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
  font.setWeight(QFont::Black);
  font.setItalic(true);
  return font;
}

QIcon AppIcon() {
  // The logo itself, which the main window draws anyway; the icon scales it to each size.
  return QIcon(LogoPicture());
}

}  // namespace tessaron
