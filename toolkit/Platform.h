#pragma once

#include <QMargins>

class QWidget;

namespace toolkit {

// Chooses Qt's platform plugin; call it in main() before the application object exists. The
// game's windows are placed by the program and kept above one another, which a Wayland compositor
// does not allow, so when the player has not chosen a platform (QT_QPA_PLATFORM unset) and an X
// display is there (as XWayland gives every Wayland desktop), the game runs on X11 (xcb).
void choosePlatform();

// The frame the window manager puts around the window, asked for before the window is first
// shown (_NET_REQUEST_FRAME_EXTENTS). Empty when the window has no frame or when there is no X11
// window manager that answers.
QMargins frameExtents(QWidget *window);

} // namespace toolkit
