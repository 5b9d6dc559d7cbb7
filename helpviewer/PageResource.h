#pragma once

#include <QByteArray>
#include <QImage>
#include <QTextDocument>
#include <QVariant>

namespace helpviewer {

// What a help page gets for anything it names: the window shows the text of the help file alone
// and reads no other file. Never nothing, for then the document reads the file itself: a picture
// becomes one transparent pixel, anything else an empty text.
inline QVariant pageResource(int type)
{
    if (type == QTextDocument::ImageResource) {
        QImage blank(1, 1, QImage::Format_ARGB32);
        blank.fill(Qt::transparent);
        return blank;
    }
    return QVariant(QByteArray());
}

} // namespace helpviewer
