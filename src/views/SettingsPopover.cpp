#include "views/SettingsPopover.h"

#include "views/IslandPalette.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>

namespace moravel {

SettingsPopover::SettingsPopover(QWidget* content, QWidget* parent)
    : QWidget(parent, Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint), content_(content)
{
    setAttribute(Qt::WA_TranslucentBackground);
    // A click on the settings button while the popup is open only closes it;
    // replaying that click would toggle the settings straight back open.
    setAttribute(Qt::WA_NoMouseReplay);
    scrollArea_ = new QScrollArea(this);
    scrollArea_->setFrameShape(QFrame::NoFrame);
    scrollArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scrollArea_->setAttribute(Qt::WA_TranslucentBackground);
    scrollArea_->viewport()->setAutoFillBackground(false);
    scrollArea_->setWidget(content_);
    content_->setAutoFillBackground(false);
    // The settings grow and shrink with their status lines: follow them.
    content_->installEventFilter(this);
    fitToContent();
}

void SettingsPopover::fitToContent()
{
    if (!content_)
        return;
    const QSize wanted = content_->size().isEmpty() ? content_->sizeHint() : content_->size();
    content_->resize(wanted);
    const int height = std::min(wanted.height(), maximumHeight_);
    const int scrollBar = height < wanted.height() ? scrollArea_->verticalScrollBar()->sizeHint().width() : 0;
    resize(wanted.width() + scrollBar, height);
    scrollArea_->setGeometry(rect());
}

bool SettingsPopover::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == content_ && event->type() == QEvent::Resize)
        fitToContent();
    return QWidget::eventFilter(watched, event);
}

void SettingsPopover::popUp(const QPoint& anchorBottomCentre)
{
    QPoint topLeft(anchorBottomCentre.x() - width() / 2, anchorBottomCentre.y() + gap);
    if (const QScreen* screen = QGuiApplication::screenAt(anchorBottomCentre)) {
        const QRect area = screen->availableGeometry();
        maximumHeight_ = std::max(120, area.bottom() + 1 - topLeft.y() - gap);
        fitToContent();
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
