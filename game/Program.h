#pragma once

// Creates the seven windows in their order; the splash window, first, becomes the main window.
void createWindows();

// A new game: a fresh card table replaces the current one, which is released once the handler
// that asked for the new game has returned. The splash window shows until the show timer's next
// tick brings the new table up.
void startNewGame();

// Destroys every window, so that a test can start the game again.
void destroyWindows();
