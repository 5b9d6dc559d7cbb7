#pragma once

#include <QString>
#include <QStringView>

namespace helpviewer {

// The bounds that keep the laying out of any page short and small, whatever the help file holds.
// Qt lays out a table's cells again for every table around it, and its numbers of pixels have a
// range of their own, past which its layout runs on without end.
namespace limits {
// The deepest nesting of elements a page may have, <html> and <body> included.
inline constexpr int MaxDepth = 32;
// Tables in tables: each level lays out what it holds once more.
inline constexpr int MaxTableDepth = 2;
// The places of all the tables of a page together: rows times columns, counted with the rows and
// columns that cells spanning several take up, and twice in a table inside a table. Qt's time
// grows faster than their number.
inline constexpr qsizetype MaxCells = 1500;
// The text of a page, each character counted twice in a table and four times in a table inside
// a table, where Qt lays it out that many times over.
inline constexpr qsizetype MaxLaidOut = 128 * 1024;
// The longest run of text without a space or a line break between: Qt breaks such a word
// anywhere, at a cost that grows with the square of its length.
inline constexpr qsizetype MaxWord = 1000;
// The most characters of a help file or of a name that a message quotes.
inline constexpr qsizetype MaxQuote = 80;
} // namespace limits

// A fault in the markup: where it is in the text and a Polish description; none if at is -1.
struct MarkupFault {
    qsizetype at = -1;
    QString problem;

    explicit operator bool() const { return at >= 0; }
};

// Checks the markup of one page, text[from, to), read the way Qt's rich-text reader reads it
// onto a page that starts as "<html><head></head><body>": only the elements and attributes of
// the help format, numbers within their bounds, elements nested at most limits::MaxDepth levels
// and tables limits::MaxTableDepth levels, at most limits::MaxCells places in its tables and no
// word longer than limits::MaxWord.
MarkupFault checkPageMarkup(const QString &text, qsizetype from, qsizetype to);

// Checks a style sheet, text[from, to): only the properties of the help format, numbers within
// their bounds, no escapes and no @-rules.
MarkupFault checkStyleSheet(const QString &text, qsizetype from, qsizetype to);

// The text as a message quotes it: at most limits::MaxQuote characters, cut with "…".
QString quoted(QStringView text);

} // namespace helpviewer
