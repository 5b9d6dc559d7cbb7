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

namespace platform {

constexpr quint16 HELP_CONTEXT = 1;  // open the topic with the context number given as data
constexpr quint16 HELP_CONTENTS = 3; // open the contents topic; data must be 0

// Stands in for the platform's help engine: shows the help file in a window of its own.
// The file is a bare file name found in the current directory, read afresh at every call.
// Returns false, and shows nothing, for any other command, for HELP_CONTENTS with data other
// than 0 and for an empty file name. A help file that is missing, unreadable, invalid or
// without the asked topic is reported in the help window itself, and the call returns false.
bool winHelp(QWidget *window, const QString &file, quint16 command, quint32 data);

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
class HelpEngine : public QWidget {
    Q_OBJECT

public:
    // One page of the help file.
    struct Topic {
        QString title;     // the text of its heading
        QStringList names; // the anchor names that lead to it, its own name first
        QString html;      // the page as the window shows it
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
    };

    // Checks the text of a help file and splits it into topics. On failure returns nothing
    // and sets problem to a Polish description of the first fault, with its line number.
    static std::optional<Document> parse(const QString &text, QString *problem);

    // Reads the help file, resolving a relative name against the current directory. On failure
    // returns nothing and sets error to the message the help window shows to the player.
    static std::optional<Document> read(const QString &file, QString *error);

    // The open help window, or null if there is none.
    static HelpEngine *find();

    // The help window, created if there is none, shown, restored and raised.
    static HelpEngine *open(QWidget *window);

    // Shows the topic that the anchor name leads to and records it in the history. A name the
    // document lacks shows a message instead, and the result is false.
    bool showTopic(std::shared_ptr<const Document> document, const QString &name);

    // Shows the topic with the context number, as showTopic does.
    bool showContext(std::shared_ptr<const Document> document, quint32 context);

    // Shows a message in place of a topic and records it in the history.
    void showError(const QString &message);

private:
    class Browser;

    // One entry of the history: a place in a help file, or a message.
    struct Page {
        std::shared_ptr<const Document> document; // null for a message about an unusable file
        QString name;                             // anchor name inside the document
        QString error;                            // the message, if the page shows one
        int scroll = -1;                          // where the reader left it; -1 not seen yet
    };

    HelpEngine();
    static bool isSamePlace(const Page &a, const Page &b);
    void go(Page page);
    void display();
    void back();
    void forward();
    void showContents();
    void follow(const QUrl &url);
    void updateActions();

    Browser *m_browser = nullptr;
    QAction *m_back = nullptr;
    QAction *m_forward = nullptr;
    QAction *m_contents = nullptr;
    QList<Page> m_history;
    qsizetype m_current = -1;
};

} // namespace platform
