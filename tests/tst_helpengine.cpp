#include "helpviewer/HelpWindow.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocumentFragment>
#include <QTimer>
#include <QToolBar>

#include <memory>

using helpviewer::HELP_CONTENTS;
using helpviewer::HELP_CONTEXT;
using helpviewer::HelpWindow;

namespace {

// A help call as the viewer gets it from the game, which names the file by its absolute path.
bool winHelp(QWidget *, const QString &file, quint16 command, quint32 data)
{
    const QString path = file.isEmpty() ? file : QDir::current().absoluteFilePath(file);
    return helpviewer::help(path, command, data).shown;
}

// A small help file with the variations an author may write: a name on the heading or in an
// <a name> inside it, attributes in capitals and single quotes, a name inside a long topic, and
// elements that do not nest however many there are (items, paragraphs and cells left open).
const QByteArray Sample =
    "<!DOCTYPE html>\n"
    "<html><head>\n"
    "<meta name=\"help-contents\" content=\"spis\">\n"
    "<meta name=\"help-context\" content=\"1 pierwszy\">\n"
    "<meta name=\"help-context\" content=\"2 w-srodku\">\n"
    "<meta NAME='help-context' CONTENT=' 4294967295   ostatni '>\n"
    "<style>h1 { color: #a01010 }</style>\n"
    "</head><body>\n"
    "<h1 id=\"spis\">Spis rzeczy</h1>\n"
    "<p><a href=\"#pierwszy\">Do pierwszego</a> <a href=\"#brak\">Zepsute</a>\n"
    "<a href=\"https://example.com/\">Strona</a></p>\n"
    "<h1><a name=\"pierwszy\"></a>Pierwszy temat</h1>\n" +
    QByteArray("<p>Tekst pierwszego.</p>\n").repeated(120) +
    "<h2 id=\"w-srodku\">Środek</h2><p>Dalszy ciąg.</p>\n"
    "<h1 ID='ostatni'>Ostatni temat</h1><p>Koniec.</p>\n<ul>" +
    QByteArray("<li>punkt <br><img src=x><hr>").repeated(40) + "</ul>" +
    QByteArray("<p>akapit <b>x</b>").repeated(40) + "<table><tr>" +
    QByteArray("<td>komórka <td/>").repeated(40) +
    "</table>\n"
    "</body></html>\n";

QList<HelpWindow *> helpWindows()
{
    QList<HelpWindow *> found;
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (auto *help = qobject_cast<HelpWindow *>(widget))
            found.append(help);
    return found;
}

QTextBrowser *browser()
{
    return HelpWindow::find() ? HelpWindow::find()->findChild<QTextBrowser *>() : nullptr;
}

QString shownText()
{
    return browser() ? browser()->toPlainText() : QString();
}

void writeFile(const QString &name, const QByteArray &bytes)
{
    QFile file(name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Presses a toolbar button of the help window as the reader would.
void press(const char *action)
{
    QAction *found = HelpWindow::find()->findChild<QAction *>(QLatin1String(action));
    QVERIFY2(found, action);
    QWidget *button = HelpWindow::find()->findChild<QToolBar *>()->widgetForAction(found);
    QTest::mouseClick(button, Qt::LeftButton);
}

bool isEnabled(const char *action)
{
    return HelpWindow::find()->findChild<QAction *>(QLatin1String(action))->isEnabled();
}

// Clicks the link with that address in the page shown.
void clickLink(const QString &href)
{
    QTextBrowser *view = browser();
    for (QTextBlock block = view->document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            if (it.fragment().charFormat().anchorHref() == href) {
                QTextCursor cursor(view->document());
                cursor.setPosition(it.fragment().position() + 1);
                const QPoint where = view->cursorRect(cursor).center() - QPoint(2, 0);
                QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, where);
                return;
            }
        }
    }
    QFAIL(qPrintable(QStringLiteral("no link to %1 on the page").arg(href)));
}

} // namespace

class tst_HelpEngine : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void opensContents();
    void opensContextTopic_data();
    void opensContextTopic();
    void keepsOneWindowBesideTheGame();
    void readsFileAtEveryCall();
    void reportsUnusableFile_data();
    void reportsUnusableFile();
    void refusesOtherCalls_data();
    void refusesOtherCalls();
    void goesBackAndForward();
    void followsOnlyLinksInsideTheFile();
    void readsNoOtherFile();
    void shippedHelpFile();

private:
    QString m_origin;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_HelpEngine::initTestCase()
{
    // Closing a help window ends the viewer, but not this test program.
    QApplication::setQuitOnLastWindowClosed(false);
    m_origin = QDir::currentPath();
}

void tst_HelpEngine::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir::setCurrent(m_dir->path()));
}

void tst_HelpEngine::cleanup()
{
    qDeleteAll(helpWindows());
    QDir::setCurrent(m_origin);
    m_dir.reset();
}

void tst_HelpEngine::opensContents()
{
    writeFile("POMOC.HLP", Sample);
    QVERIFY2(winHelp(nullptr, "POMOC.HLP", HELP_CONTENTS, 0), qPrintable(shownText()));
    QCOMPARE(helpWindows().size(), 1);
    HelpWindow *help = helpWindows().first();
    QVERIFY(help->isVisible());
    QVERIFY(help->isWindow());
    QCOMPARE(help->parent(), nullptr);
    QVERIFY(help->windowTitle().contains("Pomoc"));
    QVERIFY(help->width() >= 400 && help->height() >= 300);
    QVERIFY2(shownText().startsWith("Spis rzeczy"), qPrintable(shownText()));
    // The style sheet before the first topic applies to the page.
    QCOMPARE(browser()->document()->begin().charFormat().foreground().color(), QColor(0xa01010));
    // Each topic is a page of its own.
    QVERIFY(!shownText().contains("Pierwszy temat"));
    QVERIFY(browser()->isReadOnly());

    // Asking for the page on screen again, as F1 pressed twice does, adds no step to go back.
    QVERIFY(winHelp(nullptr, "POMOC.HLP", HELP_CONTENTS, 0));
    QVERIFY(!isEnabled("back"));
}

void tst_HelpEngine::opensContextTopic_data()
{
    QTest::addColumn<quint32>("context");
    QTest::addColumn<QString>("heading");
    QTest::addColumn<bool>("scrolled");
    QTest::newRow("name in the heading") << 1u << "Pierwszy temat" << false;
    QTest::newRow("largest number") << 4294967295u << "Ostatni temat" << false;
    QTest::newRow("name inside a topic") << 2u << "Pierwszy temat" << true;
}

void tst_HelpEngine::opensContextTopic()
{
    QFETCH(quint32, context);
    QFETCH(QString, heading);
    QFETCH(bool, scrolled);
    writeFile("POMOC.HLP", Sample);
    QVERIFY(winHelp(nullptr, "POMOC.HLP", HELP_CONTEXT, context));
    QVERIFY2(shownText().startsWith(heading), qPrintable(shownText().left(80)));
    QVERIFY(!shownText().contains("Spis rzeczy"));
    QCOMPARE(browser()->verticalScrollBar()->value() > 0, scrolled);
}

void tst_HelpEngine::keepsOneWindowBesideTheGame()
{
    writeFile("POMOC.HLP", Sample);
    QWidget game;
    game.show();
    QVERIFY(winHelp(&game, "POMOC.HLP", HELP_CONTENTS, 0));
    QVERIFY(winHelp(&game, "POMOC.HLP", HELP_CONTEXT, 1));
    QCOMPARE(helpWindows().size(), 1);
    QVERIFY(shownText().startsWith("Pierwszy temat"));
    QPointer<HelpWindow> help = helpWindows().first();
    QCOMPARE(help->parent(), nullptr);

    game.hide();
    QVERIFY(help->isVisible());
    help->showMinimized();
    QVERIFY(winHelp(&game, "POMOC.HLP", HELP_CONTENTS, 0));
    QCOMPARE(helpWindows().size(), 1);
    QVERIFY(!help->isMinimized());

    // The help window is the viewer's one window: closing it ends the viewer.
    game.close();
    QApplication::setQuitOnLastWindowClosed(true);
    bool ended = true;
    QTimer::singleShot(0, help, [help] { help->close(); });
    QTimer::singleShot(20000, qApp, [&ended] {
        ended = false;
        QCoreApplication::quit();
    });
    QApplication::exec();
    QApplication::setQuitOnLastWindowClosed(false);
    QVERIFY2(ended, "closing the help window did not end the viewer");
    QTRY_VERIFY(help.isNull());

    QVERIFY(winHelp(&game, "POMOC.HLP", HELP_CONTENTS, 0));
    QCOMPARE(helpWindows().size(), 1);
}

void tst_HelpEngine::readsFileAtEveryCall()
{
    writeFile("POMOC.HLP", Sample);
    QVERIFY(winHelp(nullptr, "POMOC.HLP", HELP_CONTENTS, 0));
    writeFile("POMOC.HLP", "<h1 id=nowy>Nowy spis</h1>");
    QVERIFY(winHelp(nullptr, "POMOC.HLP", HELP_CONTENTS, 0));
    QVERIFY2(shownText().startsWith("Nowy spis"), qPrintable(shownText()));
    QVERIFY(QFile::remove("POMOC.HLP"));
    writeFile("pomoc.hlp", Sample);
    QVERIFY2(winHelp(nullptr, "POMOC.HLP", HELP_CONTENTS, 0), "a name in other case is found");
    QVERIFY(shownText().startsWith("Spis rzeczy"));
    QVERIFY(QFile::remove("pomoc.hlp"));
    QVERIFY(!winHelp(nullptr, "POMOC.HLP", HELP_CONTENTS, 0));
    QVERIFY(shownText().contains("Nie można otworzyć pliku pomocy „POMOC.HLP”"));
    QCOMPARE(helpWindows().size(), 1);
}

void tst_HelpEngine::reportsUnusableFile_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<quint32>("context");
    QTest::addColumn<QString>("message");
    const QByteArray head = "<meta name=\"help-contents\" content=\"a\">\n<h1 id=\"a\">A</h1>\n";
    QTest::newRow("missing") << QByteArray() << 0u
                             << "Nie można otworzyć pliku pomocy „POMOC.HLP”: nie ma go w folderze";
    QTest::newRow("folder") << QByteArray("/") << 0u << "to jest folder, a nie plik.";
    QTest::newRow("too large") << QByteArray(5 * 1024 * 1024, 'x') << 0u << "jest za duży";
    QTest::newRow("no such number")
        << Sample << 7u << "W pliku pomocy „POMOC.HLP” nie ma tematu o numerze 7.";
    QTest::newRow("binary") << QByteArray("\x00\x01\x02", 3) << 0u << "To nie jest plik tekstowy.";
    QTest::newRow("not UTF-8") << QByteArray("<h1 id=a>Stawka</h1>\n<p>Pieni\xb1"
                                             "dze</p>")
                               << 0u << "Wiersz 2: tekst nie jest zapisany w UTF-8.";
    QTest::newRow("no topic") << QByteArray("<p>Tylko tekst</p>") << 0u << "nie ma żadnego tematu";
    QTest::newRow("unnamed topic")
        << head + "<h1>Bez nazwy</h1>" << 0u << "Wiersz 3: temat „Bez nazwy” nie ma nazwy";
    QTest::newRow("name twice") << head + "<h1 id=b>B</h1><p id=\"a\">x</p>" << 0u
                                << "Wiersz 3: nazwa „a” występuje w pliku drugi raz.";
    QTest::newRow("empty name") << head + "<h1 id=\"\">B</h1>" << 0u
                                << "nazwa „” jest nieprawidłowa";
    QTest::newRow("contents nowhere")
        << QByteArray("<meta name=help-contents content=nic><h1 id=a>A</h1>") << 0u
        << "spis treści wskazuje nazwę „nic”";
    QTest::newRow("two contents") << head + "<meta name=help-contents content=a>" << 0u
                                  << "drugi znacznik help-contents";
    QTest::newRow("context nowhere") << head + "<meta name=help-context content=\"1 nic\">" << 1u
                                     << "numer 1 wskazuje nazwę „nic”";
    QTest::newRow("number not a number") << head + "<meta name=help-context content=\"jeden a\">"
                                         << 1u << "help-context musi podawać numer";
    QTest::newRow("number too large") << head + "<meta name=help-context content=\"4294967296 a\">"
                                      << 1u << "help-context musi podawać numer";
    QTest::newRow("number twice")
        << head + "<meta name=help-context content=\"1 a\"><meta name=help-context content=\"1 a\">"
        << 1u << "numer 1 występuje w znacznikach help-context drugi raz";
    QTest::newRow("open comment") << head + "<p>x</p>\n<!-- bez końca" << 0u
                                  << "Wiersz 4: niezamknięty komentarz";
    QTest::newRow("open quote") << head + "<a href=\"#a>x</a>" << 0u << "niezamknięty cudzysłów";
    QTest::newRow("open style") << QByteArray("<style>h1 {}\n<h1 id=a>A</h1>") << 0u
                                << "Wiersz 1: znacznik <style> nie ma zamknięcia";
    const QByteArray deep = "elementy są zagnieżdżone zbyt głęboko (dozwolone najwyżej 32 poziomy";
    QTest::newRow("nested too deep") << head + "<h1 id=b>B</h1>\n" + QByteArray("<b>").repeated(31)
                                     << 0u << QString("Wiersz 4: " + deep);
    QTest::newRow("lone cell too deep")
        << head + "<h1 id=b>B</h1>\n" + QByteArray("<div>").repeated(28) + "\n<td>" << 0u
        << QString("Wiersz 5: " + deep);
    // Only the markup of the help format is laid out, read as Qt reads it.
    QTest::newRow("element outside the format")
        << head + "<h1 id=b>B</h1>\n<p><iframe src=x></iframe>" << 0u
        << "Wiersz 4: znacznik <iframe> nie należy do formatu pomocy.";
    QTest::newRow("attribute outside the format")
        << head + "<p style=\"margin: 9999px\">x</p>" << 0u
        << "Wiersz 3: atrybut style znacznika <p> nie należy do formatu pomocy.";
    QTest::newRow("number in a spaced tag")
        << head + "< table cellspacing=21><tr><td>x" << 0u
        << "Wiersz 3: atrybut cellspacing znacznika <table> musi być liczbą od 0 do 20.";
    QTest::newRow("page too long")
        << "<style>" + QByteArray(100000, ' ') + "</style>" + head + "<p>" + QByteArray(32000, 'x')
        << 0u << "Wiersz 2: temat „A” jest za długi: razem ze stylami sprzed pierwszego tematu";
}

void tst_HelpEngine::reportsUnusableFile()
{
    QFETCH(QByteArray, contents);
    QFETCH(quint32, context);
    QFETCH(QString, message);
    if (contents == "/")
        QVERIFY(QDir().mkdir("POMOC.HLP"));
    else if (!contents.isNull())
        writeFile("POMOC.HLP", contents);
    const quint16 command = context == 0 ? HELP_CONTENTS : HELP_CONTEXT;
    QVERIFY(!winHelp(nullptr, "POMOC.HLP", command, context));
    QCOMPARE(helpWindows().size(), 1);
    QVERIFY(helpWindows().first()->isVisible());
    QVERIFY2(shownText().contains(message), qPrintable(shownText()));
    QVERIFY2(shownText().contains("„POMOC.HLP”"), qPrintable(shownText()));
}

void tst_HelpEngine::refusesOtherCalls_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<quint16>("command");
    QTest::addColumn<quint32>("data");
    QTest::newRow("quit") << "POMOC.HLP" << quint16(2) << 0u;
    QTest::newRow("command 0") << "POMOC.HLP" << quint16(0) << 0u;
    QTest::newRow("key") << "POMOC.HLP" << quint16(0x0101) << 0u;
    QTest::newRow("contents with data") << "POMOC.HLP" << HELP_CONTENTS << 1u;
    QTest::newRow("no file name") << "" << HELP_CONTENTS << 0u;
    // Its answer would not fit the game's messages: the viewer would be ended at every call.
    QTest::newRow("name too long") << QString(140000, u'x') << HELP_CONTENTS << 0u;
}

void tst_HelpEngine::refusesOtherCalls()
{
    QFETCH(QString, file);
    QFETCH(quint16, command);
    QFETCH(quint32, data);
    writeFile("POMOC.HLP", Sample);
    QVERIFY(!winHelp(nullptr, file, command, data));
    QVERIFY(helpWindows().isEmpty());

    QVERIFY(winHelp(nullptr, "POMOC.HLP", HELP_CONTEXT, 1));
    QVERIFY(!winHelp(nullptr, file, command, data));
    QCOMPARE(helpWindows().size(), 1);
    QVERIFY(shownText().startsWith("Pierwszy temat"));
    QVERIFY(!isEnabled("back"));
}

void tst_HelpEngine::goesBackAndForward()
{
    writeFile("POMOC.HLP", Sample);
    QVERIFY(winHelp(nullptr, "POMOC.HLP", HELP_CONTENTS, 0));
    QVERIFY(QTest::qWaitForWindowExposed(HelpWindow::find()));
    QVERIFY(!isEnabled("back"));
    clickLink("#pierwszy");
    QTRY_VERIFY2(shownText().startsWith("Pierwszy temat"), qPrintable(shownText().left(40)));
    QScrollBar *scroll = browser()->verticalScrollBar();
    scroll->setValue(scroll->maximum() / 2);
    const int left = scroll->value();
    QVERIFY(left > 0);
    QVERIFY(winHelp(nullptr, "POMOC.HLP", HELP_CONTEXT, 4294967295u));
    QVERIFY(shownText().startsWith("Ostatni temat"));
    QVERIFY(isEnabled("back"));
    QVERIFY(!isEnabled("forward"));

    press("back");
    QVERIFY(shownText().startsWith("Pierwszy temat"));
    QCOMPARE(browser()->verticalScrollBar()->value(), left);
    press("back");
    QVERIFY(shownText().startsWith("Spis rzeczy"));
    QVERIFY(!isEnabled("back"));
    QVERIFY(isEnabled("forward"));
    press("forward");
    QVERIFY(shownText().startsWith("Pierwszy temat"));
    press("forward");
    QVERIFY(shownText().startsWith("Ostatni temat"));
    QVERIFY(!isEnabled("forward"));

    // The keys the help's own page names for the buttons.
    QVERIFY(QTest::qWaitForWindowActive(HelpWindow::find()));
    QTest::keyClick(browser(), Qt::Key_Left, Qt::AltModifier);
    QVERIFY(shownText().startsWith("Pierwszy temat"));
    QTest::keyClick(browser(), Qt::Key_Home, Qt::AltModifier);
    QVERIFY(shownText().startsWith("Spis rzeczy"));
    QTest::keyClick(browser(), Qt::Key_Left, Qt::AltModifier);
    QTest::keyClick(browser(), Qt::Key_Right, Qt::AltModifier);
    QVERIFY(shownText().startsWith("Spis rzeczy"));

    // A new step after going back drops the pages ahead, as in a browser.
    press("back");
    press("back");
    QVERIFY(shownText().startsWith("Spis rzeczy"));
    QVERIFY(winHelp(nullptr, "POMOC.HLP", HELP_CONTEXT, 4294967295u));
    QVERIFY(!isEnabled("forward"));
    press("back");
    QVERIFY(shownText().startsWith("Spis rzeczy"));
    QVERIFY(!isEnabled("back"));
    press("forward");
    QVERIFY(shownText().startsWith("Ostatni temat"));
}

void tst_HelpEngine::followsOnlyLinksInsideTheFile()
{
    writeFile("POMOC.HLP", Sample);
    QVERIFY(winHelp(nullptr, "POMOC.HLP", HELP_CONTENTS, 0));
    QVERIFY(QTest::qWaitForWindowExposed(HelpWindow::find()));
    clickLink("https://example.com/");
    QVERIFY(shownText().startsWith("Spis rzeczy"));
    QVERIFY(!isEnabled("back"));

    clickLink("#brak");
    QTRY_VERIFY2(shownText().contains("W pliku pomocy „POMOC.HLP” nie ma tematu „brak”."),
                 qPrintable(shownText()));
    QVERIFY(isEnabled("contents"));
    press("contents");
    QVERIFY(shownText().startsWith("Spis rzeczy"));
}

void tst_HelpEngine::readsNoOtherFile()
{
    // The help window shows the help file alone: it loads no picture or file that the help
    // file names.
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QVERIFY(picture.save("obraz.png"));
    writeFile("POMOC.HLP", "<h1 id=a>Obraz</h1><p><img src=\"obraz.png\"> <img src=\"" +
                               QDir::current().absoluteFilePath("obraz.png").toUtf8() + "\"></p>");
    QVERIFY(winHelp(nullptr, "POMOC.HLP", HELP_CONTENTS, 0));
    QVERIFY(QTest::qWaitForWindowExposed(HelpWindow::find()));
    QVERIFY(browser()->document()->size().height() > 0);
    for (const QString &name :
         {QStringLiteral("obraz.png"), QDir::current().absoluteFilePath("obraz.png")}) {
        const QVariant loaded = browser()->document()->resource(QTextDocument::ImageResource, name);
        const QImage shown = loaded.userType() == QMetaType::QPixmap
                                 ? loaded.value<QPixmap>().toImage()
                                 : loaded.value<QImage>();
        QVERIFY2(shown.size() != picture.size(), qPrintable(name));
    }
}

void tst_HelpEngine::shippedHelpFile()
{
    const QString data = qEnvironmentVariable("ZAKRYTKA_DATA_DIR");
    QVERIFY2(!data.isEmpty(), "ZAKRYTKA_DATA_DIR names the repository's data folder");
    QVERIFY(QFile::copy(QDir(data).filePath("ZAKRYTKA.HLP"), "ZAKRYTKA.HLP"));

    QVERIFY(winHelp(nullptr, "ZAKRYTKA.HLP", HELP_CONTENTS, 0));
    QVERIFY2(shownText().startsWith("Spis treści"), qPrintable(shownText()));
    QVERIFY(winHelp(nullptr, "ZAKRYTKA.HLP", HELP_CONTEXT, 1));
    QVERIFY2(shownText().startsWith("Jak korzystać z pomocy"), qPrintable(shownText()));

    QString error;
    const std::optional<helpviewer::HelpFile> document =
        helpviewer::HelpFile::read("ZAKRYTKA.HLP", &error);
    QVERIFY2(document, qPrintable(error));
    for (const helpviewer::HelpFile::Link &link : document->links) {
        QVERIFY2(document->names.contains(link.target),
                 qPrintable(QStringLiteral("„%1” links to „%2”")
                                .arg(document->topics.at(link.topic).title, link.target)));
    }

    // Every topic can be reached from the contents.
    QList<bool> reached(document->topics.size(), false);
    QList<qsizetype> queue{document->names.value(document->contents)};
    reached[queue.first()] = true;
    while (!queue.isEmpty()) {
        const qsizetype topic = queue.takeFirst();
        for (const helpviewer::HelpFile::Link &link : document->links) {
            const qsizetype target = document->names.value(link.target);
            if (link.topic == topic && !reached[target]) {
                reached[target] = true;
                queue.append(target);
            }
        }
    }
    for (qsizetype t = 0; t < reached.size(); ++t)
        QVERIFY2(reached[t], qPrintable(document->topics.at(t).title));

    const QString keys = document->page(document->names.value("klawisze"));
    const QString keysText = QTextDocumentFragment::fromHtml(keys).toPlainText();
    for (const char *key : {"F1", "F2", "F3", "Alt+Z", "Alt+O", "Alt+T", "Alt+S", "Esc",
                            "strzałka w górę", "strzałka w dół"})
        QVERIFY2(keysText.contains(QString::fromUtf8(key)), key);
}

QTEST_MAIN(tst_HelpEngine)
#include "tst_helpengine.moc"
