#include "helpviewer/TagScanner.h"

namespace helpviewer {

namespace {

bool isAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isNameChar(QChar c)
{
    return isAsciiLetter(c) || (c >= u'0' && c <= u'9') || c == u'-' || c == u':';
}

qsizetype skipSpace(const QString &text, qsizetype p)
{
    while (p < text.size() && text.at(p).isSpace())
        ++p;
    return p;
}

// Finds the tag that closes an element whose content is not markup (a script or a style sheet).
qsizetype findRawEnd(const QString &text, const QString &name, qsizetype from)
{
    const QString closing = QStringLiteral("</") + name;
    for (qsizetype p = text.indexOf(closing, from, Qt::CaseInsensitive); p >= 0;
         p = text.indexOf(closing, p + 1, Qt::CaseInsensitive)) {
        const qsizetype after = p + closing.size();
        if (after >= text.size() || text.at(after) == u'>' || text.at(after) == u'/' ||
            text.at(after).isSpace())
            return p;
    }
    return -1;
}

} // namespace

qsizetype lineAt(const QString &text, qsizetype position)
{
    return QStringView(text).left(position).count(u'\n') + 1;
}

QString atLine(const QString &text, qsizetype position, const QString &problem)
{
    return QStringLiteral("Wiersz %1: %2").arg(QString::number(lineAt(text, position)), problem);
}

QString decodeEntities(const QString &value)
{
    if (!value.contains(u'&'))
        return value;
    static const QHash<QString, QString> named = {
        {QStringLiteral("amp"), QStringLiteral("&")},
        {QStringLiteral("lt"), QStringLiteral("<")},
        {QStringLiteral("gt"), QStringLiteral(">")},
        {QStringLiteral("quot"), QStringLiteral("\"")},
        {QStringLiteral("apos"), QStringLiteral("'")},
    };
    QString out;
    qsizetype i = 0;
    while (i < value.size()) {
        // A reference is short: its ';' comes within a dozen characters of its '&'.
        const qsizetype length =
            value.at(i) == u'&' ? QStringView(value).mid(i, 12).indexOf(u';') : -1;
        if (length < 0) {
            out += value.at(i++);
            continue;
        }
        const QString entity = value.mid(i + 1, length - 1);
        QString replacement;
        if (entity.startsWith(u'#')) {
            bool ok = false;
            const bool hex = entity.startsWith(QStringLiteral("#x"), Qt::CaseInsensitive);
            const uint code = entity.mid(hex ? 2 : 1).toUInt(&ok, hex ? 16 : 10);
            const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
            if (ok && code > 0 && code <= 0x10FFFF && !surrogate) {
                const char32_t unit = code;
                replacement = QString::fromUcs4(&unit, 1);
            }
        } else {
            replacement = named.value(entity);
        }
        if (replacement.isEmpty()) {
            out += value.at(i++);
            continue;
        }
        out += replacement;
        i += length + 1;
    }
    return out;
}

bool scanTags(const QString &text, const std::function<bool(const Tag &, qsizetype)> &visit,
              QString *problem)
{
    const qsizetype n = text.size();
    qsizetype i = 0;
    while ((i = text.indexOf(u'<', i)) >= 0) {
        if (QStringView(text).mid(i, 4) == u"<!--") {
            const qsizetype end = text.indexOf(QStringLiteral("-->"), i + 4);
            if (end < 0) {
                *problem = atLine(text, i, QStringLiteral("niezamknięty komentarz (brak „-->”)."));
                return false;
            }
            i = end + 3;
            continue;
        }
        if (i + 1 < n && (text.at(i + 1) == u'!' || text.at(i + 1) == u'?')) {
            const qsizetype end = text.indexOf(u'>', i);
            if (end < 0) {
                *problem = atLine(text, i, QStringLiteral("niezamknięty znacznik (brak „>”)."));
                return false;
            }
            i = end + 1;
            continue;
        }
        Tag tag;
        tag.begin = i;
        qsizetype p = i + 1;
        if (p < n && text.at(p) == u'/') {
            tag.closing = true;
            ++p;
        }
        if (p >= n || !isAsciiLetter(text.at(p))) {
            ++i;
            continue;
        }
        const qsizetype nameStart = p;
        while (p < n && isNameChar(text.at(p)))
            ++p;
        tag.name = text.mid(nameStart, p - nameStart).toLower();
        for (;;) {
            while (p < n && (text.at(p).isSpace() || text.at(p) == u'/'))
                ++p;
            if (p >= n) {
                *problem =
                    atLine(text, i,
                           QStringLiteral("niezamknięty znacznik <%1> (brak „>”).").arg(tag.name));
                return false;
            }
            if (text.at(p) == u'>') {
                ++p;
                break;
            }
            const qsizetype attributeStart = p;
            while (p < n && !text.at(p).isSpace() && text.at(p) != u'=' && text.at(p) != u'>' &&
                   text.at(p) != u'/')
                ++p;
            const QString attribute = text.mid(attributeStart, p - attributeStart).toLower();
            if (attribute.isEmpty()) {
                *problem =
                    atLine(text, i,
                           QStringLiteral("nieprawidłowy atrybut w znaczniku <%1>.").arg(tag.name));
                return false;
            }
            QString value;
            p = skipSpace(text, p);
            if (p < n && text.at(p) == u'=') {
                p = skipSpace(text, p + 1);
                if (p < n && (text.at(p) == u'"' || text.at(p) == u'\'')) {
                    const qsizetype close = text.indexOf(text.at(p), p + 1);
                    if (close < 0) {
                        *problem = atLine(text, i,
                                          QStringLiteral("niezamknięty cudzysłów w znaczniku <%1>.")
                                              .arg(tag.name));
                        return false;
                    }
                    value = text.mid(p + 1, close - p - 1);
                    p = close + 1;
                } else {
                    const qsizetype valueStart = p;
                    while (p < n && !text.at(p).isSpace() && text.at(p) != u'>')
                        ++p;
                    value = text.mid(valueStart, p - valueStart);
                }
            }
            // As in HTML, the first of two attributes with the same name counts.
            if (!tag.attributes.contains(attribute))
                tag.attributes.insert(attribute, decodeEntities(value));
        }
        tag.end = p;
        const bool raw = !tag.closing && (tag.name == u"script" || tag.name == u"style" ||
                                          tag.name == u"title" || tag.name == u"textarea");
        i = p;
        if (raw) {
            i = findRawEnd(text, tag.name, p);
            if (i < 0) {
                *problem =
                    atLine(text, tag.begin,
                           QStringLiteral("znacznik <%1> nie ma zamknięcia </%1>.").arg(tag.name));
                return false;
            }
        }
        if (!visit(tag, raw ? i : p))
            break;
    }
    return true;
}

} // namespace helpviewer
