#pragma once

#include <QEvent>
#include <QMargins>
#include <QPoint>

class QWidget;

namespace toolkit {

// Chooses Qt's platform plugin; call it in main() before the application object exists. The
// game's windows are placed by the program and kept above one another, which a Wayland compositor
// does not allow, so when the player has not chosen a platform (QT_QPA_PLATFORM unset) and an X
// display is there (as XWayland gives every Wayland desktop), the game runs on X11 (xcb).
void choosePlatform();

// The frame the window manager puts around the window, in the window's own (scaled) pixels,
// known before the window is shown: the frame it put around an earlier window of the same kind,
// or its answer to _NET_REQUEST_FRAME_EXTENTS, or else the frame of the last window it framed.
// Empty when the window has no frame or there is no X11 window manager.
QMargins frameExtents(QWidget *window);

// Puts a window that was hidden back at its place (its client area's corner, in the window's own
// pixels) just before it is shown again. A window manager that lets go of a hidden window hands it
// back at its frame's corner; shown again before the manager has done so, the window would come
// up there, moved by its frame. So the window is shown again only once the manager has let go of
// it (waiting at most a tenth of a second), and then at its place. False when the manager did not
// let go in time: it may then put the window at its frame's corner as it frames it.
bool placeAgain(QWidget *window, QPoint topLeft);

// The event a window receives when the window manager has put a new frame around it, or changed
// it; frameExtents() then knows it.
QEvent::Type frameEventType();

} // namespace toolkit
