#include "toolkit/BitBtn.h"

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
    const QRgb transparent = image.pixel(0, image.height() - 1);
    const int half = image.width() / 2;
    auto part = [&](int left) {
        QPixmap pixmap = QPixmap::fromImage(image.copy(left, 0, half, image.height()));
        pixmap.setMask(QBitmap::fromImage(
            image.copy(left, 0, half, image.height()).createMaskFromColor(transparent)));
        return pixmap;
    };
    QIcon icon;
    icon.addPixmap(part(0), QIcon::Normal);
    icon.addPixmap(part(half), QIcon::Disabled);
    setIcon(icon);
    setIconSize(QSize(half, image.height()));
}

} // namespace toolkit
