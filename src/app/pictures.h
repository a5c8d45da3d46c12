#pragma once
// The program's pictures, drawn in code: the logo beside the main window's title, the
// reader picture of the main window, one picture per connection kind for the interface
// selection page, and the application icon.

#include <QFont>
#include <QIcon>
#include <QPixmap>

namespace tessaron {

// The logo at the top left of the main window.
QPixmap LogoPicture();
// A card being swiped through a reader, shown in the main window's child-window area.
QPixmap ReaderPicture();
// Connection kinds: the PS/2 keyboard plug, the RS232 (9-pin) plug, the USB plug.
QPixmap Ps2Picture();
QPixmap Rs232Picture();
QPixmap UsbPicture();
// The window icon (large and small sizes).
QIcon AppIcon();

// The black italic faces of the painted texts: serif for the main window's title, sans for
// its welcome text; the pictures use the same faces so that drawing them loads no other font.
QFont SerifFont();
QFont SansFont();

}  // namespace tessaron
