#include "toolkit/Platform.h"

#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QThread>
#include <QWidget>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace toolkit {

void choosePlatform()
{
    const char *chosen = std::getenv("QT_QPA_PLATFORM");
    const char *display = std::getenv("DISPLAY");
    if ((chosen && *chosen) || !display || !*display)
        return;
    // Wayland stays the way out when the X display does not answer.
    setenv("QT_QPA_PLATFORM", "xcb;wayland", 1);
}

namespace {

template <typename T> using Reply = std::unique_ptr<T, decltype(&std::free)>;

xcb_atom_t atom(xcb_connection_t *connection, const char *name)
{
    Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(connection,
                              xcb_intern_atom(connection, false, std::strlen(name), name), nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// The four numbers of a CARDINAL[4] property (left, right, top, bottom), if the window has it.
bool readExtents(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t property,
                 QMargins &extents)
{
    Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(
            connection,
            xcb_get_property(connection, false, window, property, XCB_ATOM_CARDINAL, 0, 4),
            nullptr),
        &std::free);
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) != 16)
        return false;
    const auto *value = static_cast<const quint32 *>(xcb_get_property_value(reply.get()));
    extents = QMargins(int(value[0]), int(value[2]), int(value[1]), int(value[3]));
    return true;
}

bool supported(xcb_connection_t *connection, xcb_window_t root, xcb_atom_t wanted)
{
    Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(connection,
                               xcb_get_property(connection, false, root,
                                                atom(connection, "_NET_SUPPORTED"), XCB_ATOM_ATOM,
                                                0, 4096),
                               nullptr),
        &std::free);
    if (!reply || reply->format != 32)
        return false;
    const auto *atoms = static_cast<const xcb_atom_t *>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / 4;
    return std::find(atoms, atoms + count, wanted) != atoms + count;
}

} // namespace

QMargins frameExtents(QWidget *window)
{
    // Only a window on X11 has a window manager to ask (the offscreen platform has an X11
    // interface too, without a connection).
    auto *x11 = qGuiApp && QGuiApplication::platformName() == QLatin1String("xcb")
                    ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>()
                    : nullptr;
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection || !window || !window->isWindow() ||
        window->windowFlags().testFlag(Qt::FramelessWindowHint))
        return {};
    const xcb_window_t id = xcb_window_t(window->winId());
    const xcb_atom_t request = atom(connection, "_NET_REQUEST_FRAME_EXTENTS");
    const xcb_atom_t extentsAtom = atom(connection, "_NET_FRAME_EXTENTS");
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (!screen || !supported(connection, screen->root, request))
        return {};

    xcb_delete_property(connection, id, extentsAtom);
    xcb_client_message_event_t message = {};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = id;
    message.type = request;
    xcb_send_event(connection, false, screen->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&message));
    xcb_flush(connection);
    // The window manager answers at once; a busy one gets a second, and without an answer the
    // window is placed as if it had no frame.
    QMargins extents;
    const QDeadlineTimer deadline(1000);
    while (!readExtents(connection, id, extentsAtom, extents)) {
        if (deadline.hasExpired())
            return {};
        QThread::msleep(2);
    }
    return extents;
}

} // namespace toolkit
