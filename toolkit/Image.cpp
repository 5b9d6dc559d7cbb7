#include "toolkit/Image.h"

#include <QPainter>

namespace toolkit {

Image::Image(QWidget *parent) : QLabel(parent) {}

void Image::paintEvent(QPaintEvent *)
{
    const QPixmap picture = pixmap();
    if (picture.isNull())
        return;
    // A stretched picture is scaled pixel for pixel, without smoothing.
    QPainter painter(this);
    if (hasScaledContents())
        painter.drawPixmap(rect(), picture);
    else
        painter.drawPixmap(0, 0, picture);
}

} // namespace toolkit
