#pragma once

#include "toolkit/Exception.h"

#include <QObject>
#include <QString>
#include <QWidget>
#include <exception>
#include <new>
#include <stdexcept>
#include <type_traits>
#include <utility>

namespace toolkit {

// Shows the error box: the stop icon, one OK button, the application title as caption and the
// message with "." appended, above every window of the game and centred over the window whose
// handler raised the error. Returns when the player has dismissed it.
void showErrorBox(const QString &message, QWidget *raisedBy = nullptr);

// Thrown when the program is asked to end while a handler is held up inside a call that runs no
// message loop, such as a sound: the rest of the handler is abandoned without a word, and the
// message loop then ends the program.
struct Terminating {};

// Runs one handler. An error raised inside it abandons the rest of the handler and is reported in
// the error box; nothing escapes into Qt's event loop. window is the window the handler belongs to.
template <typename Function> void guard(QWidget *window, Function &&function)
{
    try {
        function();
    } catch (const Terminating &) {
    } catch (const Exception &e) {
        showErrorBox(e.message(), window);
    } catch (const std::bad_alloc &) {
        showErrorBox(QStringLiteral("Out of memory"), window);
    } catch (const std::length_error &) {
        // A size too large to allocate at all.
        showErrorBox(QStringLiteral("Out of memory"), window);
    } catch (const std::exception &e) {
        showErrorBox(QString::fromLocal8Bit(e.what()), window);
    }
}

template <typename Function> void guard(Function &&function)
{
    guard(nullptr, std::forward<Function>(function));
}

// Connects a signal to a handler member function, run through the guard.
template <typename Sender, typename Signal, typename Receiver>
QMetaObject::Connection handle(Sender *sender, Signal signal, Receiver *receiver,
                               void (Receiver::*handler)())
{
    return QObject::connect(
        sender, signal, receiver,
        [receiver, handler] {
            QWidget *window = nullptr;
            if constexpr (std::is_base_of_v<QWidget, Receiver>)
                window = receiver;
            guard(
                window, [&] { (receiver->*handler)(); });
        });
}

} // namespace toolkit
