#pragma once

#include <QHash>
#include <QString>

#include <functional>

namespace helpviewer {

// One tag of a help file, as the scanner found it.
struct Tag {
    qsizetype begin = 0; // the position of its '<'
    qsizetype end = 0;   // the position after its '>'
    QString name;        // in lower case
    bool closing = false;
    QHash<QString, QString> attributes; // names in lower case, values with entities decoded
};

// Splits the text into its tags and hands them to visit one by one, with the position where the
// tag's content ends (after a script or style sheet, its closing tag), until visit returns
// false. Skips comments, declarations and the content of scripts, style sheets, titles and text
// areas; a '<' that does not begin a tag is taken as text. Returns false, with a Polish
// description of the fault and its line in problem, for a comment, tag or quote left open.
bool scanTags(const QString &text, const std::function<bool(const Tag &, qsizetype)> &visit,
              QString *problem);

// Replaces the character references of HTML that an attribute value may hold: the five named
// ones and numeric ones. Anything else stays as written.
QString decodeEntities(const QString &value);

// The line number, counted from 1, of a position in the text.
qsizetype lineAt(const QString &text, qsizetype position);

// A problem found at a position, as the window reports it: "Wiersz <line>: <problem>".
QString atLine(const QString &text, qsizetype position, const QString &problem);

} // namespace helpviewer
