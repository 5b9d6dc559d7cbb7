#include "toolkit/Convert.h"

#include "toolkit/Exception.h"

#include <cstdint>

namespace toolkit {

namespace {

[[noreturn]] void invalid(const QString &text)
{
    throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text));
}

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

} // namespace

int strToInt(const QString &text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text[i] == u' ')
        ++i;
    if (i == n)
        invalid(text);

    if (text[i] == u'$') {
        // Hexadecimal: up to eight digits, read as the 32 bits of the number ($FFFFFFFF is -1).
        ++i;
        if (i == n)
            invalid(text);
        std::uint64_t value = 0;
        for (; i < n; ++i) {
            const int d = hexDigit(text[i]);
            if (d < 0)
                invalid(text);
            value = value * 16 + std::uint64_t(d);
            if (value > 0xFFFFFFFFu)
                invalid(text);
        }
        return static_cast<int>(static_cast<std::uint32_t>(value));
    }

    bool negative = false;
    if (text[i] == u'+' || text[i] == u'-') {
        negative = text[i] == u'-';
        ++i;
    }
    if (i == n)
        invalid(text);
    const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
    std::int64_t value = 0;
    for (; i < n; ++i) {
        const char16_t u = text[i].unicode();
        if (u < '0' || u > '9')
            invalid(text);
        value = value * 10 + (u - '0');
        if (value > limit)
            invalid(text);
    }
    return static_cast<int>(negative ? -value : value);
}

QString intToStr(int value)
{
    // The toss bit converts 1 and 2 at every tick of its 6 ms timer: single digits need no
    // new string each time.
    static const QString digits[10] = {
        QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
        QStringLiteral("4"), QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("7"),
        QStringLiteral("8"), QStringLiteral("9")};
    if (value >= 0 && value <= 9)
        return digits[value];
    return QString::number(value);
}

} // namespace toolkit
