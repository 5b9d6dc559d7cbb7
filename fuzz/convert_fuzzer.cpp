// Any text through the game's number conversion: it agrees with a second conversion written here
// from the rules alone, a number it returns converts back to itself through its plain decimal
// text, and a text it refuses is named in the message exactly as it was given.

#include "Check.h"

#include "toolkit/Convert.h"
#include "toolkit/Exception.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <string>

using fuzzcheck::check;
using fuzzcheck::fail;
using fuzzcheck::shown;

namespace {

bool isDecimal(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

int hexValue(char16_t c)
{
    if (isDecimal(c))
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

// The rules: spaces, then either an optional sign and decimal digits or "$" and hexadecimal
// digits, nothing after them, and a value that fits in 32 bits ("$" takes the 32 bits as they
// are). Leading zeros are dropped first, so the digit count alone tells what is too long.
std::optional<int> reference(const QString &text)
{
    const std::u16string s(reinterpret_cast<const char16_t *>(text.utf16()), size_t(text.size()));
    size_t i = s.find_first_not_of(u' ');
    if (i == std::u16string::npos)
        return std::nullopt;

    if (s[i] == u'$') {
        std::u16string digits = s.substr(i + 1);
        if (digits.empty())
            return std::nullopt;
        for (const char16_t c : digits)
            if (hexValue(c) < 0)
                return std::nullopt;
        digits.erase(0, digits.find_first_not_of(u'0') == std::u16string::npos
                            ? digits.size()
                            : digits.find_first_not_of(u'0'));
        if (digits.size() > 8)
            return std::nullopt;
        std::uint32_t bits = 0;
        for (const char16_t c : digits)
            bits = bits << 4 | std::uint32_t(hexValue(c));
        return static_cast<std::int32_t>(bits);
    }

    bool negative = false;
    if (s[i] == u'+' || s[i] == u'-') {
        negative = s[i] == u'-';
        ++i;
    }
    std::u16string digits = s.substr(i);
    if (digits.empty())
        return std::nullopt;
    for (const char16_t c : digits)
        if (!isDecimal(c))
            return std::nullopt;
    const size_t first = digits.find_first_not_of(u'0');
    digits.erase(0, first == std::u16string::npos ? digits.size() : first);
    if (digits.size() > 10)
        return std::nullopt;
    std::int64_t value = 0;
    for (const char16_t c : digits)
        value = value * 10 + (c - u'0');
    if (negative)
        value = -value;
    if (value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return int(value);
}

QString textOf(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return QString();
    const char *bytes = reinterpret_cast<const char *>(data + 1);
    const qsizetype length = qsizetype(size - 1);
    // The first byte chooses how the rest becomes a text.
    switch (data[0] % 3) {
    case 0:
        return QString::fromUtf8(bytes, length);
    case 1:
        return QString::fromLatin1(bytes, length);
    default: {
        QString text(length / 2, Qt::Uninitialized);
        for (qsizetype i = 0; i < text.size(); ++i)
            text[i] = QChar(char16_t(static_cast<unsigned char>(bytes[2 * i]) |
                                     static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
        return text;
    }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text = textOf(data, size);
    const std::optional<int> expected = reference(text);
    try {
        const int value = toolkit::strToInt(text);
        check(
            expected.has_value(), "a text against the rules is accepted",
            [&] { return QStringLiteral("\"%1\" gives %2").arg(shown(text)).arg(value); });
        check(*expected == value, "a number converts to another value", [&] {
            return QStringLiteral("\"%1\" gives %2, not %3")
                .arg(shown(text))
                .arg(value)
                .arg(*expected);
        });
        const QString back = toolkit::intToStr(value);
        check(
            back == QString::fromStdString(std::to_string(value)),
            "a number's text is not plain decimal", [&] { return back; });
        check(toolkit::strToInt(back) == value, "a number's own text converts to another value",
              [&] { return back; });
    } catch (const toolkit::EConvertError &e) {
        check(!expected.has_value(), "a text by the rules is refused", [&] {
            return QStringLiteral("\"%1\" should give %2")
                .arg(shown(text))
                .arg(expected.value_or(0));
        });
        const QString message =
            QLatin1Char('\'') + text + QStringLiteral("' is not a valid integer value");
        check(e.message() == message, "the message does not name the text as given", [&] {
            return QStringLiteral("\"%1\" for \"%2\"").arg(shown(e.message()), shown(text));
        });
    } catch (const std::exception &e) {
        fail("the conversion raised another error", QString::fromUtf8(e.what()));
    }
    return 0;
}
