#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class QSocketNotifier;

namespace toolkit {

class Form;

// The one application object: its title, its main window (the first form created through it),
// the terminated mark, the message loop, the help command and the application icon.
class Application : public QObject {
    Q_OBJECT

public:
    static Application &instance();

    // Sets up Qt for the game's windows: the fonts, the hint delays, and a program that ends only
    // when asked to. Call once, after the QApplication is made.
    static void setUp();

    // The executable's file name cut before its first full stop, letters after the first in
    // lower case.
    QString title() const;

    // Creates a form of class T into the given form variable. The first form created becomes the
    // main window for the rest of the run.
    template <typename T> void createForm(T *&variable)
    {
        T *form = new T;
        variable = form;
        adopt(form);
    }
    Form *mainForm() const;

    // The initialisation hook, run before the windows are created and at every new game.
    void initialize();
    std::function<void()> onInitialize;

    // Runs the message loop until the terminated mark is set. Returns at once when it is set.
    int run();
    bool terminated() const { return m_terminated; }
    // Posts the termination request: the loop that fetches it sets the terminated mark and stops.
    void terminate();

    QString helpFile() const { return m_helpFile; }
    void setHelpFile(const QString &file) { m_helpFile = file; }
    // Asks the help engine to show the help file; does nothing while no help file is named.
    bool helpCommand(quint16 command, quint32 data);

    // SIGINT, SIGTERM and SIGHUP (the terminal that started the game has closed) close the main
    // window, which ends the program, even while a sound plays.
    void installTerminationSignals();

    // Destroys every form (no close handler runs) and forgets the main window and the terminated
    // mark, so a test can start the game again in the same process.
    void destroyForms();

protected:
    bool event(QEvent *event) override;

private:
    Application() = default;
    void adopt(Form *form);
    void onSignalPipe();

    QPointer<Form> m_mainForm;
    QList<QPointer<Form>> m_forms;
    bool m_terminated = false;
    QString m_helpFile;
    QSocketNotifier *m_signalNotifier = nullptr;
};

} // namespace toolkit
