#pragma once

namespace toolkit {

// Chooses Qt's own Unix event dispatcher instead of the GLib one, unless the environment already
// names a choice (QT_NO_GLIB; set but empty keeps GLib). Nothing the game runs needs GLib's main
// loop, and Qt's own dispatcher does a little less at each of the about 176 wake-ups a second that
// the game's always-running timers cause. Must run before the application object exists.
void chooseEventDispatcher();

} // namespace toolkit
