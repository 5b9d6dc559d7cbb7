#include "platform/HelpEngine.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QKeySequence>
#include <QPointer>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QStringDecoder>
#include <QStyle>
#include <QTextBrowser>
#include <QToolBar>
#include <QToolTip>
#include <QUrl>
#include <QVBoxLayout>

#include <utility>

namespace platform {

namespace {

// A help file is a few pages of text; anything much larger is not one.
constexpr qint64 MaxFileSize = 4 * 1024 * 1024;
constexpr qsizetype MaxHistory = 100;

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

// Splits the text into its tags, skipping comments, declarations and the content of scripts
// and style sheets. A '<' that does not begin a tag is taken as text.
bool scan(const QString &text, QList<Tag> *tags, QString *problem)
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
        const bool raw = tag.name == u"script" || tag.name == u"style" || tag.name == u"title" ||
                         tag.name == u"textarea";
        tags->append(std::move(tag));
        i = p;
        if (raw && !tags->constLast().closing) {
            i = findRawEnd(text, tags->constLast().name, p);
            if (i < 0) {
                *problem = atLine(text, tags->constLast().begin,
                                  QStringLiteral("znacznik <%1> nie ma zamknięcia </%1>.")
                                      .arg(tags->constLast().name));
                return false;
            }
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

bool isInternalLink(const QUrl &url)
{
    return url.scheme().isEmpty() && url.host().isEmpty() && url.path().isEmpty() &&
           url.hasFragment();
}

QPointer<HelpEngine> &helpWindow()
{
    static QPointer<HelpEngine> window;
    return window;
}

} // namespace

// The page view. It loads nothing on its own: a help file may name pictures or style sheets,
// but the window shows the text of the help file alone and reads no other file.
class HelpEngine::Browser : public QTextBrowser {
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

std::optional<HelpEngine::Document> HelpEngine::parse(const QString &text, QString *problem)
{
    QList<Tag> tags;
    if (!scan(text, &tags, problem)) {
        return std::nullopt;
    }

    // The topics end where the body ends; what follows is not shown.
    qsizetype bodyEnd = text.size();
    for (const Tag &tag : std::as_const(tags)) {
        if (tag.closing && (tag.name == u"body" || tag.name == u"html")) {
            bodyEnd = tag.begin;
            break;
        }
    }
    QList<qsizetype> starts; // indexes into tags of the headings that start topics
    for (qsizetype t = 0; t < tags.size(); ++t) {
        if (!tags[t].closing && tags[t].name == u"h1" && tags[t].begin < bodyEnd) {
            starts.append(t);
        }
    }
    if (starts.isEmpty()) {
        *problem = QStringLiteral("W pliku nie ma żadnego tematu (nagłówka <h1>).");
        return std::nullopt;
    }

    // Every page carries the style sheets and the body settings written before the first topic.
    const qsizetype firstTopic = tags[starts.first()].begin;
    QString head;
    QString body = QStringLiteral("<body>");
    bool bodyFound = false;
    for (qsizetype t = 0; t < tags.size() && tags[t].begin < firstTopic; ++t) {
        const Tag &tag = tags[t];
        if (!tag.closing && tag.name == u"style" && t + 1 < tags.size()) {
            head += text.mid(tag.begin, tags[t + 1].end - tag.begin);
        } else if (!tag.closing && tag.name == u"body" && !bodyFound) {
            body = text.mid(tag.begin, tag.end - tag.begin);
            bodyFound = true;
        }
    }
    const QString pageStart =
        QStringLiteral("<html><head>") + head + QStringLiteral("</head>") + body;

    Document document;
    for (qsizetype k = 0; k < starts.size(); ++k) {
        const qsizetype first = starts[k];
        const qsizetype last = k + 1 < starts.size() ? starts[k + 1] : tags.size();
        const qsizetype begin = tags[first].begin;
        const qsizetype end = k + 1 < starts.size() ? tags[last].begin : bodyEnd;

        Topic topic;
        qsizetype titleEnd = end;
        for (qsizetype t = first + 1; t < last; ++t) {
            if (tags[t].closing && tags[t].name == u"h1") {
                titleEnd = tags[t].begin;
                break;
            }
        }
        topic.title = plainText(text.mid(tags[first].end, titleEnd - tags[first].end));
        topic.html = pageStart + text.mid(begin, end - begin) + QStringLiteral("</body></html>");

        for (qsizetype t = first; t < last && tags[t].begin < end; ++t) {
            const Tag &tag = tags[t];
            if (tag.closing) {
                continue;
            }
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
                    *problem = atLine(text, tag.begin,
                                      QStringLiteral("nazwa „%1” jest nieprawidłowa (nie może być "
                                                     "pusta ani zawierać odstępów).")
                                          .arg(name));
                    return std::nullopt;
                }
                if (document.names.contains(name)) {
                    *problem =
                        atLine(text, tag.begin,
                               QStringLiteral("nazwa „%1” występuje w pliku drugi raz.").arg(name));
                    return std::nullopt;
                }
                document.names.insert(name, document.topics.size());
                topic.names.append(name);
            }
            if (tag.name == u"a" && tag.attributes.contains(QStringLiteral("href"))) {
                const QString href = tag.attributes.value(QStringLiteral("href")).trimmed();
                if (href.startsWith(u'#')) {
                    document.links.append(
                        {document.topics.size(), QUrl::fromPercentEncoding(href.mid(1).toUtf8())});
                }
            }
        }
        if (topic.names.isEmpty()) {
            *problem = atLine(text, begin,
                              QStringLiteral("temat „%1” nie ma nazwy (atrybutu id nagłówka "
                                             "ani znacznika <a name>).")
                                  .arg(topic.title));
            return std::nullopt;
        }
        document.topics.append(std::move(topic));
    }

    // The meta tags that tie topics to the help calls.
    static const QRegularExpression contextPattern(QStringLiteral("^([0-9]{1,10})\\s+(\\S+)$"));
    bool contentsFound = false;
    for (const Tag &tag : std::as_const(tags)) {
        if (tag.closing || tag.name != u"meta") {
            continue;
        }
        const QString kind = tag.attributes.value(QStringLiteral("name")).trimmed().toLower();
        const QString content = tag.attributes.value(QStringLiteral("content")).trimmed();
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
    return document;
}

std::optional<HelpEngine::Document> HelpEngine::read(const QString &file, QString *error)
{
    const QDir folder = QDir::current();
    QFileInfo info(folder, file);
    if (!info.exists() && QFileInfo(file).fileName() == file) {
        // The game's files come from a system that ignores the case of file names, so a bare
        // name also finds the one file whose name differs from it in case only.
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

HelpEngine *HelpEngine::find()
{
    return helpWindow().data();
}

HelpEngine *HelpEngine::open(QWidget *window)
{
    HelpEngine *help = helpWindow().data();
    if (!help) {
        help = new HelpEngine;
        helpWindow() = help;
        // A new help window opens in the middle of the game's screen.
        if (window) {
            if (const QScreen *screen = window->screen()) {
                help->move(screen->availableGeometry().center() - help->rect().center());
            }
        }
        // The help window belongs to no game window, so it goes when the application ends.
        connect(qApp, &QCoreApplication::aboutToQuit, help, [] { delete helpWindow().data(); });
    }
    if (help->isMinimized()) {
        help->setWindowState(help->windowState() & ~Qt::WindowMinimized);
    }
    help->show();
    help->raise();
    help->activateWindow();
    return help;
}

HelpEngine::HelpEngine() : QWidget(nullptr, Qt::Window)
{
    setObjectName(QStringLiteral("HelpEngine"));
    setAttribute(Qt::WA_DeleteOnClose);
    // The help window lives beside the game: closing it must not end the game, and an open
    // help window must not keep a finished game running.
    setAttribute(Qt::WA_QuitOnClose, false);
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

    connect(m_back, &QAction::triggered, this, &HelpEngine::back);
    connect(m_forward, &QAction::triggered, this, &HelpEngine::forward);
    connect(m_contents, &QAction::triggered, this, &HelpEngine::showContents);
    connect(m_browser, &QTextBrowser::anchorClicked, this, &HelpEngine::follow);
    updateActions();
}

bool HelpEngine::showTopic(std::shared_ptr<const Document> document, const QString &name)
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

bool HelpEngine::showContext(std::shared_ptr<const Document> document, quint32 context)
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

void HelpEngine::showError(const QString &message)
{
    go({nullptr, QString(), message});
}

bool HelpEngine::isSamePlace(const Page &a, const Page &b)
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
    const auto html = [](const Page &page) {
        return page.document->topics.at(page.document->names.value(page.name)).html;
    };
    return !a.error.isEmpty() || html(a) == html(b);
}

void HelpEngine::go(Page page)
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
    display();
}

void HelpEngine::display()
{
    const Page &page = m_history.at(m_current);
    if (!page.document || !page.error.isEmpty()) {
        m_browser->setHtml(messagePage(page.error));
    } else {
        // A page with a document and no message holds a name that the document has.
        const Topic &topic = page.document->topics.at(page.document->names.value(page.name));
        m_browser->setHtml(topic.html);
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

void HelpEngine::back()
{
    if (m_current <= 0) {
        return;
    }
    m_history[m_current].scroll = m_browser->verticalScrollBar()->value();
    --m_current;
    display();
}

void HelpEngine::forward()
{
    if (m_current + 1 >= m_history.size()) {
        return;
    }
    m_history[m_current].scroll = m_browser->verticalScrollBar()->value();
    ++m_current;
    display();
}

void HelpEngine::showContents()
{
    if (m_current < 0 || !m_history.at(m_current).document) {
        return;
    }
    std::shared_ptr<const Document> document = m_history.at(m_current).document;
    const QString contents = document->contents;
    showTopic(std::move(document), contents);
}

void HelpEngine::follow(const QUrl &url)
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

void HelpEngine::updateActions()
{
    m_back->setEnabled(m_current > 0);
    m_forward->setEnabled(m_current >= 0 && m_current + 1 < m_history.size());
    m_contents->setEnabled(m_current >= 0 && m_history.at(m_current).document != nullptr);
}

bool winHelp(QWidget *window, const QString &file, quint16 command, quint32 data)
{
    if (command != HELP_CONTENTS && command != HELP_CONTEXT) {
        return false;
    }
    if ((command == HELP_CONTENTS && data != 0) || file.isEmpty()) {
        return false;
    }
    HelpEngine *help = HelpEngine::open(window);
    QString error;
    std::optional<HelpEngine::Document> read = HelpEngine::read(file, &error);
    if (!read) {
        help->showError(error);
        return false;
    }
    auto document = std::make_shared<const HelpEngine::Document>(std::move(*read));
    if (command == HELP_CONTEXT) {
        return help->showContext(std::move(document), data);
    }
    const QString contents = document->contents;
    return help->showTopic(std::move(document), contents);
}

} // namespace platform
