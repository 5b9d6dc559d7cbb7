#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

namespace toolkit {

// One of the game's own pictures, a PNG file among its resources, read by Qt's built-in PNG
// reader and shared by every control that shows it. A QPixmap or QIcon given a file name would
// first ask every image plugin on the system (gif, ico, jpeg, ...) whether it reads PNG, loading
// each of them into the game for the rest of the run. The windows' designs use it for their
// pictures.
QPixmap picture(const QString &path);

// A window icon from one of the game's pictures.
QIcon pictureIcon(const QString &path);

} // namespace toolkit
