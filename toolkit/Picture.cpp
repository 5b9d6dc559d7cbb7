#include "toolkit/Picture.h"

#include "toolkit/StoredPicture.h"

#include <QImage>
#include <QImageReader>
#include <QPixmapCache>

namespace toolkit {

namespace {

QImage storedImage(QStringView name)
{
    for (int i = 0; i < storedPictureCount; ++i) {
        const StoredPicture &stored = storedPictures[i];
        if (name != QLatin1String(stored.name))
            continue;
        QImage image(static_cast<const uchar *>(stored.pixels), stored.width, stored.height,
                     stored.bytesPerLine, QImage::Format(stored.format));
        if (stored.colourCount > 0)
            image.setColorTable(
                QList<QRgb>(stored.colours, stored.colours + stored.colourCount));
        return image;
    }
    return QImage();
}

} // namespace

QPixmap picture(const QString &path)
{
    const QString key = QStringLiteral("zakrytka:") + path;
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap))
        return pixmap;
    static const QString stored = QStringLiteral(":/assets/");
    if (path.startsWith(stored)) {
        pixmap = QPixmap::fromImage(storedImage(QStringView(path).mid(stored.size())),
                                    Qt::NoFormatConversion);
    } else {
        QImageReader reader(path, "png");
        reader.setAutoDetectImageFormat(false);
        pixmap = QPixmap::fromImageReader(&reader);
    }
    if (!pixmap.isNull())
        QPixmapCache::insert(key, pixmap);
    return pixmap;
}

QIcon pictureIcon(const QString &path)
{
    return QIcon(picture(path));
}

} // namespace toolkit
