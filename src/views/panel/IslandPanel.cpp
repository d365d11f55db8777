#include "views/panel/IslandPanel.h"

#include "views/kit/AccessibleParts.h"
#include "views/panel/X11Properties.h"

#include <QGuiApplication>

#include <xcb/xcb.h>

#include <array>

namespace moravel {

namespace {

// The island as a whole: a window named "Moravel" whose description is the verdict.
class IslandPanelAccessible final : public QAccessibleWidget {
public:
    explicit IslandPanelAccessible(QWidget* panel) : QAccessibleWidget(panel, QAccessible::Window) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Description)
            return static_cast<const IslandPanel*>(widget())->verdict();
        return QAccessibleWidget::text(t);
    }
};

}  // namespace

IslandPanel::IslandPanel(IslandWindowMode mode, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::NoDropShadowWindowHint |
                          (mode == IslandWindowMode::unmanaged ? Qt::X11BypassWindowManagerHint : Qt::Widget)),
      mode_(mode)
{
    // Before anything asks for the interface (naming the window does).
    IslandAccessibility::provide(staticMetaObject,
                                 [](QWidget* panel) -> QAccessibleInterface* { return new IslandPanelAccessible(panel); });
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    if (mode == IslandWindowMode::dock)
        setAttribute(Qt::WA_X11NetWmWindowTypeDock);
    setWindowTitle(QStringLiteral("Moravel"));
    setFocusPolicy(Qt::ClickFocus);
}

void IslandPanel::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    emit resized();
}

void IslandPanel::orderFront()
{
    // The window must exist, unmapped, before its states are set: window
    // managers read them when the window is first mapped.
    winId();
    setX11WindowProperties();
    show();
    raise();
}

void IslandPanel::setX11WindowProperties()
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection() || mode_ == IslandWindowMode::unmanaged)
        return;
    xcb_connection_t* connection = x11->connection();
    const auto window = static_cast<xcb_window_t>(winId());

    const xcb_atom_t type = x11::internAtom(connection, "_NET_WM_WINDOW_TYPE");
    const xcb_atom_t dock = x11::internAtom(connection, "_NET_WM_WINDOW_TYPE_DOCK");
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, type, XCB_ATOM_ATOM, 32, 1, &dock);

    const std::array<xcb_atom_t, 4> states{x11::internAtom(connection, "_NET_WM_STATE_ABOVE"),
                                           x11::internAtom(connection, "_NET_WM_STATE_STICKY"),
                                           x11::internAtom(connection, "_NET_WM_STATE_SKIP_TASKBAR"),
                                           x11::internAtom(connection, "_NET_WM_STATE_SKIP_PAGER")};
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, x11::internAtom(connection, "_NET_WM_STATE"),
                        XCB_ATOM_ATOM, 32, static_cast<uint32_t>(states.size()), states.data());

    // On every workspace.
    const uint32_t allDesktops = 0xFFFFFFFF;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, x11::internAtom(connection, "_NET_WM_DESKTOP"),
                        XCB_ATOM_CARDINAL, 32, 1, &allDesktops);
    xcb_flush(connection);
}

}  // namespace moravel
