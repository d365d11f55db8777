#include "views/panel/IslandPanelWindowSystem.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QWindow>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace moravel {

namespace {

bool isMoravelWindow(WindowId id)
{
    if (id == 0)
        return false;
    const QWindowList windows = QGuiApplication::allWindows();
    return std::any_of(windows.begin(), windows.end(),
                       [id](QWindow* window) { return window->handle() && window->winId() == id; });
}

// Without X11 nothing is known of other windows.
class ToolkitOnlyWindowSystem final : public WindowSystem {
public:
    ActiveWindow activeWindow() const override { return {}; }
    bool moravelHasFocus() const override { return QGuiApplication::focusWindow() != nullptr; }
    void activate(WindowId) override {}
};

template <typename Reply>
using ReplyPointer = std::unique_ptr<Reply, decltype(&std::free)>;

template <typename Reply>
ReplyPointer<Reply> adopt(Reply* reply)
{
    return ReplyPointer<Reply>(reply, &std::free);
}

class X11WindowSystem final : public WindowSystem, public QAbstractNativeEventFilter {
public:
    X11WindowSystem(xcb_connection_t* connection, xcb_window_t root) : connection_(connection), root_(root)
    {
        activeWindowAtom_ = internAtom("_NET_ACTIVE_WINDOW");
        stateAtom_ = internAtom("_NET_WM_STATE");
        fullscreenAtom_ = internAtom("_NET_WM_STATE_FULLSCREEN");
        // Qt already follows the root's properties; adding to its mask keeps whatever it asked for.
        addEventMask(root_, XCB_EVENT_MASK_PROPERTY_CHANGE);
        QCoreApplication::instance()->installNativeEventFilter(this);
        refresh();
    }

    ~X11WindowSystem() override
    {
        if (QCoreApplication::instance())
            QCoreApplication::instance()->removeNativeEventFilter(this);
        follow(0);
        xcb_flush(connection_);
    }

    ActiveWindow activeWindow() const override { return active_; }

    bool moravelHasFocus() const override
    {
        // The server's answer, not the toolkit's: Qt learns of a lost focus only a moment later.
        const auto reply = adopt(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
        return reply && isMoravelWindow(reply->focus);
    }

    void activate(WindowId window) override
    {
        // Source indication 2 (a pager): window managers grant it without
        // their focus-stealing prevention. No timestamp: one older than the
        // island's own activation would make the server ignore the change.
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = window;
        message.type = activeWindowAtom_;
        message.data.data32[0] = 2;
        message.data.data32[1] = XCB_CURRENT_TIME;
        message.data.data32[2] = active_.id;
        xcb_send_event(connection_, 0, root_,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&message));
        xcb_flush(connection_);
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        if (eventType != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
            return false;
        const auto* notify = reinterpret_cast<const xcb_property_notify_event_t*>(event);
        const bool activeChanged = notify->window == root_ && notify->atom == activeWindowAtom_;
        const bool stateChanged = notify->window == followed_ && notify->atom == stateAtom_;
        if (activeChanged || stateChanged)
            refresh();
        return false;  // Qt reads the root's properties too
    }

private:
    xcb_atom_t internAtom(const char* name)
    {
        const auto reply = adopt(xcb_intern_atom_reply(
            connection_, xcb_intern_atom(connection_, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr));
        return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    }

    void addEventMask(xcb_window_t window, uint32_t mask)
    {
        const auto attributes = adopt(xcb_get_window_attributes_reply(
            connection_, xcb_get_window_attributes(connection_, window), nullptr));
        if (!attributes)
            return;
        setEventMask(window, attributes->your_event_mask | mask);
    }

    void setEventMask(xcb_window_t window, uint32_t mask)
    {
        // Checked, so that a window that has just gone away costs no warning.
        const xcb_void_cookie_t cookie =
            xcb_change_window_attributes_checked(connection_, window, XCB_CW_EVENT_MASK, &mask);
        std::free(xcb_request_check(connection_, cookie));
    }

    // Listens to the property changes of the active window (another client's;
    // Moravel's own windows keep the masks Qt gave them).
    void follow(WindowId window)
    {
        if (window == followed_)
            return;
        if (followed_ != 0)
            setEventMask(followed_, XCB_EVENT_MASK_NO_EVENT);
        followed_ = 0;
        if (window != 0 && !isMoravelWindow(window)) {
            followed_ = window;
            setEventMask(window, XCB_EVENT_MASK_PROPERTY_CHANGE);
        }
    }

    WindowId readActiveWindowId()
    {
        const auto reply = adopt(xcb_get_property_reply(
            connection_, xcb_get_property(connection_, 0, root_, activeWindowAtom_, XCB_ATOM_WINDOW, 0, 1), nullptr));
        if (!reply || xcb_get_property_value_length(reply.get()) < 4)
            return 0;
        return *static_cast<const xcb_window_t*>(xcb_get_property_value(reply.get()));
    }

    bool readIsFullscreen(WindowId window)
    {
        const auto reply = adopt(xcb_get_property_reply(
            connection_, xcb_get_property(connection_, 0, window, stateAtom_, XCB_ATOM_ATOM, 0, 32), nullptr));
        if (!reply)
            return false;
        const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
        const int count = xcb_get_property_value_length(reply.get()) / 4;
        return std::find(atoms, atoms + count, fullscreenAtom_) != atoms + count;
    }

    QRect readFrame(WindowId window)
    {
        const auto geometry =
            adopt(xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window), nullptr));
        const auto origin = adopt(xcb_translate_coordinates_reply(
            connection_, xcb_translate_coordinates(connection_, window, root_, 0, 0), nullptr));
        if (!geometry || !origin)
            return {};
        return QRect(origin->dst_x, origin->dst_y, geometry->width, geometry->height);
    }

    void refresh()
    {
        const WindowId id = readActiveWindowId();
        follow(id);
        ActiveWindow active;
        active.id = id;
        if (id != 0) {
            active.isMoravel = isMoravelWindow(id);
            active.isFullscreen = !active.isMoravel && readIsFullscreen(id);
            if (active.isFullscreen)
                active.frame = readFrame(id);
        }
        if (active == active_)
            return;
        active_ = active;
        emit activeWindowChanged();
    }

    xcb_connection_t* connection_;
    xcb_window_t root_;
    xcb_atom_t activeWindowAtom_ = XCB_ATOM_NONE;
    xcb_atom_t stateAtom_ = XCB_ATOM_NONE;
    xcb_atom_t fullscreenAtom_ = XCB_ATOM_NONE;
    WindowId followed_ = 0;
    ActiveWindow active_;
};

}  // namespace

std::unique_ptr<WindowSystem> makeWindowSystem()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return std::make_unique<ToolkitOnlyWindowSystem>();
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    return std::make_unique<X11WindowSystem>(connection, screen->root);
}

}  // namespace moravel
