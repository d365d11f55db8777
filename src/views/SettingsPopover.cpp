#include "views/SettingsPopover.h"

#include "views/IslandPalette.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include <algorithm>

namespace moravel {

SettingsPopover::SettingsPopover(QWidget* content, QWidget* parent)
    : QWidget(parent, Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint), content_(content)
{
    setAttribute(Qt::WA_TranslucentBackground);
    // A click on the settings button while the popup is open only closes it;
    // replaying that click would toggle the settings straight back open.
    setAttribute(Qt::WA_NoMouseReplay);
    content_->setParent(this);
    content_->move(0, 0);
    resize(content_->sizeHint());
    content_->resize(size());
}

void SettingsPopover::popUp(const QPoint& anchorBottomCentre)
{
    QPoint topLeft(anchorBottomCentre.x() - width() / 2, anchorBottomCentre.y() + gap);
    if (const QScreen* screen = QGuiApplication::screenAt(anchorBottomCentre)) {
        const QRect area = screen->availableGeometry();
        topLeft.setX(std::clamp(topLeft.x(), area.left(), std::max(area.left(), area.right() + 1 - width())));
    }
    move(topLeft);
    show();
    raise();
}

void SettingsPopover::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    emit dismissed();
}

}  // namespace moravel
