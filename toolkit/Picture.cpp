#include "toolkit/Picture.h"

#include <QImageReader>
#include <QPixmapCache>

namespace toolkit {

QPixmap picture(const QString &path)
{
    const QString key = QStringLiteral("zakrytka:") + path;
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap))
        return pixmap;
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    pixmap = QPixmap::fromImageReader(&reader);
    if (!pixmap.isNull())
        QPixmapCache::insert(key, pixmap);
    return pixmap;
}

QIcon pictureIcon(const QString &path)
{
    return QIcon(picture(path));
}

} // namespace toolkit
