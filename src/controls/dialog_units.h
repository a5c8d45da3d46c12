#pragma once
// Lengths that follow the desktop font, the way dialog units do on the original platform:
// a horizontal unit is a quarter of the font's average character width, a vertical unit an
// eighth of its height. The windows are laid out in these units, so that every caption
// keeps its room at any font size; pictures and painted texts grow by Scale().

#include <QFont>
#include <QRect>
#include <QSize>

namespace tessaron {

class DialogUnits {
 public:
  // The units of the application's font (the desktop font).
  DialogUnits();
  explicit DialogUnits(const QFont& font);

  int X(double units) const;
  int Y(double units) const;
  QSize Size(double width, double height) const;
  QRect Rect(double x, double y, double width, double height) const;
  // How much larger than at the font the look was drawn for (9 pt, 14 pixels high) the
  // windows come out: painted fonts and pictures are scaled by it.
  double Scale() const { return scale_; }
  // A pixel length of the look, scaled.
  int Pixels(double length) const;

 private:
  double x_;
  double y_;
  double scale_;
};

}  // namespace tessaron
