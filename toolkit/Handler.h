#pragma once

#include "toolkit/Exception.h"

#include <QObject>
#include <QString>
#include <exception>
#include <new>
#include <stdexcept>

namespace toolkit {

// Shows the error box: the stop icon, one OK button, the application title as caption and the
// message with "." appended. Returns when the player has dismissed it.
void showErrorBox(const QString &message);

// Thrown when the program is asked to end while a handler is held up inside a call that runs no
// message loop, such as a sound: the rest of the handler is abandoned without a word, and the
// message loop then ends the program.
struct Terminating {};

// Runs one handler. An error raised inside it abandons the rest of the handler and is reported in
// the error box; nothing escapes into Qt's event loop.
template <typename Function> void guard(Function &&function)
{
    try {
        function();
    } catch (const Terminating &) {
    } catch (const Exception &e) {
        showErrorBox(e.message());
    } catch (const std::bad_alloc &) {
        showErrorBox(QStringLiteral("Out of memory"));
    } catch (const std::length_error &) {
        // A size too large to allocate at all.
        showErrorBox(QStringLiteral("Out of memory"));
    } catch (const std::exception &e) {
        showErrorBox(QString::fromLocal8Bit(e.what()));
    }
}

// Connects a signal to a handler member function, run through the guard.
template <typename Sender, typename Signal, typename Receiver>
QMetaObject::Connection handle(Sender *sender, Signal signal, Receiver *receiver,
                               void (Receiver::*handler)())
{
    return QObject::connect(sender, signal, receiver,
                            [receiver, handler] { guard([&] { (receiver->*handler)(); }); });
}

} // namespace toolkit
