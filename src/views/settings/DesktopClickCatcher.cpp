#include "views/settings/DesktopClickCatcher.h"

#include <QGuiApplication>
#include <QMouseEvent>

namespace moravel {

bool DesktopClickCatcher::isNeeded()
{
    return QGuiApplication::platformName() == QLatin1StringView("xcb") && qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
}

DesktopClickCatcher::DesktopClickCatcher(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint | Qt::WindowDoesNotAcceptFocus)
{
    setWindowTitle(QStringLiteral("Moravel Desktop"));
    setAttribute(Qt::WA_X11NetWmWindowTypeDesktop);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
}

void DesktopClickCatcher::mousePressEvent(QMouseEvent* event)
{
    emit pressed(event->globalPosition().toPoint());
}

}  // namespace moravel
