#include "toolkit/CodePage.h"

#include <QHash>
#include <QStringDecoder>

#include <array>
#include <iconv.h>

namespace toolkit {

namespace {

struct Tables {
    std::array<char16_t, 256> toUnicode{};
    QHash<char16_t, char> fromUnicode;
};

// One character through glibc's converter, for a Qt built without the code page.
char16_t iconvDecode(unsigned char byte)
{
    iconv_t cd = iconv_open("UTF-16LE", "WINDOWS-1250");
    if (cd == iconv_t(-1))
        return byte;
    char in = char(byte);
    char out[4] = {};
    char *inp = &in;
    char *outp = out;
    size_t inLeft = 1;
    size_t outLeft = sizeof out;
    const size_t done = iconv(cd, &inp, &inLeft, &outp, &outLeft);
    iconv_close(cd);
    if (done == size_t(-1))
        return byte;
    return char16_t(static_cast<unsigned char>(out[0]) | static_cast<unsigned char>(out[1]) << 8);
}

const Tables &tables()
{
    static const Tables t = [] {
        Tables t;
        QStringDecoder probe("windows-1250");
        const bool qtHasIt = probe.isValid();
        for (int b = 0; b < 256; ++b) {
            const char byte = char(b);
            char16_t u;
            if (qtHasIt) {
                QStringDecoder decoder("windows-1250");
                const QString s = decoder.decode(QByteArrayView(&byte, 1));
                u = s.size() == 1 && !decoder.hasError() ? s.at(0).unicode() : char16_t(b);
            } else {
                u = iconvDecode(static_cast<unsigned char>(b));
            }
            // An undefined byte stands for the control character of the same number.
            if (u == 0xFFFD)
                u = char16_t(b);
            t.toUnicode[b] = u;
            t.fromUnicode.insert(u, byte);
        }
        return t;
    }();
    return t;
}

} // namespace

QString CodePage::decode(QByteArrayView bytes)
{
    const Tables &t = tables();
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        out[i] = QChar(t.toUnicode[static_cast<unsigned char>(bytes[i])]);
    return text;
}

QByteArray CodePage::encode(QStringView text)
{
    const Tables &t = tables();
    QByteArray bytes;
    bytes.reserve(text.size());
    for (QChar c : text) {
        const auto it = t.fromUnicode.constFind(c.unicode());
        if (it != t.fromUnicode.constEnd())
            bytes.append(it.value());
    }
    return bytes;
}

bool CodePage::holds(QChar c)
{
    return tables().fromUnicode.contains(c.unicode());
}

} // namespace toolkit
