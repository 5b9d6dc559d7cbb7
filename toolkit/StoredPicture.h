#pragma once

namespace toolkit {

// One of the game's pictures as the build stores it in the program (tools/store-pictures): the
// pixels of a QImage of the given format, drawn where they lie.
struct StoredPicture {
    const char *name; // its file name in assets/
    int width;
    int height;
    int bytesPerLine;
    int format; // a QImage::Format
    const void *pixels;
    const unsigned int *colours; // a palette picture's colours, else none
    int colourCount;
};

extern const StoredPicture storedPictures[];
extern const int storedPictureCount;

} // namespace toolkit
