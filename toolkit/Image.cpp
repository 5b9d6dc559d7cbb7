#include "toolkit/Image.h"

#include <QPainter>

namespace toolkit {

Image::Image(QWidget *parent) : QLabel(parent) {}

void Image::paintEvent(QPaintEvent *)
{
    const QPixmap picture = pixmap();
    if (picture.isNull())
        return;
    // A stretched picture is scaled pixel for pixel, without smoothing; on a scaled screen, where
    // the picture is drawn for twice the size, it is scaled smoothly to the screen's pixels.
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, picture.devicePixelRatio() != 1.0);
    if (hasScaledContents())
        painter.drawPixmap(rect(), picture);
    else
        painter.drawPixmap(0, 0, picture);
}

} // namespace toolkit
