#include "support/TestSupport.h"
#include "table/Unit1.h"
#include "toolkit/Application.h"

#include <QApplication>
#include <QMenu>
#include <QTest>
#include <QTextBrowser>

using namespace testsupport;
using toolkit::Application;

namespace {

// The help window, if one is open.
QWidget *helpWindow()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && widget->findChild<QTextBrowser *>())
            return widget;
    }
    return nullptr;
}

QString helpText()
{
    QWidget *window = helpWindow();
    return window ? window->findChild<QTextBrowser *>()->toPlainText() : QString();
}

void closeHelp()
{
    while (QWidget *window = helpWindow())
        window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class tst_HelpCommand : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { setUpApplication(); }
    void init();
    void cleanup();

    void textOpensTheContents_data();
    void textOpensTheContents();
    void missingHelpFileIsReportedInTheHelpWindow();
    void f1InTheOpenMenu();

private:
    TemporaryCurrentDir *m_dir = nullptr;
};

void tst_HelpCommand::init()
{
    m_dir = new TemporaryCurrentDir;
    copyDataFile("sys.dll");
    copyDataFile("ZAKRYTKA.HLP");
    startGame();
}

void tst_HelpCommand::cleanup()
{
    closeHelp();
    stopGame();
    delete m_dir;
    m_dir = nullptr;
}

void tst_HelpCommand::textOpensTheContents_data()
{
    QTest::addColumn<bool>("byKey");
    QTest::newRow("menu item") << false;
    QTest::newRow("F1") << true;
}

void tst_HelpCommand::textOpensTheContents()
{
    QFETCH(bool, byKey);
    QVERIFY(Application::instance().helpFile().isEmpty());
    QVERIFY(!helpWindow());
    Form1->activateWindow();
    QTRY_VERIFY(Form1->isActiveWindow());
    if (byKey)
        QTest::keyClick(Form1, Qt::Key_F1);
    else
        Form1->Text1->trigger();
    QCOMPARE(Application::instance().helpFile(), QStringLiteral("ZAKRYTKA.HLP"));
    QWidget *window = helpWindow();
    QVERIFY2(window, "no help window");
    // The help window is a window of its own, not one of the game's.
    QVERIFY(!window->parentWidget());
    QVERIFY(!helpText().isEmpty());
    const QString contents = helpText();

    // Asked again, the same window shows the contents again; the game goes on.
    Form1->Text1->trigger();
    QCOMPARE(helpWindow(), window);
    QCOMPARE(helpText(), contents);
    QVERIFY(Form1->isEnabled());
    window->close();
    QVERIFY(Form1->isVisible());
}

void tst_HelpCommand::missingHelpFileIsReportedInTheHelpWindow()
{
    QFile::remove("ZAKRYTKA.HLP");
    ErrorBoxWatcher watcher;
    Form1->Text1->trigger();
    QVERIFY(helpWindow());
    QVERIFY2(helpText().contains("ZAKRYTKA.HLP"), qPrintable(helpText()));
    QTest::qWait(50);
    QVERIFY(watcher.boxes.isEmpty());
    QVERIFY(Form1->isEnabled());
}

void tst_HelpCommand::f1InTheOpenMenu()
{
    // Before "Text" was ever chosen there is no help file name, so F1 in the menu does nothing.
    Form1->activateWindow();
    QTRY_VERIFY(Form1->isActiveWindow());
    Form1->Pomoc1->popup(Form1->mapToGlobal(QPoint(0, 0)));
    QTRY_VERIFY(Form1->Pomoc1->isVisible());
    Form1->Pomoc1->setActiveAction(Form1->Text1);
    QTest::keyClick(Form1->Pomoc1, Qt::Key_F1);
    QVERIFY(!helpWindow());
    Form1->Pomoc1->close();

    Form1->Text1->trigger();
    QVERIFY(helpWindow());
    const QString contents = helpText();
    closeHelp();

    // Afterwards F1 on "Text" opens the topic of its help context, 1.
    Form1->Pomoc1->popup(Form1->mapToGlobal(QPoint(0, 0)));
    QTRY_VERIFY(Form1->Pomoc1->isVisible());
    Form1->Pomoc1->setActiveAction(Form1->Text1);
    QTest::keyClick(Form1->Pomoc1, Qt::Key_F1);
    QVERIFY(helpWindow());
    const QString topic1 = helpText();
    QVERIFY(!topic1.isEmpty());
    QVERIFY(topic1 != contents);
    Form1->Pomoc1->close();
    closeHelp();

    // F1 on "About", which has no help context, asks for context 0, which the file lacks.
    Form1->Pomoc1->popup(Form1->mapToGlobal(QPoint(0, 0)));
    QTRY_VERIFY(Form1->Pomoc1->isVisible());
    Form1->Pomoc1->setActiveAction(Form1->About1);
    QTest::keyClick(Form1->Pomoc1, Qt::Key_F1);
    QVERIFY(helpWindow());
    QVERIFY(helpText() != topic1);
    Form1->Pomoc1->close();
}

QTEST_MAIN(tst_HelpCommand)
#include "tst_helpcommand.moc"
