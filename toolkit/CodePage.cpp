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

// Marks a byte the converter leaves undefined; such a byte stands for the control character of
// the same number.
constexpr char16_t Undefined = 0xFFFD;

// The code page through glibc's converter: a few kilobytes, where Qt's goes through ICU, which
// keeps more than a megabyte of tables for the rest of the run. False if glibc lacks it.
bool iconvTable(std::array<char16_t, 256> &table)
{
    iconv_t cd = iconv_open("UTF-16LE", "WINDOWS-1250");
    if (cd == iconv_t(-1))
        return false;
    for (int b = 0; b < 256; ++b) {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char in = char(b);
        unsigned char out[4] = {};
        char *inp = &in;
        char *outp = reinterpret_cast<char *>(out);
        size_t inLeft = 1;
        size_t outLeft = sizeof out;
        const size_t done = iconv(cd, &inp, &inLeft, &outp, &outLeft);
        table[b] = done == size_t(-1) || outLeft != 2 ? Undefined : char16_t(out[0] | out[1] << 8);
    }
    iconv_close(cd);
    return true;
}

// The same through Qt's converter, for a C library without the code page.
void qtTable(std::array<char16_t, 256> &table)
{
    for (int b = 0; b < 256; ++b) {
        const char byte = char(b);
        QStringDecoder decoder("windows-1250");
        const QString s = decoder.decode(QByteArrayView(&byte, 1));
        table[b] = s.size() == 1 && !decoder.hasError() ? s.at(0).unicode() : Undefined;
    }
}

const Tables &tables()
{
    static const Tables t = [] {
        Tables t;
        if (!iconvTable(t.toUnicode))
            qtTable(t.toUnicode);
        for (int b = 0; b < 256; ++b) {
            char16_t &u = t.toUnicode[b];
            if (u == Undefined)
                u = char16_t(b);
            t.fromUnicode.insert(u, char(b));
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
