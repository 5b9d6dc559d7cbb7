#pragma once

class TForm7;

// The score file "sys.dll" in the current directory: eleven lines, line n the text of the hall of
// fame's box Edit<n>. Both raise toolkit::EInOutError when the file cannot be read or written.

// Loads the boxes; each box is set right after its own line has been read.
void readScoreFile(TForm7 &form);
// Saves the boxes, replacing the old file as a whole.
void writeScoreFile(const TForm7 &form);
