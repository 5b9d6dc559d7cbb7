#pragma once

#include <QByteArray>
#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QStyle>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <span>

class QAction;
class QColor;
class QMenu;
class QSpinBox;
class QWidget;

namespace toolkit {
class Application;
class EditBox;
} // namespace toolkit

namespace testsupport {

// A temporary directory that is the current directory while it lives.
class TemporaryCurrentDir {
public:
    TemporaryCurrentDir();
    ~TemporaryCurrentDir();
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    QString m_previous;
};

// Files in the current directory.
void writeFile(const QString &name, const QByteArray &bytes);
QByteArray readFile(const QString &name);
// Copies one of the game's shipped files (data/) into the current directory.
void copyDataFile(const QString &name);
// The shipped starting score file's bytes.
QByteArray startingScoreFile();

// The most resident memory this process (or the process pid) has had, in KiB (VmHWM), -1 if
// unknown; and setting this process's mark back to what it has now, false when the system does
// not allow it.
qint64 peakMemoryKib(qint64 pid = 0);
bool resetPeakMemory();
// Under AddressSanitizer the peak also holds what was freed but is kept back in its quarantine,
// 256 MiB at most by default.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr qint64 quarantineKib = 256 * 1024;
#else
inline constexpr qint64 quarantineKib = 0;
#endif

// A PCM WAV file around the given samples (little-endian, channels interleaved).
QByteArray pcmWave(int channels, int rate, int bits, const QByteArray &samples);

// Sets up Qt the way the game does; safe to call more than once.
void setUpApplication();
// Creates the game's windows. With loadNow, the splash window's load step runs at once instead of
// two seconds later; the call returns when the card table is shown.
void startGame(bool loadNow = true);
// Destroys every window of the game.
void stopGame();

// The game's application object.
toolkit::Application &app();
// A window of the game by the name of its form variable ("Form7", "AboutBox"); null for any other.
QWidget *windowNamed(const QString &name);
// The game's top-level windows that are shown.
QSet<QWidget *> visibleWindows();
// Makes the window the active one and waits until it has the keyboard; false if it never gets it.
bool activate(QWidget *window);
// The colour a control's background is drawn in.
QColor backgroundOf(const QWidget *widget);
// Opens a menu of the card table's menu bar and clicks one of its items, as a player would.
void clickMenuItem(QMenu *menu, QAction *item);

// The texts of the boxes, in order; without boxes, of the hall of fame's eleven in the order of
// the score file's lines.
QStringList boxTexts(std::span<const toolkit::EditBox *const> boxes);
QStringList boxTexts();

// A control of a window by its design name.
template <typename T> T *control(QWidget *window, const char *name)
{
    return window->findChild<T *>(QString::fromLatin1(name));
}

// A control's text whatever its class (edit box, label, button), through its "text" property.
QString textOf(const QObject *control);
void setTextOf(QObject *control, const QString &text);

// The centre of a spin box's arrow, from the style's own layout of the control.
QPoint arrowCentre(QSpinBox *box, QStyle::SubControl arrow);

// Clicks through the window at a point of a control (the window hit-tests the click, so it goes
// to whatever lies topmost there, as a player's click would).
void clickThroughWindow(QWidget *control, QPoint at = QPoint(-1, -1));

// Records the game's timer ticks in order while it lives: which timer of which window
// ("TForm1.Timer3"), each with a note on the game taken right after the tick's handler.
class TickRecorder {
public:
    struct Tick {
        QString timer;
        QString note;
    };

    explicit TickRecorder(std::function<QString()> note = {});
    ~TickRecorder();
    TickRecorder(const TickRecorder &) = delete;
    TickRecorder &operator=(const TickRecorder &) = delete;

    QList<Tick> ticks;
    // How many of the ticks were the named timer's ("TForm11.Timer1").
    qsizetype count(const QString &timer) const;

private:
    std::function<QString()> m_note;
};

// Runs the game until the named timer ("TForm11.Timer1") has ticked count more times; false if
// that takes longer than timeoutMs. A check that something does not happen waits this way for
// the game's own timers, never for a fixed time.
bool waitForTicks(const TickRecorder &recorder, const QString &timer, int count,
                  int timeoutMs = 5000);

// Watches for the game's error box, records it and dismisses it with OK.
class ErrorBoxWatcher : public QObject {
    Q_OBJECT

public:
    struct Box {
        QString title;
        QString text;
        QMessageBox::Icon icon;
        QString parentName;
        bool onTop;
        int buttons;
    };

    // With dismiss, each box is accepted dismissAfterMs after it showed up.
    explicit ErrorBoxWatcher(bool dismiss = true, int dismissAfterMs = 0);
    QList<Box> boxes;
    // The most boxes seen open at the same time.
    int mostOpen = 0;

private:
    void poll();
    QTimer m_timer;
    bool m_dismiss;
    int m_dismissAfterMs;
};

} // namespace testsupport
