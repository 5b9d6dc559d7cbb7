#pragma once

#include <QHash>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <memory>
#include <optional>

class QAction;
class QUrl;

namespace helpviewer {

constexpr quint16 HELP_CONTEXT = 1;  // open the topic with the context number given as data
constexpr quint16 HELP_CONTENTS = 3; // open the contents topic; data must be 0

// What the help viewer did with one help call.
struct HelpResult {
    bool shown = false; // the topic asked for is on screen
    QString page;       // the heading of the page on screen, or the message shown instead
};

// Carries out one help call in the viewer: shows the help file, named by its absolute path, in
// the help window. Shows nothing, and returns shown false, for any other command, for
// HELP_CONTENTS with data other than 0 and for an empty file name. A help file that is missing,
// unreadable, invalid or without the asked topic is reported in the help window itself.
HelpResult help(const QString &path, quint16 command, quint32 data);

// The help window and the help file format it reads.
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
// Each page is laid out only when it is shown, and a file with a page longer than MaxPage or
// with elements nested deeper than MaxDepth is refused, so that no file can keep the viewer
// busy for long or swell its memory.
class HelpWindow : public QWidget {
    Q_OBJECT

public:
    // The deepest nesting of elements a page may have, <html> and <body> included.
    static constexpr int MaxDepth = 32;
    // The most characters of markup a page may hand the window: its topic, and the style sheets
    // before the first topic, which apply to every page.
    static constexpr qsizetype MaxPage = 128 * 1024;

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

    // A help file that has been read and checked.
    struct Document {
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
    };

    // Checks the text of a help file and splits it into topics. On failure returns nothing
    // and sets problem to a Polish description of the first fault, with its line number.
    static std::optional<Document> parse(const QString &text, QString *problem);

    // Reads the help file, resolving a relative path against the current directory; a missing
    // file is also found under a name that differs in case only. On failure returns nothing and
    // sets error to the message the help window shows to the player, which names the file by
    // its name alone.
    static std::optional<Document> read(const QString &path, QString *error);

    // The open help window, or null if there is none.
    static HelpWindow *find();

    // The help window, created if there is none, shown, restored and raised.
    static HelpWindow *open();

    // Shows the topic that the anchor name leads to and records it in the history. A name the
    // document lacks shows a message instead, and the result is false.
    bool showTopic(std::shared_ptr<const Document> document, const QString &name);

    // Shows the topic with the context number, as showTopic does.
    bool showContext(std::shared_ptr<const Document> document, quint32 context);

    // Shows a message in place of a topic and records it in the history.
    void showError(const QString &message);

    // The heading of the page on screen, or the message shown in place of a topic.
    QString pageTitle() const;

    // The reading of the help file the page on screen comes from, or null.
    std::shared_ptr<const Document> document() const;

private:
    class Browser;

    // One entry of the history: a place in a help file, or a message.
    struct Page {
        std::shared_ptr<const Document> document; // null for a message about an unusable file
        QString name;                             // anchor name inside the document
        QString error;                            // the message, if the page shows one
        int scroll = -1;                          // where the reader left it; -1 not seen yet
    };

    HelpWindow();
    static bool isSamePlace(const Page &a, const Page &b);
    void go(Page page);
    void display();
    void back();
    void forward();
    void showContents();
    void follow(const QUrl &url);
    void updateActions();
    void forgetOldDocuments();

    Browser *m_browser = nullptr;
    QAction *m_back = nullptr;
    QAction *m_forward = nullptr;
    QAction *m_contents = nullptr;
    QList<Page> m_history;
    qsizetype m_current = -1;
};

} // namespace helpviewer
