#include "views/settings/PointerPressWatcher.h"

#include <QAbstractNativeEventFilter>
#include <QCursor>
#include <QGuiApplication>

#include <xcb/xcb.h>
#include <xcb/xinput.h>

namespace moravel {

class PointerPressWatcher::X11Listener final : public QAbstractNativeEventFilter {
public:
    X11Listener(PointerPressWatcher& owner, xcb_connection_t* connection, uint8_t inputOpcode)
        : owner_(owner), connection_(connection), inputOpcode_(inputOpcode),
          root_(xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root)
    {
        // Raw events are only selected on the root window, and for the master
        // devices here, which leaves the selections Qt made for all devices alone.
        select(XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS);
        QCoreApplication::instance()->installNativeEventFilter(this);
    }

    ~X11Listener() override
    {
        QCoreApplication::instance()->removeNativeEventFilter(this);
        select(0);
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        if (eventType != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_ge_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_GE_GENERIC || event->extension != inputOpcode_ ||
            event->event_type != XCB_INPUT_RAW_BUTTON_PRESS)
            return false;
        const auto* press = reinterpret_cast<const xcb_input_raw_button_press_event_t*>(event);
        // Buttons 4 to 7 are the scroll wheel.
        if (press->detail >= 1 && press->detail <= 3)
            emit owner_.pressed(QCursor::pos());
        return true;  // Qt asked for no raw events and has no use for them
    }

private:
    void select(uint32_t mask)
    {
        struct {
            xcb_input_event_mask_t header;
            uint32_t mask;
        } selection{{XCB_INPUT_DEVICE_ALL_MASTER, 1}, mask};
        xcb_input_xi_select_events(connection_, root_, 1, &selection.header);
        xcb_flush(connection_);
    }

    PointerPressWatcher& owner_;
    xcb_connection_t* connection_;
    uint8_t inputOpcode_;
    xcb_window_t root_;
};

PointerPressWatcher::PointerPressWatcher(QObject* parent) : QObject(parent)
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return;
    const xcb_query_extension_reply_t* input = xcb_get_extension_data(connection, &xcb_input_id);
    if (input && input->present)
        listener_ = std::make_unique<X11Listener>(*this, connection, input->major_opcode);
}

PointerPressWatcher::~PointerPressWatcher() = default;

}  // namespace moravel
