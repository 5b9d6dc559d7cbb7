#include "support/TestSupport.h"

#include "game/Program.h"
#include "game/Unit1.h"
#include "game/Unit3.h"
#include "game/Unit4.h"
#include "game/Unit5.h"
#include "game/Unit6.h"
#include "game/Unit7.h"
#include "game/Unit8.h"
#include "toolkit/Application.h"
#include "toolkit/EditBox.h"
#include "toolkit/Form.h"
#include "toolkit/Handler.h"
#include "toolkit/Timer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QMenu>
#include <QMenuBar>
#include <QSpinBox>
#include <QStyleOptionSpinBox>
#include <QTest>
#include <QWindow>
#include <algorithm>

namespace testsupport {

TemporaryCurrentDir::TemporaryCurrentDir() : m_previous(QDir::currentPath())
{
    QDir::setCurrent(m_dir.path());
}

TemporaryCurrentDir::~TemporaryCurrentDir()
{
    QDir::setCurrent(m_previous);
}

void writeFile(const QString &name, const QByteArray &bytes)
{
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(name));
    file.write(bytes);
}

QByteArray readFile(const QString &name)
{
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

qint64 peakMemoryKib(qint64 pid)
{
    QFile status(pid ? QStringLiteral("/proc/%1/status").arg(pid)
                     : QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

bool resetPeakMemory()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

QByteArray pcmWave(int channels, int rate, int bits, const QByteArray &samples)
{
    auto le = [](quint32 value, int size) {
        QByteArray bytes;
        for (int i = 0; i < size; ++i)
            bytes.append(char((value >> (8 * i)) & 0xff));
        return bytes;
    };
    const int blockAlign = channels * bits / 8;
    return "RIFF" + le(36 + samples.size(), 4) + "WAVEfmt " + le(16, 4) + le(1, 2) +
           le(channels, 2) + le(rate, 4) + le(rate * blockAlign, 4) + le(blockAlign, 2) +
           le(bits, 2) + "data" + le(samples.size(), 4) + samples;
}

static QString dataDir()
{
    const QString dir = qEnvironmentVariable("ZAKRYTKA_DATA_DIR");
    if (dir.isEmpty())
        qFatal("ZAKRYTKA_DATA_DIR is not set");
    return dir;
}

void copyDataFile(const QString &name)
{
    QFile::remove(name);
    if (!QFile::copy(dataDir() + QLatin1Char('/') + name, name))
        qFatal("cannot copy %s", qPrintable(name));
    QFile::setPermissions(name, QFile::ReadOwner | QFile::WriteOwner);
}

QByteArray startingScoreFile()
{
    QFile file(dataDir() + QStringLiteral("/sys.dll"));
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

void setUpApplication()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    toolkit::Application::setUp();
}

void startGame(bool loadNow)
{
    setUpApplication();
    createWindows();
    if (!loadNow)
        return;
    Form11->Timer2->setEnabled(false);
    toolkit::guard([] { Form11->Timer2Timer(); });
    QTRY_VERIFY_WITH_TIMEOUT(Form1 && Form1->isVisible(), 5000);
}

void stopGame()
{
    destroyWindows();
    // Old card tables released after a new game.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

toolkit::Application &app()
{
    return toolkit::Application::instance();
}

QWidget *windowNamed(const QString &name)
{
    return QHash<QString, QWidget *>{{"Form1", Form1},      {"Form3", Form3}, {"Form5", Form5},
                                     {"Form7", Form7},      {"Form8", Form8}, {"Form11", Form11},
                                     {"AboutBox", AboutBox}}
        .value(name);
}

QSet<QWidget *> visibleWindows()
{
    QSet<QWidget *> shown;
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (widget->isVisible())
            shown.insert(widget);
    return shown;
}

bool activate(QWidget *window)
{
    // Qt counts a window as active while one of its dialogs is; keys go to the focus window.
    toolkit::makeActive(window);
    return QTest::qWaitFor(
        [window] { return QGuiApplication::focusWindow() == window->windowHandle(); });
}

QColor backgroundOf(const QWidget *widget)
{
    return widget->palette().color(widget->backgroundRole());
}

void clickMenuItem(QMenu *menu, QAction *item)
{
    QMenuBar *bar = Form1->MainMenu1;
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(menu->menuAction()).center());
    QTRY_VERIFY_WITH_TIMEOUT(menu->isVisible(), 2000);
    const QPoint at = menu->actionGeometry(item).center();
    QTest::mouseMove(menu, at);
    QTest::mouseClick(menu, Qt::LeftButton, {}, at);
}

QStringList boxTexts(std::span<const toolkit::EditBox *const> boxes)
{
    QStringList texts;
    for (const toolkit::EditBox *box : boxes)
        texts << box->text();
    return texts;
}

QStringList boxTexts()
{
    return boxTexts(Form7->fileBoxes());
}

void clickThroughWindow(QWidget *control, QPoint at)
{
    if (at == QPoint(-1, -1))
        at = control->rect().center();
    QWidget *window = control->window();
    const QPoint inWindow = control->mapTo(window, at);
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, Qt::NoModifier, inWindow);
}

QPoint arrowCentre(QSpinBox *box, QStyle::SubControl arrow)
{
    QStyleOptionSpinBox option;
    option.initFrom(box);
    option.subControls = QStyle::SC_All;
    option.buttonSymbols = box->buttonSymbols();
    option.frame = box->hasFrame();
    option.stepEnabled = QAbstractSpinBox::StepUpEnabled | QAbstractSpinBox::StepDownEnabled;
    return box->style()->subControlRect(QStyle::CC_SpinBox, &option, arrow, box).center();
}

QString textOf(const QObject *control)
{
    return control->property("text").toString();
}

void setTextOf(QObject *control, const QString &text)
{
    control->setProperty("text", text);
}

static TickRecorder *recorder = nullptr;

TickRecorder::TickRecorder(std::function<QString()> note) : m_note(std::move(note))
{
    recorder = this;
    toolkit::Timer::observer = [](toolkit::Timer *timer) {
        const QObject *window = timer->parent();
        recorder->ticks.append(
            {(window ? window->objectName() : QString()) + QLatin1Char('.') + timer->objectName(),
             recorder->m_note ? recorder->m_note() : QString()});
    };
}

bool waitForTicks(const TickRecorder &recorder, const QString &timer, int count, int timeoutMs)
{
    const qsizetype until = recorder.count(timer) + count;
    return QTest::qWaitFor([&] { return recorder.count(timer) >= until; }, timeoutMs);
}

qsizetype TickRecorder::count(const QString &timer) const
{
    return std::count_if(
        ticks.cbegin(), ticks.cend(), [&timer](const Tick &tick) { return tick.timer == timer; });
}

TickRecorder::~TickRecorder()
{
    toolkit::Timer::observer = nullptr;
    recorder = nullptr;
}

ErrorBoxWatcher::ErrorBoxWatcher(bool dismiss, int dismissAfterMs)
    : m_dismiss(dismiss), m_dismissAfterMs(dismissAfterMs)
{
    connect(&m_timer, &QTimer::timeout, this, &ErrorBoxWatcher::poll);
    m_timer.start(5);
}

void ErrorBoxWatcher::poll()
{
    int open = 0;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        auto *box = qobject_cast<QMessageBox *>(widget);
        if (!box || !box->isVisible() || box->objectName() != QLatin1String("ErrorBox"))
            continue;
        ++open;
        if (box->property("seen").toBool()) {
            if (m_dismiss && !box->property("dismissed").toBool() &&
                box->property("seenAt").toDateTime().msecsTo(QDateTime::currentDateTime()) >=
                    m_dismissAfterMs) {
                box->setProperty("dismissed", true);
                QMetaObject::invokeMethod(box, "accept", Qt::QueuedConnection);
            }
            continue;
        }
        box->setProperty("seen", true);
        box->setProperty("seenAt", QDateTime::currentDateTime());
        const QWidget *parent = box->parentWidget();
        boxes.append({box->windowTitle(), box->text(), box->icon(),
                      parent ? parent->objectName() : QString(),
                      bool(box->windowFlags() & Qt::WindowStaysOnTopHint),
                      int(box->buttons().size())});
        if (m_dismiss && m_dismissAfterMs == 0) {
            box->setProperty("dismissed", true);
            QMetaObject::invokeMethod(box, "accept", Qt::QueuedConnection);
        }
    }
    mostOpen = qMax(mostOpen, open);
}

} // namespace testsupport
