#pragma once

#include <span>

namespace toolkit {
class EditBox;
}

// The score file "sys.dll" in the current directory: eleven lines, line n the text of box n of
// the eleven given (the hall of fame's Edit<n>). Both raise toolkit::EInOutError when the file
// cannot be read or written.

// Loads the boxes; each box is set right after its own line has been read.
void readScoreFile(std::span<toolkit::EditBox *const, 11> boxes);
// Saves the boxes, replacing the old file as a whole.
void writeScoreFile(std::span<const toolkit::EditBox *const, 11> boxes);
