#include "helpviewer/HelpFile.h"

#include "helpviewer/PageMarkup.h"
#include "helpviewer/TagScanner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QUrl>

#include <algorithm>
#include <utility>

namespace helpviewer {

namespace {

bool isValidName(const QString &name)
{
    static const QRegularExpression pattern(QStringLiteral("^\\S+$"));
    return pattern.match(name).hasMatch();
}

// The text of a heading from its markup. A heading never closed runs on to the end of its topic;
// its first few thousand characters are heading enough.
QString plainText(QStringView html)
{
    static const QRegularExpression markup(QStringLiteral("<[^>]*>"));
    QString text = html.left(4096).toString();
    text.remove(markup);
    return decodeEntities(text).simplified();
}

} // namespace

std::optional<HelpFile> HelpFile::parse(const QString &text, QString *problem)
{
    HelpFile document;
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
    qsizetype bodyBegin = 0;
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
                titleOpen ? plainText(QStringView(text).mid(titleBegin, end - titleBegin))
                          : topic.title;
            fault = atLine(text, topic.begin,
                           QStringLiteral("temat „%1” jest za długi: razem ze stylami sprzed "
                                          "pierwszego tematu ma ponad %2 tys. znaków.")
                               .arg(quoted(title), QString::number(MaxPage / 1024)));
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
            topic.title = plainText(QStringView(text).mid(titleBegin, end - titleBegin));
            titleOpen = false;
        }
        if (topic.names.isEmpty() && fault.isEmpty()) {
            fault = atLine(text, topic.begin,
                           QStringLiteral("temat „%1” nie ma nazwy (atrybutu id nagłówka "
                                          "ani znacznika <a name>).")
                               .arg(quoted(topic.title)));
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
                        plainText(QStringView(text).mid(titleBegin, tag.begin - titleBegin));
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
                if (const MarkupFault sheet = checkStyleSheet(text, tag.end, contentEnd)) {
                    fault = atLine(text, sheet.at, sheet.problem);
                    return;
                }
                document.styleSheet += text.mid(tag.end, contentEnd - tag.end);
                document.styleSheet += u'\n';
            } else if (!tag.closing && tag.name == u"body" && !bodyFound) {
                document.body = text.mid(tag.begin, tag.end - tag.begin);
                bodyBegin = tag.begin;
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
                                   .arg(quoted(name)));
                return;
            }
            if (document.names.contains(name)) {
                fault = atLine(
                    text, tag.begin,
                    QStringLiteral("nazwa „%1” występuje w pliku drugi raz.").arg(quoted(name)));
                return;
            }
            if (document.names.size() >= MaxNames) {
                fault = atLine(text, tag.begin,
                               QStringLiteral("plik ma ponad %1 nazw tematów i miejsc w nich.")
                                   .arg(QString::number(MaxNames)));
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
    qsizetype tags = 0;
    const auto visitUntilFault = [&](const Tag &tag, qsizetype contentEnd) {
        if (++tags > MaxTags && fault.isEmpty())
            fault = atLine(
                text, tag.begin,
                QStringLiteral("plik ma ponad %1 znaczników.").arg(QString::number(MaxTags)));
        if (fault.isEmpty())
            visit(tag, contentEnd);
        return fault.isEmpty();
    };
    if (!scanTags(text, visitUntilFault, problem))
        return std::nullopt;
    if (!bodyEnded && fault.isEmpty())
        endTopic(text.size());
    if (!fault.isEmpty()) {
        *problem = fault;
        return std::nullopt;
    }
    if (document.topics.isEmpty()) {
        *problem = QStringLiteral("W pliku nie ma żadnego tematu (nagłówka <h1>).");
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
                                      .arg(quoted(content)));
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
                                      .arg(QString::number(context), quoted(name)));
                return std::nullopt;
            }
            document.contexts.insert(context, name);
        }
    }
    if (!contentsFound)
        document.contents = document.topics.first().names.first();

    // Every page is checked before any is shown, so that a file is refused as a whole.
    if (const MarkupFault fault =
            checkPageMarkup(text, bodyBegin, bodyBegin + document.body.size())) {
        *problem = atLine(text, fault.at, fault.problem);
        return std::nullopt;
    }
    for (const Topic &topic : std::as_const(document.topics)) {
        if (const MarkupFault fault = checkPageMarkup(text, topic.begin, topic.end)) {
            *problem = atLine(text, fault.at, fault.problem);
            return std::nullopt;
        }
    }
    return document;
}

QString HelpFile::page(qsizetype topic) const
{
    const Topic &shown = topics.at(topic);
    QString html = QStringLiteral("<html><head></head>");
    html += body.isEmpty() ? QStringLiteral("<body>") : body;
    html += QStringView(text).mid(shown.begin, shown.end - shown.begin);
    html += QStringLiteral("</body></html>");
    return html;
}

std::optional<HelpFile> HelpFile::read(const QString &path, QString *error)
{
    // The messages name the file as the game does, by its name alone.
    QFileInfo info(QDir::current(), path);
    const QString file = quoted(info.fileName());
    const QDir folder = info.absoluteDir();
    if (!info.exists()) {
        // The game's files come from a system that ignores the case of file names, so a name
        // also finds the one file in its folder whose name differs from it in case only.
        QStringList matches;
        const QStringList entries = folder.entryList(QDir::Files | QDir::Hidden);
        for (const QString &entry : entries)
            if (entry.compare(info.fileName(), Qt::CaseInsensitive) == 0)
                matches.append(entry);
        if (matches.size() == 1)
            info = QFileInfo(folder, matches.first());
    }
    const QString cannotOpen = QStringLiteral("Nie można otworzyć pliku pomocy „%1”: %2");
    if (!info.exists()) {
        *error =
            cannotOpen.arg(file, QStringLiteral("nie ma go w folderze %1.")
                                     .arg(quoted(QDir::toNativeSeparators(info.absolutePath()))));
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
    std::optional<HelpFile> document = parse(text, &problem);
    if (!document) {
        *error = invalid.arg(file, problem);
        return std::nullopt;
    }
    document->fileName = file;
    return document;
}

} // namespace helpviewer
