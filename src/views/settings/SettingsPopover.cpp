#include "views/settings/SettingsPopover.h"

#include "views/kit/IslandPalette.h"
#include "views/settings/DesktopClickCatcher.h"
#include "views/settings/PointerPressWatcher.h"
#include "views/settings/SettingsStyle.h"

#include "views/kit/IslandScale.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QWindow>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>

namespace moravel {

namespace {

using SettingsStyle::styleSheetColor;

// A thin bar in the island's colours, not the style's light default: a black
// track and a handle of the secondary text colour, without arrows.
QString darkScrollBarStyle()
{
    return QStringLiteral("QScrollBar:vertical { background: %1; width: 8px; margin: 0; border: none; }"
                          "QScrollBar::handle:vertical { background: %2; min-height: 24px; border-radius: 3px;"
                          " margin: 1px; }"
                          "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; border: none; }"
                          "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }")
        .arg(styleSheetColor(IslandPalette::background()),
             styleSheetColor(IslandPalette::withOpacity(IslandPalette::secondary(), 0.6)));
}

constexpr int kRadius = 12;
constexpr int kArrowHeight = 8;
constexpr int kArrowHalfWidth = 9;
constexpr int kShadow = 12;  // the margin the shadow is drawn in
constexpr int kFooterTop = 10;
constexpr int kFooterBottom = 14;
constexpr int kShortestPanel = 160;

// Whether windows are blended by a compositor, so that a window's
// transparent pixels show what lies beneath. An X server without one
// (its manager owns no _NET_WM_CM_S0 selection) shows them black.
bool windowsAreComposited()
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return true;
    xcb_connection_t* connection = x11->connection();
    const QByteArray name("_NET_WM_CM_S0");
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 1, static_cast<uint16_t>(name.size()), name.constData()), nullptr);
    if (!atom)
        return false;
    xcb_get_selection_owner_reply_t* owner =
        atom->atom == XCB_ATOM_NONE
            ? nullptr
            : xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom->atom), nullptr);
    const bool owned = owner && owner->owner != XCB_NONE;
    std::free(owner);
    std::free(atom);
    return owned;
}

}  // namespace

SettingsPopover::SettingsPopover(QWidget* content, QWidget* parent, QWidget* opener, QWidget* footer)
    // Placed by Moravel, not by the window manager, and never focused by it:
    // the keyboard stays with the island, which routes Escape here.
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint |
                          Qt::WindowStaysOnTopHint | Qt::NoDropShadowWindowHint),
      content_(content), footer_(footer), opener_(opener), translucent_(windowsAreComposited())
{
    setWindowTitle(QStringLiteral("Moravel Settings"));
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    scrollArea_ = new QScrollArea(this);
    scrollArea_->setFrameShape(QFrame::NoFrame);
    scrollArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scrollArea_->verticalScrollBar()->setStyleSheet(darkScrollBarStyle());
    scrollArea_->setAttribute(Qt::WA_TranslucentBackground);
    scrollArea_->viewport()->setAutoFillBackground(false);
    scrollArea_->setWidget(content_);
    content_->setAutoFillBackground(false);
    // The settings grow and shrink with their status lines: follow them.
    content_->installEventFilter(this);
    if (footer_) {
        footer_->setParent(this);
        footer_->installEventFilter(this);
    }
    fitToContent();
}

SettingsPopover::~SettingsPopover() = default;

void SettingsPopover::fitToContent()
{
    if (!content_)
        return;
    const QSize wanted = content_->size().isEmpty() ? content_->sizeHint() : content_->size();
    content_->resize(wanted);
    const bool hasFooter = footer_ && !footer_->isHidden();
    const QSize footer = hasFooter ? footer_->sizeHint() : QSize();
    const int footerRoom = hasFooter ? footer.height() + pxInt(kFooterTop) + pxInt(kFooterBottom) : 0;
    const int margin = translucent_ ? pxInt(kShadow) : 0;
    const int arrow = pxInt(kArrowHeight);

    int panelHeight = wanted.height() + footerRoom + 2;
    if (!area_.isEmpty()) {
        const int room = area_.bottom() + 1 - margin - (top_ + gap + arrow);
        panelHeight = std::min(panelHeight, std::max(pxInt(kShortestPanel), room));
    }
    const int scrollHeight = panelHeight - footerRoom - 2;
    const int scrollBar = scrollHeight < wanted.height() ? scrollArea_->verticalScrollBar()->sizeHint().width() : 0;
    const int panelWidth = wanted.width() + scrollBar + 2;
    panel_ = QRect(margin, arrow, panelWidth, panelHeight);
    resize(panelWidth + 2 * margin, arrow + panelHeight + margin);

    const QRect scrolled(panel_.left() + 1, panel_.top() + 1, panelWidth - 2, scrollHeight);
    scrollArea_->setGeometry(scrolled);
    // The column's corners are square: cut them to the panel's.
    scrollArea_->setMask(QRegion(localOutline().toFillPolygon().toPolygon()).translated(-scrolled.topLeft()));
    if (hasFooter)
        footer_->setGeometry(QRect(QPoint(scrolled.left() + (wanted.width() - footer.width()) / 2,
                                          scrolled.bottom() + 1 + pxInt(kFooterTop)),
                                   footer));

    // Hanging from the anchor: the arrow under its centre, the right edge
    // just past it; inside the area, the arrow as near as it can be.
    const int radius = pxInt(kRadius);
    const int halfArrow = pxInt(kArrowHalfWidth);
    const int anchorX = anchor_.isNull() ? x() + width() / 2 : anchor_.center().x();
    int left = anchorX + halfArrow + radius + pxInt(6) - panelWidth - margin;
    if (!area_.isEmpty())
        left = std::clamp(left, area_.left(), std::max(area_.left(), area_.right() + 1 - width()));
    arrowX_ = std::clamp(anchorX - left, panel_.left() + radius + halfArrow, panel_.right() - radius - halfArrow);
    if (!anchor_.isNull())
        move(left, top_ + gap);
    if (translucent_)
        clearMask();
    else
        setMask(QRegion(localOutline().toFillPolygon().toPolygon()));
    update();
}

QPainterPath SettingsPopover::localOutline() const
{
    const QRectF panel = QRectF(panel_).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath outline;
    outline.addRoundedRect(panel, pxInt(kRadius), pxInt(kRadius));
    QPainterPath arrow;
    const double halfArrow = pxInt(kArrowHalfWidth);
    arrow.moveTo(arrowX_ - halfArrow, panel.top() + 1);
    arrow.lineTo(arrowX_ + 0.5, 0.5);
    arrow.lineTo(arrowX_ + 1 + halfArrow, panel.top() + 1);
    arrow.closeSubpath();
    return outline.united(arrow);
}

QPainterPath SettingsPopover::outline() const
{
    return localOutline().translated(pos());
}

QRect SettingsPopover::panelGeometry() const
{
    return panel_.translated(pos());
}

QPoint SettingsPopover::arrowTip() const
{
    return pos() + QPoint(arrowX_, 0);
}

void SettingsPopover::placeAt(const QRect& anchor, int top, const QRect& area)
{
    anchor_ = anchor;
    top_ = top;
    area_ = area;
    fitToContent();
}

void SettingsPopover::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    if (translucent_) {
        // Soft and mostly below, as if lifted off the island.
        const int margin = pxInt(kShadow);
        for (int spread = margin; spread > 0; --spread) {
            QPainterPath layer;
            layer.addRoundedRect(QRectF(panel_.translated(0, margin / 3)).adjusted(-spread, -spread, spread, spread),
                                 pxInt(kRadius) + spread, pxInt(kRadius) + spread);
            painter.fillPath(layer, QColor(0, 0, 0, 9));
        }
    }
    const QPainterPath outline = localOutline();
    painter.fillPath(outline, IslandPalette::background());
    painter.strokePath(outline, QPen(IslandPalette::edge(), 1));
    if (footer_ && !footer_->isHidden()) {
        const int y = scrollArea_->geometry().bottom() + 1;
        painter.fillRect(QRect(panel_.left() + 1, y, panel_.width() - 2, 1), IslandPalette::divider());
    }
}

void SettingsPopover::pointerPressed(const QPoint& globalPosition)
{
    // An open menu of the settings (the default tab's) may reach past them
    // and closes on its own.
    if (outline().contains(globalPosition) || QApplication::activePopupWidget())
        return;
    if (opener_ && QRect(opener_->mapToGlobal(QPoint(0, 0)), opener_->size()).contains(globalPosition))
        return;
    close();
}

bool SettingsPopover::eventFilter(QObject* watched, QEvent* event)
{
    const bool resized = event->type() == QEvent::Resize;
    const bool shownOrHidden = event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent;
    if ((watched == content_ && resized) || (watched == footer_ && (resized || shownOrHidden)))
        fitToContent();
    // While open, Escape (which goes to the island's window) closes the
    // settings first: the island's own handler was installed earlier, so it
    // runs after this one. An open menu of the settings closes on its own.
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
        isVisible() && !QApplication::activePopupWidget()) {
        close();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void SettingsPopover::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (pressWatcher_)
        return;
    pressWatcher_ = new PointerPressWatcher(this);
    connect(pressWatcher_, &PointerPressWatcher::pressed, this, &SettingsPopover::pointerPressed);
    if (DesktopClickCatcher::isNeeded()) {
        // No parent: a window kept above its parent would cover the windows too.
        desktopCatcher_ = std::make_unique<DesktopClickCatcher>();
        // Over every monitor: a press on any of them closes the settings.
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            desktopCatcher_->setGeometry(screen->virtualGeometry());
        connect(desktopCatcher_.get(), &DesktopClickCatcher::pressed, this, &SettingsPopover::pointerPressed);
        desktopCatcher_->show();
    }
    // The keyboard moving to another application (a click on one of its
    // windows, a window switcher) closes the settings too.
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* window) {
        if (!window)
            close();
    });
    qApp->installEventFilter(this);
}

void SettingsPopover::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    delete pressWatcher_;
    pressWatcher_ = nullptr;
    desktopCatcher_.reset();
    disconnect(qGuiApp, &QGuiApplication::focusWindowChanged, this, nullptr);
    qApp->removeEventFilter(this);
    emit dismissed();
}

}  // namespace moravel
