#include "toolkit/Application.h"

#include "platform/HelpEngine.h"
#include "platform/SoundPlayer.h"
#include "toolkit/Accessible.h"
#include "toolkit/Form.h"
#include "toolkit/Handler.h"
#include "toolkit/Style.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QFileInfo>
#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace toolkit {

namespace {

const QEvent::Type TerminateEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

int signalPipe[2] = {-1, -1};

void onTerminationSignal(int)
{
    const char byte = 1;
    // Only async-signal-safe calls here: the message loop picks the byte up.
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

} // namespace

void Application::setUp()
{
    QApplication::setQuitOnLastWindowClosed(false);
    // Liberation Sans has the widths of the font the windows were designed with.
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    QApplication::setFont(font);
    QApplication::setStyle(new Style);
    installAccessibility();
}

Application &Application::instance()
{
    static Application *application = new Application;
    return *application;
}

QString Application::title() const
{
    QString name = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        name.truncate(dot);
    if (name.size() > 1)
        name = name.left(1) + name.mid(1).toLower();
    return name;
}

Form *Application::mainForm() const
{
    return m_mainForm;
}

void Application::adopt(Form *form)
{
    m_forms.removeAll(nullptr);
    m_forms.append(form);
    if (!m_mainForm)
        m_mainForm = form;
}

void Application::initialize()
{
    if (onInitialize)
        onInitialize();
}

int Application::run()
{
    if (m_terminated)
        return 0;
    // Every start of the message loop shows the main window.
    if (m_mainForm)
        m_mainForm->show();
    QCoreApplication::exec();
    return 0;
}

void Application::terminate()
{
    QCoreApplication::postEvent(this, new QEvent(TerminateEvent), Qt::HighEventPriority);
}

bool Application::event(QEvent *event)
{
    if (event->type() == TerminateEvent) {
        // exit() stops every running loop, modal ones included, and no loop started after it
        // runs; the mark makes run() return at once from now on.
        m_terminated = true;
        QCoreApplication::exit(0);
        return true;
    }
    return QObject::event(event);
}

bool Application::helpCommand(quint16 command, quint32 data)
{
    if (m_helpFile.isEmpty())
        return false;
    return platform::winHelp(m_mainForm, m_helpFile, command, data);
}

void Application::installTerminationSignals()
{
    if (m_signalNotifier)
        return;
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_signalNotifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(m_signalNotifier, &QSocketNotifier::activated, this, &Application::onSignalPipe);
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    // A sound holds the message loop up for its length; a signal meanwhile stops it and abandons
    // the handler that played it, and the loop then ends the program as it does for any signal.
    platform::interruptSoundsOn(signalPipe[0], [] { throw Terminating(); });
}

void Application::onSignalPipe()
{
    char buffer[16];
    while (::read(signalPipe[0], buffer, sizeof buffer) > 0) {
    }
    // The same as closing the splash window: the program ends and nothing is written.
    if (m_mainForm)
        guard(m_mainForm.data(), [this] { m_mainForm->close(); });
    else
        terminate();
}

void Application::destroyForms()
{
    const QList<QPointer<Form>> forms = m_forms;
    m_forms.clear();
    for (auto it = forms.crbegin(); it != forms.crend(); ++it)
        delete it->data();
    m_mainForm = nullptr;
    QCoreApplication::removePostedEvents(this, TerminateEvent);
    m_terminated = false;
    m_helpFile.clear();
}

} // namespace toolkit
