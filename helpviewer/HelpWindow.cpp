#include "helpviewer/HelpWindow.h"

#include "helpviewer/PageMarkup.h"
#include "helpviewer/PageResource.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QKeySequence>
#include <QPointer>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolBar>
#include <QToolTip>
#include <QUrl>
#include <QVBoxLayout>

#include <utility>

namespace helpviewer {

namespace {

constexpr qsizetype MaxHistory = 100;
// The history keeps pages of this many readings of help files at most: each holds a whole file.
constexpr qsizetype MaxDocuments = 1;

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

    QVariant loadResource(int type, const QUrl &) override { return pageResource(type); }
};

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
        if (const QScreen *screen = QGuiApplication::primaryScreen())
            help->move(screen->availableGeometry().center() - help->rect().center());
    }
    if (help->isMinimized())
        help->setWindowState(help->windowState() & ~Qt::WindowMinimized);
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

bool HelpWindow::showTopic(std::shared_ptr<const HelpFile> document, const QString &name)
{
    if (!document->names.contains(name)) {
        const QString message = QStringLiteral("W pliku pomocy „%1” nie ma tematu „%2”.")
                                    .arg(document->fileName, quoted(name));
        go({std::move(document), QString(), message});
        return false;
    }
    go({std::move(document), name, QString()});
    return true;
}

bool HelpWindow::showContext(std::shared_ptr<const HelpFile> document, quint32 context)
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

std::shared_ptr<const HelpFile> HelpWindow::document() const
{
    return m_current >= 0 ? m_history.at(m_current).document : nullptr;
}

QString HelpWindow::pageTitle() const
{
    if (m_current < 0)
        return QString();
    const Page &page = m_history.at(m_current);
    if (!page.document || !page.error.isEmpty())
        return page.error;
    return page.document->topics.at(page.document->names.value(page.name)).title;
}

bool HelpWindow::isSamePlace(const Page &a, const Page &b)
{
    if (a.error != b.error || a.name != b.name || !a.document != !b.document)
        return false;
    if (!a.document)
        return true;
    if (a.document->fileName != b.document->fileName)
        return false;
    // A topic counts as the same place while its page reads the same.
    const auto source = [](const Page &page) {
        const HelpFile &document = *page.document;
        const HelpFile::Topic &topic = document.topics.at(document.names.value(page.name));
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
    if (m_history.size() > MaxHistory)
        m_history.removeFirst();
    m_current = m_history.size() - 1;
    forgetOldDocuments();
    display();
}

void HelpWindow::forgetOldDocuments()
{
    // Every call reads the help file afresh; pages of older readings go from the history.
    QList<const HelpFile *> kept;
    for (qsizetype i = m_history.size() - 1; i >= 0; --i) {
        const HelpFile *document = m_history.at(i).document.get();
        if (!document || kept.contains(document))
            continue;
        if (kept.size() < MaxDocuments) {
            kept.append(document);
            continue;
        }
        m_history.remove(i);
        if (i < m_current)
            --m_current;
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
        const HelpFile::Topic &topic = page.document->topics.at(index);
        if (shown->defaultStyleSheet() != page.document->styleSheet)
            shown->setDefaultStyleSheet(page.document->styleSheet);
        m_browser->setHtml(page.document->page(index));
        if (page.scroll >= 0)
            m_browser->verticalScrollBar()->setValue(page.scroll);
        else if (page.name != topic.names.first())
            m_browser->scrollToAnchor(page.name);
        else
            m_browser->verticalScrollBar()->setValue(0);
    }
    updateActions();
}

void HelpWindow::back()
{
    if (m_current <= 0)
        return;
    m_history[m_current].scroll = m_browser->verticalScrollBar()->value();
    --m_current;
    display();
}

void HelpWindow::forward()
{
    if (m_current + 1 >= m_history.size())
        return;
    m_history[m_current].scroll = m_browser->verticalScrollBar()->value();
    ++m_current;
    display();
}

void HelpWindow::showContents()
{
    if (m_current < 0 || !m_history.at(m_current).document)
        return;
    std::shared_ptr<const HelpFile> document = m_history.at(m_current).document;
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
    if (m_current < 0 || !m_history.at(m_current).document)
        return;
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
    if (!platform::helpprotocol::isValidCall(command, data, path))
        return {};
    HelpWindow *window = HelpWindow::open();
    QString error;
    std::optional<HelpFile> read = HelpFile::read(path, &error);
    if (!read) {
        window->showError(error);
        return {false, error};
    }
    auto document = std::make_shared<const HelpFile>(std::move(*read));
    // A file read again unchanged is the reading the window already has, so the history keeps
    // its pages.
    if (const std::shared_ptr<const HelpFile> shown = window->document();
        shown && shown->fileName == document->fileName && shown->text == document->text)
        document = shown;
    bool shown = false;
    if (command == HELP_CONTEXT)
        shown = window->showContext(document, data);
    else
        shown = window->showTopic(document, document->contents);
    return {shown, window->pageTitle()};
}

} // namespace helpviewer
