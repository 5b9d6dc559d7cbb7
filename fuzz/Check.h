#pragma once

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <cstdlib>

namespace fuzzcheck {

// Stops the run as a crash, so the fuzzer keeps the input that broke the rule.
[[noreturn]] inline void fail(const char *rule, const QString &detail = QString())
{
    std::fprintf(stderr, "\nBROKEN RULE: %s\n%s\n", rule, detail.left(2000).toUtf8().constData());
    std::fflush(stderr);
    std::abort();
}

inline void check(bool holds, const char *rule)
{
    if (!holds)
        fail(rule);
}

// The detail is only put together when the rule is broken.
template <typename Detail> void check(bool holds, const char *rule, Detail detail)
{
    if (!holds)
        fail(rule, detail());
}

// Bytes as C-style escapes, for the report of a broken rule.
inline QString shown(const QByteArray &bytes)
{
    QString text;
    for (const char c : bytes.left(200)) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b < 0x7f && b != '\\')
            text += QChar(b);
        else
            text += QStringLiteral("\\x%1").arg(b, 2, 16, QChar(u'0'));
    }
    if (bytes.size() > 200)
        text += QStringLiteral("... (%1 bytes)").arg(bytes.size());
    return text;
}

inline QString shown(const QString &text)
{
    QString out;
    for (const QChar c : text.left(200))
        if (c.unicode() >= 0x20 && c.unicode() < 0x7f && c != u'\\')
            out += c;
        else
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QChar(u'0'));
    if (text.size() > 200)
        out += QStringLiteral("... (%1 characters)").arg(text.size());
    return out;
}

} // namespace fuzzcheck
