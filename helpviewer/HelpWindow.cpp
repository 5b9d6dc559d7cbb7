#include "helpviewer/HelpWindow.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QKeySequence>
#include <QPointer>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QStringDecoder>
#include <QStyle>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolBar>
#include <QToolTip>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <iterator>
#include <utility>
#include <vector>

namespace helpviewer {

namespace {

// A help file is a few pages of text; anything much larger is not one.
constexpr qint64 MaxFileSize = 4 * 1024 * 1024;
constexpr qsizetype MaxHistory = 100;
// The history keeps pages of this many readings of help files at most: each holds a whole file.
constexpr qsizetype MaxDocuments = 1;

// One tag of a help file, as the scanner found it.
struct Tag {
    qsizetype begin = 0; // the position of its '<'
    qsizetype end = 0;   // the position after its '>'
    QString name;        // in lower case
    bool closing = false;
    QHash<QString, QString> attributes; // names in lower case, values with entities decoded
};

qsizetype lineAt(const QString &text, qsizetype position)
{
    return QStringView(text).left(position).count(u'\n') + 1;
}

QString atLine(const QString &text, qsizetype position, const QString &problem)
{
    return QStringLiteral("Wiersz %1: %2").arg(QString::number(lineAt(text, position)), problem);
}

bool isAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isNameChar(QChar c)
{
    return isAsciiLetter(c) || (c >= u'0' && c <= u'9') || c == u'-' || c == u':';
}

// Replaces the character references of HTML that an attribute value may hold: the five named
// ones and numeric ones. Anything else stays as written.
QString decodeEntities(const QString &value)
{
    if (!value.contains(u'&')) {
        return value;
    }
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

qsizetype skipSpace(const QString &text, qsizetype p)
{
    while (p < text.size() && text.at(p).isSpace()) {
        ++p;
    }
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
            text.at(after).isSpace()) {
            return p;
        }
    }
    return -1;
}

// Splits the text into its tags and hands them to visit one by one, until it returns false,
// skipping comments, declarations and the content of scripts and style sheets. A '<' that does
// not begin a tag is taken as text.
template <typename Visit> bool scan(const QString &text, Visit visit, QString *problem)
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
        while (p < n && isNameChar(text.at(p))) {
            ++p;
        }
        tag.name = text.mid(nameStart, p - nameStart).toLower();
        for (;;) {
            while (p < n && (text.at(p).isSpace() || text.at(p) == u'/')) {
                ++p;
            }
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
                   text.at(p) != u'/') {
                ++p;
            }
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
                    while (p < n && !text.at(p).isSpace() && text.at(p) != u'>') {
                        ++p;
                    }
                    value = text.mid(valueStart, p - valueStart);
                }
            }
            // As in HTML, the first of two attributes with the same name counts.
            if (!tag.attributes.contains(attribute)) {
                tag.attributes.insert(attribute, decodeEntities(value));
            }
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
        if (!visit(tag, raw ? i : p)) {
            break;
        }
    }
    return true;
}

bool isValidName(const QString &name)
{
    static const QRegularExpression pattern(QStringLiteral("^\\S+$"));
    return pattern.match(name).hasMatch();
}

QString plainText(const QString &html)
{
    static const QRegularExpression markup(QStringLiteral("<[^>]*>"));
    QString text = html;
    text.remove(markup);
    return decodeEntities(text).simplified();
}

QString messagePage(const QString &message)
{
    return QStringLiteral("<html><body><h1>Nie można wyświetlić pomocy</h1><p>%1</p></body></html>")
        .arg(message.toHtmlEscaped());
}

// The nesting that Qt's rich-text reader gives the elements of a page, which starts as
// "<html><head></head><body>": the same reading of tags, names and attributes, and the same rules
// for where an element goes (a table and a row made around a lone cell, a table around a lone
// row, a paragraph or list item that does not nest in its own kind, a cell, row or definition
// that goes up to its table or list, and elements that hold nothing). Where the reader may nest
// less (a new paragraph that closes inline elements, a name written with a character
// reference), this counts deeper. Returns the position of the first tag that goes deeper than
// maxDepth, or -1.
qsizetype tooDeepAt(const QString &text, qsizetype from, qsizetype to, int maxDepth)
{
    std::vector<QString> open{QStringLiteral("html"), QStringLiteral("body")};
    qsizetype p = from;
    const auto eatSpace = [&] {
        while (p < to && text.at(p).isSpace() && text.at(p) != QChar::ParagraphSeparator) {
            ++p;
        }
    };
    // A word as the reader takes it: quoted, or up to a space, '<', '=', '>' or "/>". A
    // reference in it makes it a name this cannot know.
    const auto word = [&](bool *unknown) {
        QString word;
        if (p < to && text.at(p) == u'"') {
            for (++p; p < to;) {
                const QChar c = text.at(p++);
                if (c == u'"') {
                    break;
                }
                *unknown = *unknown || c == u'&';
                word += c;
            }
        } else if (p < to && text.at(p) == u'\'') {
            for (++p; p < to;) {
                const QChar c = text.at(p++);
                if (c == u'\'' && text.at(p - 2) != u'\\') {
                    break;
                }
                word += c;
            }
        } else {
            for (; p < to; ++p) {
                const QChar c = text.at(p);
                if (c == u'>' || c == u'<' || c == u'=' || c.isSpace() ||
                    (c == u'/' && p + 1 < to && text.at(p + 1) == u'>')) {
                    break;
                }
                *unknown = *unknown || c == u'&';
                word += c;
            }
        }
        return word;
    };
    const auto isOpen = [&](const QString &name) {
        return std::find(open.begin(), open.end(), name) != open.end();
    };
    const auto allowedIn = [](const QString &name, const QString &parent) {
        if (name == u"dd" || name == u"dt") {
            return parent == u"dl";
        }
        if (name == u"tr") {
            return parent == u"table" || parent == u"thead" || parent == u"tbody" ||
                   parent == u"tfoot";
        }
        if (name == u"td" || name == u"th") {
            return parent == u"tr";
        }
        if (name == u"thead" || name == u"tbody" || name == u"tfoot" || name == u"caption") {
            return parent == u"table";
        }
        if (name == u"body") {
            return parent != u"head";
        }
        return true;
    };

    while ((p = text.indexOf(u'<', p)) >= 0 && p < to) {
        const qsizetype at = p++;
        eatSpace();
        if (p < to && text.at(p) == u'!') {
            ++p;
            if (p + 1 < to && text.at(p) == u'-' && text.at(p + 1) == u'-') {
                const qsizetype end = text.indexOf(QStringLiteral("-->"), p + 2);
                p = end < 0 || end + 3 > to ? to : end + 3;
            } else {
                while (p < to && text.at(p++) != u'>') {
                }
            }
            continue;
        }
        bool unknown = false;
        if (p < to && text.at(p) == u'/') {
            ++p;
            const QString name = word(&unknown).toLower().trimmed();
            while (p < to && text.at(p++) != u'>') {
            }
            // A closing tag closes the innermost open element of its name, and all inside it.
            for (auto it = open.rbegin(); !unknown && !name.isEmpty() && it != open.rend(); ++it) {
                if (*it == name) {
                    open.erase(std::next(it).base(), open.end());
                    break;
                }
            }
            continue;
        }
        const QString name = word(&unknown).toLower();
        if (p < to && text.at(p).isSpace()) {
            for (;;) {
                eatSpace();
                if (p >= to || text.at(p) == u'>' || text.at(p) == u'/') {
                    break;
                }
                bool ignored = false;
                if (word(&ignored).isEmpty()) {
                    break;
                }
                eatSpace();
                if (p < to && text.at(p) == u'=') {
                    ++p;
                    eatSpace();
                    word(&ignored);
                }
            }
        }
        bool closed = false;
        for (; p < to && text.at(p) != u'>'; ++p) {
            closed = closed || text.at(p) == u'/';
        }
        ++p;
        if (name.isEmpty()) {
            continue;
        }
        if (unknown) {
            // It may be a cell, for which a table and a row are made.
            for (int level = closed ? 2 : 3; level > 0; --level) {
                open.push_back(QString());
            }
        } else {
            if ((name == u"td" || name == u"th") && !isOpen(QStringLiteral("tr"))) {
                open.push_back(QStringLiteral("table"));
                open.push_back(QStringLiteral("tr"));
            } else if (name == u"tr" && !isOpen(QStringLiteral("table"))) {
                open.push_back(QStringLiteral("table"));
            }
            if ((name == u"p" || name == u"li") && !open.empty() && open.back() == name) {
                open.pop_back();
            }
            while (!open.empty() && !allowedIn(name, open.back())) {
                open.pop_back();
            }
            const bool empty = name == u"img" || name == u"hr" || name == u"br" || name == u"meta";
            if (!closed && !empty) {
                open.push_back(name);
            }
        }
        if (open.size() > size_t(maxDepth)) {
            return at;
        }
    }
    return -1;
}

bool isInternalLink(const QUrl &url)
{
    return url.scheme().isEmpty() && url.host().isEmpty() && url.path().isEmpty() &&
           url.hasFragment();
}

QPointer<HelpWindow> &helpWindow()
{
    static QPointer<HelpWindow> window;
    return window;
}

} // namespace

// The page view. It loads nothing on its own: a help file may name pictures or style sheets,
// but the window shows the text of the help file alone and reads no other file.
class HelpWindow::Browser : public QTextBrowser {
public:
    using QTextBrowser::QTextBrowser;

    QVariant loadResource(int type, const QUrl &) override
    {
        // Never nothing: for a resource it is not given, the document reads the file itself.
        // A picture becomes one transparent pixel, anything else an empty text.
        if (type == QTextDocument::ImageResource) {
            QImage blank(1, 1, QImage::Format_ARGB32);
            blank.fill(Qt::transparent);
            return blank;
        }
        return QVariant(QByteArray());
    }
};

std::optional<HelpWindow::Document> HelpWindow::parse(const QString &text, QString *problem)
{
    Document document;
    document.text = text;
    struct Meta {
        qsizetype begin;
        QString kind;
        QString content;
    };
    QList<Meta> metas;
    QString fault; // the first fault in the topics, reported if the markup itself is sound
    bool bodyEnded = false;
    bool bodyFound = false;
    bool titleOpen = false;
    qsizetype titleBegin = 0;

    // The topic being read is always the last one of the document. Laying out a page takes the
    // window up to a few hundred times the page's length in memory, so a file with a page too
    // long is refused as soon as it shows.
    const auto checkLength = [&](qsizetype end) {
        Topic &topic = document.topics.last();
        if (fault.isEmpty() &&
            end - topic.begin + document.body.size() + document.styleSheet.size() > MaxPage) {
            const QString title =
                titleOpen ? plainText(text.mid(titleBegin, end - titleBegin)) : topic.title;
            fault = atLine(text, topic.begin,
                           QStringLiteral("temat „%1” jest za długi: razem ze stylami sprzed "
                                          "pierwszego tematu ma ponad %2 tys. znaków.")
                               .arg(title, QString::number(MaxPage / 1024)));
        }
    };
    const auto endTopic = [&](qsizetype end) {
        if (document.topics.isEmpty()) {
            return;
        }
        checkLength(end);
        Topic &topic = document.topics.last();
        topic.end = end;
        if (titleOpen) {
            topic.title = plainText(text.mid(titleBegin, end - titleBegin));
            titleOpen = false;
        }
        if (topic.names.isEmpty() && fault.isEmpty()) {
            fault = atLine(text, topic.begin,
                           QStringLiteral("temat „%1” nie ma nazwy (atrybutu id nagłówka "
                                          "ani znacznika <a name>).")
                               .arg(topic.title));
        }
    };

    const auto visit = [&](const Tag &tag, qsizetype contentEnd) {
        if (!document.topics.isEmpty() && !bodyEnded) {
            checkLength(tag.begin);
        }
        if (!tag.closing && tag.name == u"meta") {
            const QString kind = tag.attributes.value(QStringLiteral("name")).trimmed().toLower();
            if (kind == u"help-contents" || kind == u"help-context") {
                metas.append(
                    {tag.begin, kind, tag.attributes.value(QStringLiteral("content")).trimmed()});
            }
        }
        if (bodyEnded) {
            return;
        }
        if (tag.closing && (tag.name == u"body" || tag.name == u"html")) {
            // The topics end where the body ends; what follows is not shown.
            endTopic(tag.begin);
            bodyEnded = true;
            return;
        }
        if (tag.name == u"h1") {
            if (tag.closing) {
                if (titleOpen) {
                    document.topics.last().title =
                        plainText(text.mid(titleBegin, tag.begin - titleBegin));
                    titleOpen = false;
                }
            } else {
                endTopic(tag.begin);
                Topic topic;
                topic.begin = tag.begin;
                document.topics.append(std::move(topic));
                titleOpen = true;
                titleBegin = tag.end;
            }
        }
        if (document.topics.isEmpty()) {
            // Before the first topic: the style sheets and the body settings of every page.
            if (!tag.closing && tag.name == u"style") {
                document.styleSheet += text.mid(tag.end, contentEnd - tag.end);
                document.styleSheet += u'\n';
            } else if (!tag.closing && tag.name == u"body" && !bodyFound) {
                document.body = text.mid(tag.begin, tag.end - tag.begin);
                bodyFound = true;
            }
            return;
        }
        if (tag.closing || !fault.isEmpty()) {
            return;
        }
        Topic &topic = document.topics.last();
        QStringList names;
        if (tag.attributes.contains(QStringLiteral("id"))) {
            names.append(tag.attributes.value(QStringLiteral("id")));
        }
        if (tag.name == u"a" && tag.attributes.contains(QStringLiteral("name"))) {
            names.append(tag.attributes.value(QStringLiteral("name")));
        }
        names.removeDuplicates();
        for (const QString &name : std::as_const(names)) {
            if (!isValidName(name)) {
                fault = atLine(text, tag.begin,
                               QStringLiteral("nazwa „%1” jest nieprawidłowa (nie może być "
                                              "pusta ani zawierać odstępów).")
                                   .arg(name));
                return;
            }
            if (document.names.contains(name)) {
                fault = atLine(text, tag.begin,
                               QStringLiteral("nazwa „%1” występuje w pliku drugi raz.").arg(name));
                return;
            }
            document.names.insert(name, document.topics.size() - 1);
            topic.names.append(name);
        }
        if (tag.name == u"a" && tag.attributes.contains(QStringLiteral("href"))) {
            const QString href = tag.attributes.value(QStringLiteral("href")).trimmed();
            if (href.startsWith(u'#')) {
                document.links.append(
                    {document.topics.size() - 1, QUrl::fromPercentEncoding(href.mid(1).toUtf8())});
            }
        }
    };

    // Reading stops at the first fault.
    const auto visitUntilFault = [&](const Tag &tag, qsizetype contentEnd) {
        if (fault.isEmpty()) {
            visit(tag, contentEnd);
        }
        return fault.isEmpty();
    };
    if (!scan(text, visitUntilFault, problem)) {
        return std::nullopt;
    }
    if (!bodyEnded && fault.isEmpty()) {
        endTopic(text.size());
    }
    if (document.topics.isEmpty()) {
        *problem = QStringLiteral("W pliku nie ma żadnego tematu (nagłówka <h1>).");
        return std::nullopt;
    }
    if (!fault.isEmpty()) {
        *problem = fault;
        return std::nullopt;
    }

    // The meta tags that tie topics to the help calls.
    static const QRegularExpression contextPattern(QStringLiteral("^([0-9]{1,10})\\s+(\\S+)$"));
    bool contentsFound = false;
    for (const Meta &tag : std::as_const(metas)) {
        const QString &kind = tag.kind;
        const QString &content = tag.content;
        if (kind == u"help-contents") {
            if (contentsFound) {
                *problem = atLine(text, tag.begin, QStringLiteral("drugi znacznik help-contents."));
                return std::nullopt;
            }
            contentsFound = true;
            if (!isValidName(content)) {
                *problem = atLine(
                    text, tag.begin,
                    QStringLiteral("znacznik help-contents musi podawać nazwę jednego tematu."));
                return std::nullopt;
            }
            if (!document.names.contains(content)) {
                *problem = atLine(text, tag.begin,
                                  QStringLiteral("spis treści wskazuje nazwę „%1”, której nie "
                                                 "ma w pliku.")
                                      .arg(content));
                return std::nullopt;
            }
            document.contents = content;
        } else if (kind == u"help-context") {
            const QRegularExpressionMatch match = contextPattern.match(content);
            const qulonglong number = match.hasMatch() ? match.captured(1).toULongLong() : 0;
            if (!match.hasMatch() || number > 0xFFFFFFFFULL) {
                *problem = atLine(text, tag.begin,
                                  QStringLiteral("znacznik help-context musi podawać numer "
                                                 "(od 0 do 4294967295) i nazwę tematu, "
                                                 "np. „1 pomoc”."));
                return std::nullopt;
            }
            const quint32 context = static_cast<quint32>(number);
            const QString name = match.captured(2);
            if (document.contexts.contains(context)) {
                *problem = atLine(text, tag.begin,
                                  QStringLiteral("numer %1 występuje w znacznikach help-context "
                                                 "drugi raz.")
                                      .arg(context));
                return std::nullopt;
            }
            if (!document.names.contains(name)) {
                *problem = atLine(text, tag.begin,
                                  QStringLiteral("numer %1 wskazuje nazwę „%2”, której nie ma "
                                                 "w pliku.")
                                      .arg(QString::number(context), name));
                return std::nullopt;
            }
            document.contexts.insert(context, name);
        }
    }
    if (!contentsFound) {
        document.contents = document.topics.first().names.first();
    }

    // Every page is checked before any is shown, so that a file is refused as a whole.
    for (const Topic &topic : std::as_const(document.topics)) {
        const qsizetype deep = tooDeepAt(text, topic.begin, topic.end, MaxDepth);
        if (deep >= 0) {
            *problem = atLine(text, deep,
                              QStringLiteral("elementy są zagnieżdżone zbyt głęboko (dozwolone "
                                             "najwyżej %1 poziomy razem z <html> i <body>).")
                                  .arg(MaxDepth));
            return std::nullopt;
        }
    }
    return document;
}

QString HelpWindow::Document::page(qsizetype topic) const
{
    const Topic &shown = topics.at(topic);
    QString html = QStringLiteral("<html><head></head>");
    html += body.isEmpty() ? QStringLiteral("<body>") : body;
    html += QStringView(text).mid(shown.begin, shown.end - shown.begin);
    html += QStringLiteral("</body></html>");
    return html;
}

std::optional<HelpWindow::Document> HelpWindow::read(const QString &path, QString *error)
{
    // The messages name the file as the game does, by its name alone.
    QFileInfo info(QDir::current(), path);
    const QString file = info.fileName();
    const QDir folder = info.absoluteDir();
    if (!info.exists()) {
        // The game's files come from a system that ignores the case of file names, so a name
        // also finds the one file in its folder whose name differs from it in case only.
        QStringList matches;
        const QStringList entries = folder.entryList(QDir::Files | QDir::Hidden);
        for (const QString &entry : entries) {
            if (entry.compare(file, Qt::CaseInsensitive) == 0) {
                matches.append(entry);
            }
        }
        if (matches.size() == 1) {
            info = QFileInfo(folder, matches.first());
        }
    }
    const QString cannotOpen = QStringLiteral("Nie można otworzyć pliku pomocy „%1”: %2");
    if (!info.exists()) {
        *error = cannotOpen.arg(file, QStringLiteral("nie ma go w folderze %1.")
                                          .arg(QDir::toNativeSeparators(info.absolutePath())));
        return std::nullopt;
    }
    if (info.isDir()) {
        *error = cannotOpen.arg(file, QStringLiteral("to jest folder, a nie plik."));
        return std::nullopt;
    }
    if (!info.isFile()) {
        *error = cannotOpen.arg(file, QStringLiteral("to nie jest zwykły plik."));
        return std::nullopt;
    }
    const QString tooLarge = QStringLiteral("Plik pomocy „%1” jest za duży (ponad %2 MB).")
                                 .arg(file, QString::number(MaxFileSize / (1024 * 1024)));
    if (info.size() > MaxFileSize) {
        *error = tooLarge;
        return std::nullopt;
    }
    QFile in(info.absoluteFilePath());
    if (!in.open(QIODevice::ReadOnly)) {
        *error = cannotOpen.arg(file, in.error() == QFileDevice::PermissionsError
                                          ? QStringLiteral("brak uprawnień do odczytu.")
                                          : QStringLiteral("błąd odczytu."));
        return std::nullopt;
    }
    const QByteArray bytes = in.read(MaxFileSize + 1);
    if (in.error() != QFileDevice::NoError) {
        *error = cannotOpen.arg(file, QStringLiteral("błąd odczytu."));
        return std::nullopt;
    }
    if (bytes.size() > MaxFileSize) {
        *error = tooLarge;
        return std::nullopt;
    }

    const QString invalid = QStringLiteral("Plik pomocy „%1” ma nieprawidłowy format. %2");
    if (bytes.contains('\0')) {
        *error = invalid.arg(file, QStringLiteral("To nie jest plik tekstowy."));
        return std::nullopt;
    }
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(bytes);
    if (decoder.hasError()) {
        const qsizetype bad = text.indexOf(QChar::ReplacementCharacter);
        *error = invalid.arg(file, atLine(text, bad < 0 ? text.size() : bad,
                                          QStringLiteral("tekst nie jest zapisany w UTF-8.")));
        return std::nullopt;
    }
    QString problem;
    std::optional<Document> document = parse(text, &problem);
    if (!document) {
        *error = invalid.arg(file, problem);
        return std::nullopt;
    }
    document->fileName = file;
    return document;
}

HelpWindow *HelpWindow::find()
{
    return helpWindow().data();
}

HelpWindow *HelpWindow::open()
{
    HelpWindow *help = helpWindow().data();
    if (!help) {
        help = new HelpWindow;
        helpWindow() = help;
        // A new help window opens in the middle of the screen.
        if (const QScreen *screen = QGuiApplication::primaryScreen()) {
            help->move(screen->availableGeometry().center() - help->rect().center());
        }
    }
    if (help->isMinimized()) {
        help->setWindowState(help->windowState() & ~Qt::WindowMinimized);
    }
    help->show();
    help->raise();
    help->activateWindow();
    return help;
}

HelpWindow::HelpWindow() : QWidget(nullptr, Qt::Window)
{
    setObjectName(QStringLiteral("HelpWindow"));
    // Closing the help window ends the viewer; the game starts a new one when help is asked for
    // again.
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("ZAKRYTKA - Pomoc"));
    resize(520, 480);

    auto *toolBar = new QToolBar(this);
    toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_back =
        toolBar->addAction(style()->standardIcon(QStyle::SP_ArrowBack), QStringLiteral("Wstecz"));
    m_back->setObjectName(QStringLiteral("back"));
    m_back->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Left));
    m_back->setToolTip(QStringLiteral("Wróć do poprzedniej strony (Alt+←)"));
    m_forward =
        toolBar->addAction(style()->standardIcon(QStyle::SP_ArrowForward), QStringLiteral("Dalej"));
    m_forward->setObjectName(QStringLiteral("forward"));
    m_forward->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Right));
    m_forward->setToolTip(QStringLiteral("Przejdź do następnej strony (Alt+→)"));
    m_contents = toolBar->addAction(style()->standardIcon(QStyle::SP_FileDialogContentsView),
                                    QStringLiteral("Spis treści"));
    m_contents->setObjectName(QStringLiteral("contents"));
    m_contents->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Home));
    m_contents->setToolTip(QStringLiteral("Pokaż spis treści (Alt+Home)"));

    m_browser = new Browser(this);
    m_browser->setObjectName(QStringLiteral("browser"));
    m_browser->setOpenLinks(false);
    m_browser->setOpenExternalLinks(false);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolBar);
    layout->addWidget(m_browser);

    connect(m_back, &QAction::triggered, this, &HelpWindow::back);
    connect(m_forward, &QAction::triggered, this, &HelpWindow::forward);
    connect(m_contents, &QAction::triggered, this, &HelpWindow::showContents);
    connect(m_browser, &QTextBrowser::anchorClicked, this, &HelpWindow::follow);
    updateActions();
}

bool HelpWindow::showTopic(std::shared_ptr<const Document> document, const QString &name)
{
    if (!document->names.contains(name)) {
        const QString message =
            QStringLiteral("W pliku pomocy „%1” nie ma tematu „%2”.").arg(document->fileName, name);
        go({std::move(document), QString(), message});
        return false;
    }
    go({std::move(document), name, QString()});
    return true;
}

bool HelpWindow::showContext(std::shared_ptr<const Document> document, quint32 context)
{
    const auto found = document->contexts.constFind(context);
    if (found == document->contexts.constEnd()) {
        const QString message = QStringLiteral("W pliku pomocy „%1” nie ma tematu o numerze %2.")
                                    .arg(document->fileName, QString::number(context));
        go({std::move(document), QString(), message});
        return false;
    }
    const QString name = *found;
    return showTopic(std::move(document), name);
}

void HelpWindow::showError(const QString &message)
{
    go({nullptr, QString(), message});
}

std::shared_ptr<const HelpWindow::Document> HelpWindow::document() const
{
    return m_current >= 0 ? m_history.at(m_current).document : nullptr;
}

QString HelpWindow::pageTitle() const
{
    if (m_current < 0) {
        return QString();
    }
    const Page &page = m_history.at(m_current);
    if (!page.document || !page.error.isEmpty()) {
        return page.error;
    }
    return page.document->topics.at(page.document->names.value(page.name)).title;
}

bool HelpWindow::isSamePlace(const Page &a, const Page &b)
{
    if (a.error != b.error || a.name != b.name || !a.document != !b.document) {
        return false;
    }
    if (!a.document) {
        return true;
    }
    if (a.document->fileName != b.document->fileName) {
        return false;
    }
    // A topic counts as the same place while its page reads the same.
    const auto source = [](const Page &page) {
        const Document &document = *page.document;
        const Topic &topic = document.topics.at(document.names.value(page.name));
        return QStringView(document.text).mid(topic.begin, topic.end - topic.begin);
    };
    return !a.error.isEmpty() ||
           (a.document->body == b.document->body &&
            a.document->styleSheet == b.document->styleSheet && source(a) == source(b));
}

void HelpWindow::go(Page page)
{
    if (m_current >= 0) {
        Page &current = m_history[m_current];
        if (isSamePlace(current, page)) {
            // The same place again, as when F1 is pressed twice: show it afresh from its start
            // rather than recording it twice.
            current = std::move(page);
            display();
            return;
        }
        current.scroll = m_browser->verticalScrollBar()->value();
    }
    m_history.erase(m_history.begin() + (m_current + 1), m_history.end());
    m_history.append(std::move(page));
    if (m_history.size() > MaxHistory) {
        m_history.removeFirst();
    }
    m_current = m_history.size() - 1;
    forgetOldDocuments();
    display();
}

void HelpWindow::forgetOldDocuments()
{
    // Every call reads the help file afresh; pages of older readings go from the history.
    QList<const Document *> kept;
    for (qsizetype i = m_history.size() - 1; i >= 0; --i) {
        const Document *document = m_history.at(i).document.get();
        if (!document || kept.contains(document)) {
            continue;
        }
        if (kept.size() < MaxDocuments) {
            kept.append(document);
            continue;
        }
        m_history.remove(i);
        if (i < m_current) {
            --m_current;
        }
    }
}

void HelpWindow::display()
{
    const Page &page = m_history.at(m_current);
    QTextDocument *shown = m_browser->document();
    if (!page.document || !page.error.isEmpty()) {
        shown->setDefaultStyleSheet(QString());
        m_browser->setHtml(messagePage(page.error));
    } else {
        // A page with a document and no message holds a name that the document has.
        const qsizetype index = page.document->names.value(page.name);
        const Topic &topic = page.document->topics.at(index);
        if (shown->defaultStyleSheet() != page.document->styleSheet) {
            shown->setDefaultStyleSheet(page.document->styleSheet);
        }
        m_browser->setHtml(page.document->page(index));
        if (page.scroll >= 0) {
            m_browser->verticalScrollBar()->setValue(page.scroll);
        } else if (page.name != topic.names.first()) {
            m_browser->scrollToAnchor(page.name);
        } else {
            m_browser->verticalScrollBar()->setValue(0);
        }
    }
    updateActions();
}

void HelpWindow::back()
{
    if (m_current <= 0) {
        return;
    }
    m_history[m_current].scroll = m_browser->verticalScrollBar()->value();
    --m_current;
    display();
}

void HelpWindow::forward()
{
    if (m_current + 1 >= m_history.size()) {
        return;
    }
    m_history[m_current].scroll = m_browser->verticalScrollBar()->value();
    ++m_current;
    display();
}

void HelpWindow::showContents()
{
    if (m_current < 0 || !m_history.at(m_current).document) {
        return;
    }
    std::shared_ptr<const Document> document = m_history.at(m_current).document;
    const QString contents = document->contents;
    showTopic(std::move(document), contents);
}

void HelpWindow::follow(const QUrl &url)
{
    if (!isInternalLink(url)) {
        QToolTip::showText(QCursor::pos(),
                           QStringLiteral("Pomoc nie otwiera stron ani plików spoza siebie."),
                           m_browser);
        return;
    }
    if (m_current < 0 || !m_history.at(m_current).document) {
        return;
    }
    showTopic(m_history.at(m_current).document, url.fragment(QUrl::FullyDecoded));
}

void HelpWindow::updateActions()
{
    m_back->setEnabled(m_current > 0);
    m_forward->setEnabled(m_current >= 0 && m_current + 1 < m_history.size());
    m_contents->setEnabled(m_current >= 0 && m_history.at(m_current).document != nullptr);
}

HelpResult help(const QString &path, quint16 command, quint32 data)
{
    if (command != HELP_CONTENTS && command != HELP_CONTEXT) {
        return {};
    }
    if ((command == HELP_CONTENTS && data != 0) || path.isEmpty()) {
        return {};
    }
    HelpWindow *window = HelpWindow::open();
    QString error;
    std::optional<HelpWindow::Document> read = HelpWindow::read(path, &error);
    if (!read) {
        window->showError(error);
        return {false, error};
    }
    auto document = std::make_shared<const HelpWindow::Document>(std::move(*read));
    // A file read again unchanged is the reading the window already has, so the history keeps
    // its pages.
    if (const std::shared_ptr<const HelpWindow::Document> shown = window->document();
        shown && shown->fileName == document->fileName && shown->text == document->text) {
        document = shown;
    }
    bool shown = false;
    if (command == HELP_CONTEXT) {
        shown = window->showContext(document, data);
    } else {
        shown = window->showTopic(document, document->contents);
    }
    return {shown, window->pageTitle()};
}

} // namespace helpviewer
