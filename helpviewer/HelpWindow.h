#pragma once

#include "helpviewer/HelpFile.h"
#include "platform/HelpProtocol.h"

#include <QList>
#include <QString>
#include <QWidget>

#include <memory>
#include <optional>

class QAction;
class QUrl;

namespace helpviewer {

using platform::helpprotocol::HELP_CONTENTS;
using platform::helpprotocol::HELP_CONTEXT;

// What the help viewer did with one help call.
struct HelpResult {
    bool shown = false; // the topic asked for is on screen
    QString page;       // the heading of the page on screen, or the message shown instead
};

// Carries out one help call in the viewer: shows the help file, named by its absolute path, in
// the help window. Shows nothing, and returns shown false, for a call that
// platform::helpprotocol::isValidCall refuses. A help file that is missing,
// unreadable, invalid or without the asked topic is reported in the help window itself.
HelpResult help(const QString &path, quint16 command, quint32 data);

// The help window: pages of a help file, one at a time, with a history to go back and forth.
class HelpWindow : public QWidget {
    Q_OBJECT

public:
    // The open help window, or null if there is none.
    static HelpWindow *find();

    // The help window, created if there is none, shown, restored and raised.
    static HelpWindow *open();

    // Shows the topic that the anchor name leads to and records it in the history. A name the
    // document lacks shows a message instead, and the result is false.
    bool showTopic(std::shared_ptr<const HelpFile> document, const QString &name);

    // Shows the topic with the context number, as showTopic does.
    bool showContext(std::shared_ptr<const HelpFile> document, quint32 context);

    // Shows a message in place of a topic and records it in the history.
    void showError(const QString &message);

    // The heading of the page on screen, or the message shown in place of a topic.
    QString pageTitle() const;

    // The reading of the help file the page on screen comes from, or null.
    std::shared_ptr<const HelpFile> document() const;

private:
    class Browser;

    // One entry of the history: a place in a help file, or a message.
    struct Page {
        std::shared_ptr<const HelpFile> document; // null for a message about an unusable file
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
