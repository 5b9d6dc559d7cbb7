#pragma once

namespace toolkit {

// Chooses Qt's own Unix event dispatcher instead of the GLib one, unless the environment already
// names a choice (QT_NO_GLIB). Nothing the game runs needs GLib's main loop, and the GLib
// dispatcher costs about a third more at every one of the toss-bit timer's 166 ticks a second.
// Must run before the application object exists.
void chooseEventDispatcher();

} // namespace toolkit
