#pragma once

#include <QHash>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

namespace helpviewer {

// A help file that has been read and checked: the help viewer's format, without its window.
//
// A help file is an HTML document in UTF-8. Every <h1> heading starts a topic, which runs up
// to the next <h1> or to the end of the body, and is shown as a page of its own. A topic is
// named by the id of its heading or by an <a name> inside it; further ids and <a name>s inside
// the topic lead to the same page, scrolled to that place. Two meta tags in the head tie the
// topics to the help calls:
//     <meta name="help-contents" content="spis">   the contents topic (else the first topic)
//     <meta name="help-context" content="1 pomoc"> context number 1 opens topic "pomoc"
// Links between topics are written href="#name". Nothing in the file is run, and the window
// loads nothing the file names (pictures, style sheets, pages): only the help file is read.
// The style sheets before the first topic are the window's default style sheet for every page.
// A file is refused as a whole when any page holds markup outside the format, numbers out of
// their bounds, is longer than MaxPage or nests too deep (see PageMarkup.h), so that no file can
// keep the viewer busy for long or swell its memory.
struct HelpFile {
    // A help file is a few pages of text; anything much larger is not one.
    static constexpr qint64 MaxFileSize = 4 * 1024 * 1024;
    // The most characters of markup a page may hand the window: its topic, and the style sheets
    // before the first topic, which apply to every page.
    static constexpr qsizetype MaxPage = 128 * 1024;
    // The most names of topics and places in them a file may give; every topic has one.
    static constexpr qsizetype MaxNames = 20000;
    // The most tags a file may hold: reading each of them costs the viewer at every call.
    static constexpr qsizetype MaxTags = 100000;

    // One page of the help file.
    struct Topic {
        QString title;       // the text of its heading
        QStringList names;   // the anchor names that lead to it, its own name first
        qsizetype begin = 0; // where its text starts in the file: its <h1>
        qsizetype end = 0;   // where its text ends
    };

    // A link from one topic to a name in the same file.
    struct Link {
        qsizetype topic = 0;
        QString target;
    };

    QString fileName; // the name the file was asked for by, for the window's messages
    QList<Topic> topics;
    QHash<QString, qsizetype> names; // anchor name -> index of its topic
    QString contents;                // the name of the contents topic
    QMap<quint32, QString> contexts; // context number -> anchor name
    QList<Link> links;               // every href="#..." in the topics
    QString text;                    // the whole file
    QString body;                    // the <body> tag before the first topic, if any
    QString styleSheet;              // the style sheets before the first topic

    // The HTML of one topic's page, made when it is shown.
    QString page(qsizetype topic) const;

    // Checks the text of a help file and splits it into topics. On failure returns nothing
    // and sets problem to a Polish description of the first fault, with its line number.
    static std::optional<HelpFile> parse(const QString &text, QString *problem);

    // Reads the help file, resolving a relative path against the current directory; a missing
    // file is also found under a name that differs in case only. On failure returns nothing and
    // sets error to the message the help window shows to the player, which names the file by
    // its name alone.
    static std::optional<HelpFile> read(const QString &path, QString *error);
};

} // namespace helpviewer
