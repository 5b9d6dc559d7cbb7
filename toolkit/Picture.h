#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

namespace toolkit {

// One of the game's own pictures, named ":/assets/<file name>" as in the windows' designs. The
// build stores them in the program as the pixels the game draws, and the pixmap draws them where
// they lie, in their own format (a palette picture stays one byte a pixel): nothing is decoded
// and nothing copied. Any other name is a PNG file among Qt's resources, read by Qt's built-in
// PNG reader: a QPixmap or QIcon given a file name would first ask every image plugin on the
// system (gif, ico, jpeg, ...) whether it reads PNG, loading each of them into the game for the
// rest of the run. A null pixmap when there is no such picture.
QPixmap picture(const QString &path);

// A window icon from one of the game's pictures.
QIcon pictureIcon(const QString &path);

} // namespace toolkit
