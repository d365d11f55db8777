#include "views/panel/IslandPanelWindowSystem.h"

#include "views/panel/X11Properties.h"
#include "views/panel/X11Reservations.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QSet>
#include <QWindow>

#include <xcb/xinput.h>

#include <algorithm>

namespace moravel {

namespace {

using x11::adopt;

QWindow* moravelWindow(WindowId id)
{
    if (id == 0)
        return nullptr;
    const QWindowList windows = QGuiApplication::allWindows();
    const auto found = std::find_if(windows.begin(), windows.end(),
                                    [id](QWindow* window) { return window->handle() && window->winId() == id; });
    return found == windows.end() ? nullptr : *found;
}

bool isMoravelWindow(WindowId id)
{
    return moravelWindow(id) != nullptr;
}

// The keyboard leaving all of Moravel's windows, as the toolkit sees it (it
// waits a moment, so a move between two of Moravel's windows does not count).
void reportKeyboardLeaving(WindowSystem& windows)
{
    QObject::connect(qGuiApp, &QGuiApplication::focusWindowChanged, &windows, [&windows](QWindow* window) {
        if (!window)
            emit windows.keyboardLeftMoravel();
    });
}

// Without X11 nothing is known of other windows.
class ToolkitOnlyWindowSystem final : public WindowSystem {
public:
    ToolkitOnlyWindowSystem() { reportKeyboardLeaving(*this); }

    ActiveWindow activeWindow() const override { return {}; }
    bool moravelHasFocus() const override { return QGuiApplication::focusWindow() != nullptr; }
    void activate(WindowId) override {}
    void takeKeyboard(WindowId window) override
    {
        if (QWindow* own = moravelWindow(window))
            own->requestActivate();
    }
    void releaseKeyboard() override {}
    QString windowManagerName() const override { return {}; }
    std::optional<DesktopReservations> reservations() const override { return std::nullopt; }
    void setStrut(WindowId, const std::optional<Strut>&) override {}
};

class X11WindowSystem final : public WindowSystem, public QAbstractNativeEventFilter {
public:
    X11WindowSystem(xcb_connection_t* connection, xcb_window_t root)
        : connection_(connection), root_(root), reservationReader_(connection, root, &isMoravelWindow)
    {
        const auto atom = [this](const char* name) { return x11::internAtom(connection_, name); };
        activeWindowAtom_ = atom("_NET_ACTIVE_WINDOW");
        stateAtom_ = atom("_NET_WM_STATE");
        fullscreenAtom_ = atom("_NET_WM_STATE_FULLSCREEN");
        strutPartialAtom_ = atom("_NET_WM_STRUT_PARTIAL");
        if (const xcb_query_extension_reply_t* input = xcb_get_extension_data(connection_, &xcb_input_id);
            input && input->present)
            inputOpcode_ = input->major_opcode;
        windowManagerName_ = readWindowManagerName();
        // Qt already follows the root's properties; adding to its mask keeps whatever it asked for.
        addEventMask(root_, XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY);
        QCoreApplication::instance()->installNativeEventFilter(this);
        refreshActive();
        refreshReservations();
        reportKeyboardLeaving(*this);
    }

    ~X11WindowSystem() override
    {
        if (QCoreApplication::instance())
            QCoreApplication::instance()->removeNativeEventFilter(this);
        watch({});
        xcb_flush(connection_);
    }

    ActiveWindow activeWindow() const override { return active_; }
    QString windowManagerName() const override { return windowManagerName_; }
    std::optional<DesktopReservations> reservations() const override { return reservations_; }

    bool moravelHasFocus() const override
    {
        // The server's answer, not the toolkit's: Qt learns of a lost focus only a moment later.
        const auto reply = adopt(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
        return reply && isMoravelWindow(reply->focus);
    }

    void activate(WindowId window) override
    {
        // No timestamp: one older than the island's own activation would
        // make the server ignore the change.
        requestActivation(window, XCB_CURRENT_TIME);
    }

    void takeKeyboard(WindowId window) override
    {
        // A window the window manager does not manage (the settings) is
        // given the keyboard directly; the toolkit does that.
        if (QWindow* own = moravelWindow(window); own && own->flags().testFlag(Qt::X11BypassWindowManagerHint)) {
            own->requestActivate();
            return;
        }
        // With the time of the press, as a pager would: KWin refuses a dock
        // the keyboard otherwise.
        requestActivation(window, lastPressTime_);
    }

    void releaseKeyboard() override
    {
        // Withdrawing the focused window and showing it again makes the
        // window manager give the keyboard to the window it knows had it
        // before (mutter: the Wayland window). Setting the focus to none or
        // to the pointer's window leaves it nowhere under XWayland.
        const auto focus = adopt(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
        if (!focus || !isMoravelWindow(focus->focus))
            return;
        xcb_unmap_window(connection_, focus->focus);
        xcb_map_window(connection_, focus->focus);
        xcb_flush(connection_);
    }

    void setStrut(WindowId window, const std::optional<Strut>& strut) override
    {
        if (strut) {
            const QList<quint32> values = strut->toPartial();
            xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window, strutPartialAtom_, XCB_ATOM_CARDINAL, 32,
                                static_cast<uint32_t>(values.size()), values.constData());
        } else {
            xcb_delete_property(connection_, window, strutPartialAtom_);
        }
        xcb_flush(connection_);
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        if (eventType != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        switch (event->response_type & 0x7f) {
        case XCB_PROPERTY_NOTIFY:
            propertyChanged(*reinterpret_cast<const xcb_property_notify_event_t*>(event));
            break;
        case XCB_MAP_NOTIFY: {
            const auto* map = reinterpret_cast<const xcb_map_notify_event_t*>(event);
            // Menus and tooltips come and go all the time, reserve nothing,
            // and belong above the island.
            if (!map->override_redirect)
                topLevelChanged(map->event, map->window, true);
            break;
        }
        case XCB_UNMAP_NOTIFY:
            topLevelChanged(reinterpret_cast<const xcb_unmap_notify_event_t*>(event)->event,
                            reinterpret_cast<const xcb_unmap_notify_event_t*>(event)->window, false);
            break;
        case XCB_DESTROY_NOTIFY:
            topLevelChanged(reinterpret_cast<const xcb_destroy_notify_event_t*>(event)->event,
                            reinterpret_cast<const xcb_destroy_notify_event_t*>(event)->window, false);
            break;
        case XCB_CONFIGURE_NOTIFY: {
            const auto* configure = reinterpret_cast<const xcb_configure_notify_event_t*>(event);
            if (configure->event == root_ && !configure->override_redirect && !isMoravelWindow(configure->window))
                emit stackingChanged();
            break;
        }
        case XCB_BUTTON_PRESS:
            lastPressTime_ = reinterpret_cast<const xcb_button_press_event_t*>(event)->time;
            break;
        case XCB_GE_GENERIC: {
            const auto* generic = reinterpret_cast<const xcb_ge_generic_event_t*>(event);
            if (inputOpcode_ != 0 && generic->extension == inputOpcode_ &&
                generic->event_type == XCB_INPUT_BUTTON_PRESS)
                lastPressTime_ = reinterpret_cast<const xcb_input_button_press_event_t*>(event)->time;
            break;
        }
        default:
            break;
        }
        return false;  // Qt reads these events too
    }

private:
    void requestActivation(WindowId window, xcb_timestamp_t time)
    {
        // Source indication 2 (a pager): window managers grant it without
        // their focus-stealing prevention.
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = window;
        message.type = activeWindowAtom_;
        message.data.data32[0] = 2;
        message.data.data32[1] = time;
        message.data.data32[2] = active_.id;
        xcb_send_event(connection_, 0, root_,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&message));
        xcb_flush(connection_);
    }

    void propertyChanged(const xcb_property_notify_event_t& notify)
    {
        if (notify.window == root_ && notify.atom == activeWindowAtom_)
            refreshActive();
        else if (reservationReader_.concerns(notify.window, notify.atom))
            scheduleReservationsRefresh();
        else if (notify.window == active_.id && notify.atom == stateAtom_)
            refreshActive();
    }

    void topLevelChanged(xcb_window_t parent, xcb_window_t window, bool mapped)
    {
        if (parent != root_ || isMoravelWindow(window) || (!mapped && reservationReader_.isOverrideRedirect(window)))
            return;
        // A dock that is not in the client list (i3bar under i3) counts too.
        scheduleReservationsRefresh();
        if (mapped)
            emit stackingChanged();
    }

    QString readWindowManagerName()
    {
        const QList<quint32> check = x11::cardinals(
            connection_,
            x11::requestCardinals(connection_, root_, x11::internAtom(connection_, "_NET_SUPPORTING_WM_CHECK"),
                                  XCB_ATOM_WINDOW, 1));
        if (check.isEmpty())
            return {};
        return QString::fromUtf8(x11::text(connection_, check.first(), x11::internAtom(connection_, "_NET_WM_NAME")));
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

    // Listens to the property changes of these windows (other clients';
    // Moravel's own windows keep the masks Qt gave them), and no longer to
    // those of the windows it listened to before.
    void watch(QSet<WindowId> windows)
    {
        windows.remove(0);
        for (WindowId window : std::as_const(watched_)) {
            if (!windows.contains(window))
                setEventMask(window, XCB_EVENT_MASK_NO_EVENT);
        }
        for (WindowId window : std::as_const(windows)) {
            if (!watched_.contains(window))
                setEventMask(window, XCB_EVENT_MASK_PROPERTY_CHANGE);
        }
        watched_ = std::move(windows);
    }

    void rewatch()
    {
        QSet<WindowId> windows = reservationReader_.candidates();
        if (!active_.isMoravel)
            windows.insert(active_.id);
        watch(std::move(windows));
    }

    bool readIsFullscreen(WindowId window)
    {
        const QList<quint32> states =
            x11::cardinals(connection_, x11::requestCardinals(connection_, window, stateAtom_, XCB_ATOM_ATOM, 32));
        return states.contains(fullscreenAtom_);
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

    void refreshActive()
    {
        const QList<quint32> ids = x11::cardinals(
            connection_, x11::requestCardinals(connection_, root_, activeWindowAtom_, XCB_ATOM_WINDOW, 1));
        ActiveWindow active;
        active.id = ids.value(0, 0);
        if (active.id != 0) {
            active.isMoravel = isMoravelWindow(active.id);
            active.isFullscreen = !active.isMoravel && readIsFullscreen(active.id);
            if (active.isFullscreen)
                active.frame = readFrame(active.id);
        }
        const bool changed = active != active_;
        active_ = active;
        rewatch();
        if (changed)
            emit activeWindowChanged();
    }

    // Property changes come in bursts (a panel sets several at once): read once for all.
    void scheduleReservationsRefresh()
    {
        if (std::exchange(refreshPending_, true))
            return;
        QMetaObject::invokeMethod(
            this,
            [this] {
                refreshPending_ = false;
                refreshReservations();
            },
            Qt::QueuedConnection);
    }

    void refreshReservations()
    {
        DesktopReservations reservations = reservationReader_.read();
        rewatch();
        if (reservations == reservations_)
            return;
        reservations_ = std::move(reservations);
        emit reservationsChanged();
    }

    xcb_connection_t* connection_;
    xcb_window_t root_;
    uint8_t inputOpcode_ = 0;
    xcb_atom_t activeWindowAtom_ = XCB_ATOM_NONE;
    xcb_atom_t stateAtom_ = XCB_ATOM_NONE;
    xcb_atom_t fullscreenAtom_ = XCB_ATOM_NONE;
    xcb_atom_t strutPartialAtom_ = XCB_ATOM_NONE;  // for Moravel's own strut
    xcb_timestamp_t lastPressTime_ = XCB_CURRENT_TIME;
    QString windowManagerName_;
    ActiveWindow active_;
    X11Reservations reservationReader_;
    std::optional<DesktopReservations> reservations_;
    QSet<WindowId> watched_;
    bool refreshPending_ = false;
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
