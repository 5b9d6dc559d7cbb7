#include "helpviewer/PageMarkup.h"

#include <QHash>
#include <QSet>
#include <QStringList>

#include <algorithm>
#include <iterator>
#include <utility>
#include <vector>

namespace helpviewer {

namespace {

// An attribute whose value is a number: the bounds it must keep, and whether it may be a
// percentage (up to 100) instead.
struct Number {
    int low;
    int high;
    bool percent = false;
};

// The elements a page may hold, each with the attributes it may carry beside the common ones.
// Numbers are refused outside their bounds; other values are taken as written.
const QHash<QString, QHash<QString, Number>> &elements()
{
    static const QHash<QString, QHash<QString, Number>> known = [] {
        QHash<QString, QHash<QString, Number>> all;
        for (const char *name :
             {"a",    "b",       "i",    "u",     "s",     "em",         "strong", "code",
              "kbd",  "tt",      "samp", "var",   "cite",  "dfn",        "small",  "big",
              "sub",  "sup",     "span", "br",    "hr",    "blockquote", "ul",     "ol",
              "li",   "dl",      "dt",   "dd",    "thead", "tbody",      "tfoot",  "tr",
              "body", "p",       "div",  "h1",    "h2",    "h3",         "h4",     "h5",
              "h6",   "caption", "img",  "table", "td",    "th",         "meta"})
            all.insert(QString::fromLatin1(name), {});
        const Number width{0, 2000, true};
        all[QStringLiteral("table")] = {{QStringLiteral("border"), {0, 10}},
                                        {QStringLiteral("cellpadding"), {0, 20}},
                                        {QStringLiteral("cellspacing"), {0, 20}},
                                        {QStringLiteral("width"), width}};
        for (const char *cell : {"td", "th"})
            all[QString::fromLatin1(cell)] = {{QStringLiteral("colspan"), {1, 100}},
                                              {QStringLiteral("rowspan"), {1, 1000}},
                                              {QStringLiteral("width"), width}};
        all[QStringLiteral("img")] = {{QStringLiteral("width"), {0, 1000}},
                                      {QStringLiteral("height"), {0, 1000}}};
        return all;
    }();
    return known;
}

// Attributes without a number that an element may carry.
bool isPlainAttribute(const QString &element, const QString &attribute)
{
    static const QSet<QString> common = {QStringLiteral("id"), QStringLiteral("class"),
                                         QStringLiteral("title"), QStringLiteral("lang"),
                                         QStringLiteral("dir")};
    if (common.contains(attribute))
        return true;
    if (attribute == u"align") {
        // Text alignment only: a picture or table aligned to a side floats, which Qt's layout
        // pays for on every line beside it.
        static const QSet<QString> aligned = {
            QStringLiteral("p"),  QStringLiteral("div"),    QStringLiteral("h1"),
            QStringLiteral("h2"), QStringLiteral("h3"),     QStringLiteral("h4"),
            QStringLiteral("h5"), QStringLiteral("h6"),     QStringLiteral("td"),
            QStringLiteral("th"), QStringLiteral("caption")};
        return aligned.contains(element);
    }
    if (attribute == u"bgcolor") {
        return element == u"table" || element == u"tr" || element == u"td" || element == u"th" ||
               element == u"body";
    }
    if (attribute == u"valign")
        return element == u"td" || element == u"th";
    if (attribute == u"type")
        return element == u"ul" || element == u"ol";
    return (element == u"a" && (attribute == u"href" || attribute == u"name")) ||
           (element == u"meta" && (attribute == u"name" || attribute == u"content")) ||
           (element == u"img" && (attribute == u"src" || attribute == u"alt"));
}

// Whether the value of a number attribute is plain decimal digits within its bounds.
bool isWithin(const QString &value, const Number &number)
{
    QStringView digits = QStringView(value).trimmed();
    const bool percent = number.percent && digits.endsWith(u'%');
    if (percent)
        digits.chop(1);
    const auto isDigit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    if (digits.isEmpty() || digits.size() > 4 ||
        !std::all_of(digits.begin(), digits.end(), isDigit))
        return false;
    const int n = digits.toInt();
    return percent ? n <= 100 : n >= number.low && n <= number.high;
}

QString boundsText(const Number &number)
{
    QString text = QStringLiteral("liczbą od %1 do %2").arg(number.low).arg(number.high);
    if (number.percent)
        text += QStringLiteral(" albo procentem od 0% do 100%");
    return text;
}

// One table the page has open: how many rows it has begun and how many columns its rows take.
struct Table {
    size_t level = 0;             // its place among the open elements
    qsizetype rows = 0;           // rows begun
    qsizetype spanned = 0;        // rows that cells spanning down reach
    qsizetype columns = 0;        // the widest row, with cells reaching into it from above
    qsizetype column = 0;         // the next free column of the current row
    std::vector<qsizetype> taken; // for each column, the row where cells from above end

    qsizetype weight = 1; // how many times Qt lays out each of its cells

    qsizetype cells() const { return std::max(rows, spanned) * columns * weight; }
};

} // namespace

QString quoted(QStringView text)
{
    if (text.size() <= limits::MaxQuote)
        return text.toString();
    return text.left(limits::MaxQuote - 1).toString() + QChar(0x2026);
}

// The reading follows Qt's rich-text reader: the same words for names and values, and the same
// rules for where an element goes (a table and a row made around a lone cell, a table around a
// lone row, a paragraph or list item that does not nest in its own kind, a cell, row or
// definition that goes up to its table or list, and elements that hold nothing). Where the
// reader may nest less (a new paragraph that closes inline elements), this counts deeper, and a
// name written with a character reference, which this cannot know, is refused.
MarkupFault checkPageMarkup(const QString &text, qsizetype from, qsizetype to)
{
    std::vector<QString> open{QStringLiteral("html"), QStringLiteral("body")};
    std::vector<Table> tables;
    qsizetype closedCells = 0;
    qsizetype p = from;
    qsizetype at = from;
    const auto fault = [&](const QString &problem) { return MarkupFault{at, problem}; };
    const auto eatSpace = [&] {
        while (p < to && text.at(p).isSpace() && text.at(p) != QChar::ParagraphSeparator)
            ++p;
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
    // Elements leave the open ones; tables that leave count their places for good.
    const auto closeTo = [&](size_t size) {
        open.resize(size);
        while (!tables.empty() && tables.back().level >= open.size()) {
            closedCells += tables.back().cells();
            tables.pop_back();
        }
    };
    const auto cells = [&] {
        qsizetype all = closedCells;
        for (const Table &table : tables) {
            all += table.cells();
        }
        return all;
    };
    const QString tooManyCells =
        QStringLiteral("tabele tematu mają razem ponad %1 komórek (komórka "
                       "tabeli w tabeli liczy się podwójnie).")
            .arg(QString::number(limits::MaxCells));
    // A table begins at the next place among the open elements.
    const auto beginTable = [&]() -> QString {
        if (tables.size() >= size_t(limits::MaxTableDepth))
            return QStringLiteral("tabele są zagnieżdżone zbyt głęboko (dozwolone najwyżej %1 "
                                  "poziomy).")
                .arg(limits::MaxTableDepth);
        Table table;
        table.level = open.size();
        table.weight = qsizetype(1) << tables.size();
        tables.push_back(std::move(table));
        return QString();
    };

    // The text since the last place a line may break: a space, or an element that starts a line.
    qsizetype unbroken = 0;
    qsizetype laidOut = 0;
    const auto countText = [&](qsizetype end) {
        laidOut += (end - p) << tables.size();
        for (; p < end; ++p) {
            const char16_t c = text.at(p).unicode();
            if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f')
                unbroken = 0;
            else if (++unbroken > limits::MaxWord)
                return false;
        }
        return true;
    };
    const QString tooLongWord = QStringLiteral("słowo bez odstępu ma ponad %1 znaków.")
                                    .arg(QString::number(limits::MaxWord));

    for (;;) {
        const qsizetype next = text.indexOf(u'<', p);
        const qsizetype textEnd = next < 0 || next > to ? to : next;
        if (!countText(textEnd)) {
            at = p;
            return fault(tooLongWord);
        }
        if (laidOut > limits::MaxLaidOut) {
            at = textEnd;
            return fault(QStringLiteral("tekst tematu jest za długi: ma ponad %1 tys. znaków, "
                                        "licząc tekst w tabeli podwójnie, a w tabeli w tabeli "
                                        "poczwórnie.")
                             .arg(QString::number(limits::MaxLaidOut / 1024)));
        }
        if (textEnd >= to)
            break;
        at = p++;
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
            if (unknown || (!name.isEmpty() && !elements().contains(name) && name != u"html")) {
                return fault(QStringLiteral("znacznik </%1> nie należy do formatu pomocy.")
                                 .arg(quoted(name)));
            }
            // A closing tag closes the innermost open element of its name, and all inside it.
            for (auto it = open.rbegin(); !name.isEmpty() && it != open.rend(); ++it) {
                if (*it == name) {
                    closeTo(size_t(std::distance(open.begin(), std::next(it).base())));
                    break;
                }
            }
            continue;
        }
        const QString name = word(&unknown).toLower();
        const auto element = elements().constFind(name);
        if (!name.isEmpty() && (unknown || element == elements().constEnd())) {
            return fault(
                QStringLiteral("znacznik <%1> nie należy do formatu pomocy.").arg(quoted(name)));
        }
        int colspan = 1;
        int rowspan = 1;
        if (p < to && text.at(p).isSpace()) {
            for (;;) {
                eatSpace();
                if (p >= to || text.at(p) == u'>' || text.at(p) == u'/')
                    break;
                bool strange = false;
                const QString attribute = word(&strange).toLower();
                if (attribute.isEmpty())
                    break;
                eatSpace();
                QString value;
                if (p < to && text.at(p) == u'=') {
                    ++p;
                    eatSpace();
                    bool ignored = false;
                    value = word(&ignored);
                }
                const auto number = element->constFind(attribute);
                if (number != element->constEnd()) {
                    if (!isWithin(value, *number)) {
                        return fault(QStringLiteral("atrybut %1 znacznika <%2> musi być %3.")
                                         .arg(attribute, name, boundsText(*number)));
                    }
                    if (attribute == u"colspan")
                        colspan = value.trimmed().toInt();
                    else if (attribute == u"rowspan")
                        rowspan = value.trimmed().toInt();
                } else if (strange || !isPlainAttribute(name, attribute)) {
                    return fault(QStringLiteral("atrybut %1 znacznika <%2> nie należy do formatu "
                                                "pomocy.")
                                     .arg(quoted(attribute), name));
                }
            }
        }
        bool closed = false;
        for (; p < to && text.at(p) != u'>'; ++p)
            closed = closed || text.at(p) == u'/';
        ++p;
        if (name.isEmpty())
            continue;
        const bool cell = name == u"td" || name == u"th";
        if (cell && !isOpen(QStringLiteral("tr"))) {
            if (const QString problem = beginTable(); !problem.isEmpty())
                return fault(problem);
            open.push_back(QStringLiteral("table"));
            open.push_back(QStringLiteral("tr"));
            tables.back().rows = 1;
        } else if (name == u"tr" && !isOpen(QStringLiteral("table"))) {
            if (const QString problem = beginTable(); !problem.isEmpty())
                return fault(problem);
            open.push_back(QStringLiteral("table"));
        }
        if ((name == u"p" || name == u"li") && !open.empty() && open.back() == name)
            closeTo(open.size() - 1);
        size_t keep = open.size();
        while (keep > 0 && !allowedIn(name, open.at(keep - 1)))
            --keep;
        closeTo(keep);
        if (name == u"table" && !closed) {
            if (const QString problem = beginTable(); !problem.isEmpty())
                return fault(problem);
        } else if (name == u"tr" && !tables.empty()) {
            Table &table = tables.back();
            ++table.rows;
            table.column = 0;
        } else if (cell && !tables.empty()) {
            // The cell takes the next columns of its row that no cell from above reaches into.
            Table &table = tables.back();
            const qsizetype row = std::max<qsizetype>(table.rows - 1, 0);
            while (table.column < qsizetype(table.taken.size()) && table.taken[table.column] > row)
                ++table.column;
            if ((table.column + colspan) * table.weight > limits::MaxCells)
                return fault(tooManyCells);
            if (qsizetype(table.taken.size()) < table.column + colspan)
                table.taken.resize(table.column + colspan, 0);
            std::fill(table.taken.begin() + table.column,
                      table.taken.begin() + table.column + colspan, row + rowspan);
            table.column += colspan;
            table.columns = std::max(table.columns, table.column);
            table.spanned = std::max(table.spanned, row + rowspan);
        }
        if (cells() > limits::MaxCells)
            return fault(tooManyCells);
        static const QSet<QString> breaking = {
            QStringLiteral("br"),         QStringLiteral("hr"),    QStringLiteral("p"),
            QStringLiteral("div"),        QStringLiteral("h1"),    QStringLiteral("h2"),
            QStringLiteral("h3"),         QStringLiteral("h4"),    QStringLiteral("h5"),
            QStringLiteral("h6"),         QStringLiteral("li"),    QStringLiteral("dt"),
            QStringLiteral("dd"),         QStringLiteral("td"),    QStringLiteral("th"),
            QStringLiteral("tr"),         QStringLiteral("table"), QStringLiteral("caption"),
            QStringLiteral("blockquote"), QStringLiteral("ul"),    QStringLiteral("ol"),
            QStringLiteral("dl")};
        if (breaking.contains(name))
            unbroken = 0;
        const bool empty = name == u"img" || name == u"hr" || name == u"br" || name == u"meta";
        if (!closed && !empty)
            open.push_back(name);
        if (open.size() > size_t(limits::MaxDepth)) {
            return fault(QStringLiteral("elementy są zagnieżdżone zbyt głęboko (dozwolone "
                                        "najwyżej %1 poziomy razem z <html> i <body>).")
                             .arg(limits::MaxDepth));
        }
    }
    return {};
}

MarkupFault checkStyleSheet(const QString &text, qsizetype from, qsizetype to)
{
    // The properties a help file's style sheets may set, with the largest number each may hold.
    // Nothing here can widen a line past the page: no widths, no spacing, no white-space.
    static const QHash<QString, int> properties = [] {
        QHash<QString, int> all;
        for (const char *name :
             {"font-family",   "font-size",       "font-style",     "text-decoration",
              "text-align",    "text-indent",     "vertical-align", "margin",
              "margin-top",    "margin-bottom",   "margin-left",    "margin-right",
              "padding",       "padding-top",     "padding-bottom", "padding-left",
              "padding-right", "border-width",    "border-style",   "border-collapse",
              "line-height",   "list-style-type", "text-transform", "font-variant"}) {
            all.insert(QString::fromLatin1(name), 100);
        }
        for (const char *name : {"color", "background-color", "border-color"}) {
            all.insert(QString::fromLatin1(name), 255);
        }
        all.insert(QStringLiteral("font-weight"), 900);
        return all;
    }();
    const auto isNameChar = [](QChar c) {
        return c.isLetterOrNumber() || c == u'-' || c == u'_' || c.unicode() > 0x7f;
    };
    int largest = 0; // for the numbers of the property being read
    QString property;
    qsizetype p = from;
    while (p < to) {
        const QChar c = text.at(p);
        if (c == u'/' && p + 1 < to && text.at(p + 1) == u'*') {
            const qsizetype end = text.indexOf(QStringLiteral("*/"), p + 2);
            if (end < 0 || end + 2 > to)
                return {p, QStringLiteral("niezamknięty komentarz w stylach (brak „*/”).")};
            p = end + 2;
            continue;
        }
        if (c == u'\\' || c == u'@')
            return {p, QStringLiteral("w stylach nie wolno używać znaku „%1”.").arg(c)};
        if (c == u'-' && p + 1 < to && (text.at(p + 1).isDigit() || text.at(p + 1) == u'.')) {
            ++p; // a negative number counts as large as its size
            continue;
        }
        if (c == u'#') {
            // A colour, or an id in a selector: letters and digits that are no number.
            for (++p; p < to && isNameChar(text.at(p)); ++p) {
            }
            continue;
        }
        if (c.isDigit() || (c == u'.' && p + 1 < to && text.at(p + 1).isDigit())) {
            const qsizetype start = p;
            while (p < to && (text.at(p).isDigit() || text.at(p) == u'.'))
                ++p;
            bool ok = false;
            const double number = QStringView(text).mid(start, p - start).toDouble(&ok);
            if (!ok || number > largest) {
                return {start,
                        property.isEmpty()
                            ? QStringLiteral("liczba poza właściwością w stylach.")
                            : QStringLiteral("liczba %1 we właściwości stylu „%2” jest za duża "
                                             "(dozwolone najwyżej %3).")
                                  .arg(quoted(QStringView(text).mid(start, p - start)), property,
                                       QString::number(largest))};
            }
            continue;
        }
        if (isNameChar(c)) {
            const qsizetype start = p;
            while (p < to && isNameChar(text.at(p)))
                ++p;
            qsizetype after = p;
            while (after < to && text.at(after).isSpace())
                ++after;
            if (after < to && text.at(after) == u':') {
                const QString name = text.mid(start, p - start).toLower();
                if (!properties.contains(name)) {
                    return {start, QStringLiteral("właściwość stylu „%1” nie należy do formatu "
                                                  "pomocy.")
                                       .arg(quoted(name))};
                }
                property = name;
                largest = properties.value(name);
                p = after + 1;
            }
            continue;
        }
        if (c == u';' || c == u'{' || c == u'}') {
            property.clear();
            largest = 0;
        }
        ++p;
    }
    return {};
}

} // namespace helpviewer
