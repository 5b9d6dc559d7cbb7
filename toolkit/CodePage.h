#pragma once

#include <QByteArray>
#include <QString>

namespace toolkit {

// The Windows-1250 code page of the game's texts, one byte per character, exact both ways: the
// five bytes the code page leaves undefined map to the control characters U+0081, U+0083, U+0088,
// U+0090 and U+0098 and back, so any byte survives a load and a save.
class CodePage {
public:
    static QString decode(QByteArrayView bytes);
    // Characters the code page cannot hold are left out; no substitute byte is ever written.
    static QByteArray encode(QStringView text);
    static bool holds(QChar c);
};

} // namespace toolkit
