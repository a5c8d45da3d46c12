#pragma once
// The program's pictures, drawn in code: the logo beside the main window's title, the
// reader picture of the main window, one picture per connection kind for the interface
// selection page, and the application icon.

#include <QFont>
#include <QIcon>
#include <QPixmap>

namespace tessaron {

// Each picture comes at its own size, or larger by scale (the windows' DialogUnits::Scale).
// The logo at the top left of the main window.
QPixmap LogoPicture(double scale = 1.0);
// A card being swiped through a reader, shown in the main window's child-window area.
QPixmap ReaderPicture(double scale = 1.0);
// Connection kinds: the PS/2 keyboard plug, the RS232 (9-pin) plug, the USB plug.
QPixmap Ps2Picture(double scale = 1.0);
QPixmap Rs232Picture(double scale = 1.0);
QPixmap UsbPicture(double scale = 1.0);
// The window icon (large and small sizes).
QIcon AppIcon();

// The black italic faces of the painted texts: serif for the main window's title, sans for
// its welcome text; the pictures use the same faces so that drawing them loads no other font.
QFont SerifFont();
QFont SansFont();

}  // namespace tessaron
