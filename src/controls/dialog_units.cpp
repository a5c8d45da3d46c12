#include "controls/dialog_units.h"

#include <QApplication>
#include <QFontMetricsF>
#include <cmath>

namespace tessaron {

namespace {

// The platform's own measure of a font's average character width.
const char* const WIDTH_SAMPLE = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
// The program's windows are drawn somewhat larger than bare dialog units: the pictures and
// painted captions of the look need the room.
constexpr double LOOK_FACTOR = 1.35;
// Character height of the font the look was drawn for.
constexpr double REFERENCE_HEIGHT = 14.0;

}  // namespace

DialogUnits::DialogUnits() : DialogUnits(QApplication::font()) {}

DialogUnits::DialogUnits(const QFont& font) {
  const QFontMetricsF metrics(font);
  const QString sample = QString::fromLatin1(WIDTH_SAMPLE);
  const double averageWidth = metrics.horizontalAdvance(sample) / sample.size();
  x_ = averageWidth / 4.0 * LOOK_FACTOR;
  y_ = metrics.height() / 8.0 * LOOK_FACTOR;
  scale_ = std::max(1.0, metrics.height() / REFERENCE_HEIGHT);
}

int DialogUnits::X(double units) const { return static_cast<int>(std::lround(units * x_)); }

int DialogUnits::Y(double units) const { return static_cast<int>(std::lround(units * y_)); }

QSize DialogUnits::Size(double width, double height) const { return QSize(X(width), Y(height)); }

QRect DialogUnits::Rect(double x, double y, double width, double height) const {
  return QRect(X(x), Y(y), X(width), Y(height));
}

int DialogUnits::Pixels(double length) const {
  return static_cast<int>(std::lround(length * scale_));
}

}  // namespace tessaron
