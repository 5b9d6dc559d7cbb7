#include "toolkit/BitBtn.h"

#include "toolkit/Controls.h"

#include <QBitmap>
#include <QIcon>

namespace toolkit {

BitBtn::BitBtn(QWidget *parent) : QPushButton(parent) {}

void BitBtn::setGlyph(const QPixmap &glyph)
{
    m_glyph = glyph;
    if (glyph.isNull()) {
        setIcon(QIcon());
        return;
    }
    const QImage image = glyph.toImage().convertToFormat(QImage::Format_RGB32);
    const QRgb transparent = transparentColor(image);
    const int half = image.width() / 2;
    // A picture drawn for a scaled screen keeps its ratio of pixels, so it shows at the same size.
    const qreal ratio = glyph.devicePixelRatio();
    auto part = [&](int left) {
        QPixmap pixmap = QPixmap::fromImage(image.copy(left, 0, half, image.height()));
        QBitmap mask = QBitmap::fromImage(
            image.copy(left, 0, half, image.height()).createMaskFromColor(transparent));
        mask.setDevicePixelRatio(pixmap.devicePixelRatio());
        pixmap.setMask(mask);
        pixmap.setDevicePixelRatio(ratio);
        return pixmap;
    };
    QIcon icon;
    icon.addPixmap(part(0), QIcon::Normal);
    icon.addPixmap(part(half), QIcon::Disabled);
    setIcon(icon);
    setIconSize(QSize(qRound(half / ratio), qRound(image.height() / ratio)));
}

} // namespace toolkit
