#include "toolkit/WindowManager.h"

#include <QAbstractNativeEventFilter>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QHash>
#include <QScreen>
#include <QThread>
#include <QWidget>
#include <QWindow>

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

// Whether the window manager has let go of the window: it is no longer in its frame and no longer
// marked as managed (WM_STATE removed or Withdrawn); managers do the two in either order.
bool withdrawn(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t wmState)
{
    Reply<xcb_get_property_reply_t> state(
        xcb_get_property_reply(connection,
                               xcb_get_property(connection, false, window, wmState, wmState, 0, 1),
                               nullptr),
        &std::free);
    if (state && state->format == 32 && xcb_get_property_value_length(state.get()) >= 4 &&
        *static_cast<const quint32 *>(xcb_get_property_value(state.get())) != 0)
        return false;
    Reply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr), &std::free);
    return tree && tree->parent == tree->root;
}

// What the window manager has shown of its frames so far, in its own (device) pixels. A manager
// draws the same frame around windows of one kind: the same title-bar buttons and border, the
// same dialog or main-window type.
struct FrameKnowledge {
    QHash<quint64, QMargins> byKind;
    QMargins last;
    bool any = false;
    // Set once the manager has left a request unanswered: it is never asked again.
    bool unanswered = false;
    // A stand-in is framed once at most: a manager that leaves it unframed is not waited for again.
    bool standInShown = false;
    // How many hidden windows in a row the manager kept longer than the game waits for it; after
    // three it is not waited for again.
    int keptHidden = 0;
};

FrameKnowledge &knowledge()
{
    static FrameKnowledge known;
    return known;
}

quint64 frameKind(const QWidget *window)
{
    const bool fixed = window->minimumSize() == window->maximumSize();
    const QWindow *handle = window->windowHandle();
    const bool owned = handle && handle->transientParent();
    return quint64(uint(window->windowFlags())) << 2 | quint64(fixed) << 1 | quint64(owned);
}

QMargins logical(const QMargins &device, const QWidget *window)
{
    // The X server counts device pixels; the window's geometry is in the scaled pixels the game
    // lays its windows out in.
    const qreal ratio = window->devicePixelRatioF();
    if (ratio == 1.0)
        return device;
    return QMargins(qRound(device.left() / ratio), qRound(device.top() / ratio),
                    qRound(device.right() / ratio), qRound(device.bottom() / ratio));
}

const QEvent::Type FrameEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

// Watches the frames the window manager puts around the game's windows: each new one is learnt
// for the windows of its kind and reported to its window.
class FrameWatch : public QAbstractNativeEventFilter {
public:
    FrameWatch(xcb_connection_t *connection)
        : m_connection(connection), m_extents(atom(connection, "_NET_FRAME_EXTENTS"))
    {
    }

    bool nativeEventFilter(const QByteArray &type, void *message, qintptr *) override
    {
        if (type != "xcb_generic_event_t")
            return false;
        auto *event = static_cast<xcb_generic_event_t *>(message);
        if (event->response_type == (XCB_CONFIGURE_NOTIFY | 0x80)) {
            // The place a window manager tells in its own configure notice is not always where
            // the window is (icewm tells a dialog 19 px below it, and Qt's clicks and menus then
            // miss): Qt is made to ask the X server, as it does for the server's own notices.
            const auto *configure = reinterpret_cast<const xcb_configure_notify_event_t *>(event);
            if (QWidget *window = QWidget::find(WId(configure->window));
                window && window->isWindow())
                event->response_type = XCB_CONFIGURE_NOTIFY;
            return false;
        }
        if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
            return false;
        const auto *notify = reinterpret_cast<const xcb_property_notify_event_t *>(event);
        if (notify->atom != m_extents || notify->state != XCB_PROPERTY_NEW_VALUE)
            return false;
        QWidget *window = QWidget::find(WId(notify->window));
        QMargins extents;
        if (!window || !readExtents(m_connection, notify->window, m_extents, extents))
            return false;
        // metacity and mutter answer the request for a dialog with "no frame", then frame it as
        // any other window: that answer, seen here too, is not learnt (the dialog would be centred
        // again without its frame and come up half a title bar too high).
        if (extents.isNull() && !window->windowFlags().testFlag(Qt::FramelessWindowHint))
            return false;
        FrameKnowledge &known = knowledge();
        known.byKind.insert(frameKind(window), extents);
        // A window without a frame says nothing about the others.
        if (!extents.isNull()) {
            known.last = extents;
            known.any = true;
        }
        QEvent frameEvent(FrameEvent);
        QCoreApplication::sendEvent(window, &frameEvent);
        return false;
    }

private:
    xcb_connection_t *m_connection;
    xcb_atom_t m_extents;
};

xcb_connection_t *x11Connection()
{
    // Only a window on X11 has a window manager to ask (the offscreen platform has an X11
    // interface too, without a connection).
    auto *x11 = qGuiApp && QGuiApplication::platformName() == QLatin1String("xcb")
                    ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>()
                    : nullptr;
    return x11 ? x11->connection() : nullptr;
}

// Asks the window manager for the frame it would put around the window, and waits a little for
// the answer; false when none came.
bool askFrame(xcb_connection_t *connection, xcb_window_t root, xcb_window_t id,
              xcb_atom_t extentsAtom, QMargins &extents)
{
    xcb_delete_property(connection, id, extentsAtom);
    xcb_client_message_event_t message = {};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = id;
    message.type = atom(connection, "_NET_REQUEST_FRAME_EXTENTS");
    xcb_send_event(connection, false, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&message));
    xcb_flush(connection);
    // A manager answers within a few milliseconds; it is asked once for each kind of window, and
    // the window is shown without waiting longer than a player would notice.
    const QDeadlineTimer deadline(120);
    while (!readExtents(connection, id, extentsAtom, extents)) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(2);
    }
    return true;
}

// Maps a window of the same kind as the given one, one pixel in size, at the centre of the screen,
// and learns the frame the window manager puts around it; then takes it away again. It does not
// take the focus, nor a place on the task bar.
void frameStandIn(xcb_connection_t *connection, QWidget *window, xcb_atom_t extentsAtom)
{
    const QWindow *handle = window->windowHandle();
    QScreen *screen = window->screen();
    if (!handle || !screen)
        return;
    QWindow standIn(screen);
    standIn.setFlags(handle->flags());
    standIn.setTransientParent(handle->transientParent());
    standIn.setMinimumSize(QSize(1, 1));
    if (window->minimumSize() == window->maximumSize())
        standIn.setMaximumSize(QSize(1, 1));
    standIn.setGeometry(QRect(screen->availableGeometry().center(), QSize(1, 1)));
    standIn.setProperty("_q_showWithoutActivating", true);
    standIn.create();
    const xcb_window_t id = xcb_window_t(standIn.winId());
    const xcb_atom_t state = atom(connection, "_NET_WM_STATE");
    const xcb_atom_t skip[] = {atom(connection, "_NET_WM_STATE_SKIP_TASKBAR"),
                               atom(connection, "_NET_WM_STATE_SKIP_PAGER")};
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, state, XCB_ATOM_ATOM, 32, 2, skip);
    standIn.show();
    xcb_flush(connection);
    QMargins extents;
    const QDeadlineTimer deadline(300);
    while (!readExtents(connection, id, extentsAtom, extents) || extents.isNull()) {
        if (deadline.hasExpired())
            return;
        QThread::msleep(2);
    }
    FrameKnowledge &known = knowledge();
    known.byKind.insert(frameKind(window), extents);
    known.last = extents;
    known.any = true;
}

int device(int logical, qreal ratio)
{
    return qRound(logical * ratio);
}

} // namespace

bool placeAgain(QWidget *window, QPoint topLeft)
{
    xcb_connection_t *connection = x11Connection();
    if (!connection || !window || !window->isWindow() ||
        !window->testAttribute(Qt::WA_WState_Created))
        return true;
    const xcb_window_t id = xcb_window_t(window->winId());
    FrameKnowledge &known = knowledge();
    if (known.keptHidden >= 3)
        return false;
    // Managers let go within a few milliseconds of the hiding, a busy mutter in some tens.
    const xcb_atom_t wmState = atom(connection, "WM_STATE");
    const QDeadlineTimer deadline(100);
    while (!withdrawn(connection, id, wmState)) {
        if (deadline.hasExpired()) {
            // Still in its frame: the window is left where the manager keeps it.
            ++known.keptHidden;
            return false;
        }
        QThread::msleep(1);
    }
    known.keptHidden = 0;
    // The place on the X server, whatever Qt has heard of it so far.
    Reply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, id), nullptr), &std::free);
    const qreal ratio = window->devicePixelRatioF();
    const quint32 place[] = {quint32(device(topLeft.x(), ratio)),
                             quint32(device(topLeft.y(), ratio))};
    if (geometry && geometry->x == qint16(place[0]) && geometry->y == qint16(place[1]))
        return true;
    xcb_configure_window(connection, id, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, place);
    xcb_flush(connection);
    return true;
}

QEvent::Type frameEventType()
{
    return FrameEvent;
}

QMargins frameExtents(QWidget *window)
{
    xcb_connection_t *connection = x11Connection();
    if (!connection || !window || !window->isWindow() ||
        window->windowFlags().testFlag(Qt::FramelessWindowHint))
        return {};
    static FrameWatch *watch = nullptr;
    if (!watch) {
        watch = new FrameWatch(connection);
        qGuiApp->installNativeEventFilter(watch);
    }
    FrameKnowledge &known = knowledge();
    const auto seen = known.byKind.constFind(frameKind(window));
    if (seen != known.byKind.cend())
        return logical(*seen, window);

    const xcb_atom_t extentsAtom = atom(connection, "_NET_FRAME_EXTENTS");
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    // A manager that does not offer the request (KWin), or left it unanswered before (fluxbox
    // offers it and never answers), is not asked again.
    if (!known.unanswered && screen &&
        supported(connection, screen->root, atom(connection, "_NET_REQUEST_FRAME_EXTENTS"))) {
        QMargins extents;
        if (askFrame(connection, screen->root, xcb_window_t(window->winId()), extentsAtom,
                     extents)) {
            // metacity and mutter answer "no frame" for a dialog they then frame as any other
            // window: such an answer for a window that has a frame is not believed.
            if (extents.isNull())
                return known.any ? logical(known.last, window) : QMargins();
            known.byKind.insert(frameKind(window), extents);
            return logical(extents, window);
        }
        known.unanswered = true;
    }
    // Such a manager tells a frame only once it has put it around a window. Before the first
    // window it frames (if it tells frames at all), a stand-in of the same kind is framed for a
    // moment at the screen's centre (where the game's splash window covers it); later windows get
    // the frame the manager last put around any window, and are placed again once their own frame
    // is known.
    if (!known.any && !known.standInShown && screen &&
        supported(connection, screen->root, extentsAtom)) {
        known.standInShown = true;
        frameStandIn(connection, window, extentsAtom);
    }
    return known.any ? logical(known.last, window) : QMargins();
}

} // namespace toolkit
