#include "toolkit/Picture.h"

#include "toolkit/StoredPicture.h"

#include <QGuiApplication>
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
            image.setColorTable(QList<QRgb>(stored.colours, stored.colours + stored.colourCount));
        return image;
    }
    return QImage();
}

const QString storedPrefix = QStringLiteral(":/assets/");

// The name of a stored picture's drawing at twice its size, "<name>@2x.png".
QString twiceTheSize(const QString &path)
{
    QString name = path;
    return name.insert(name.lastIndexOf(QLatin1Char('.')), QLatin1String("@2x"));
}

// A screen of the application shows more than one pixel for each pixel of a window.
bool scaledScreen()
{
    return qGuiApp && qGuiApp->devicePixelRatio() > 1.0;
}

QPixmap storedPixmap(const QString &path, qreal ratio)
{
    QImage image = storedImage(QStringView(path).mid(storedPrefix.size()));
    image.setDevicePixelRatio(ratio);
    return QPixmap::fromImage(image, Qt::NoFormatConversion);
}

} // namespace

QPixmap picture(const QString &path)
{
    // On a scaled screen a stored picture is its drawing at twice the size, where there is one.
    const bool stored = path.startsWith(storedPrefix);
    const bool twice = stored && scaledScreen() && !path.contains(QLatin1String("@2x"));
    const QString key = QStringLiteral("zakrytka:") + (twice ? twiceTheSize(path) : path);
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap))
        return pixmap;
    if (twice)
        pixmap = storedPixmap(twiceTheSize(path), 2.0);
    if (pixmap.isNull() && stored) {
        pixmap = storedPixmap(path, 1.0);
    } else if (!stored) {
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
    if (!path.startsWith(storedPrefix) || !scaledScreen())
        return QIcon(picture(path));
    // On a scaled screen the window manager is offered the icon at both sizes, which Qt scales
    // to the sizes it needs: from copies, as Qt's scaling of an icon on X11 can fail on pixels
    // that lie in the program's read-only data.
    QIcon icon;
    for (const QPixmap &pixmap : {picture(path), storedPixmap(path, 1.0)}) {
        QImage image = pixmap.toImage().copy();
        image.setDevicePixelRatio(pixmap.devicePixelRatio());
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

} // namespace toolkit
