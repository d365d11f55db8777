#include "views/settings/SettingsPopover.h"

#include "views/kit/IslandPalette.h"
#include "views/settings/DesktopClickCatcher.h"
#include "views/settings/PointerPressWatcher.h"
#include "views/settings/SettingsStyle.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QWindow>

#include <algorithm>

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

}  // namespace

SettingsPopover::SettingsPopover(QWidget* content, QWidget* parent, QWidget* opener)
    // Placed by Moravel, not by the window manager, and never focused by it:
    // the keyboard stays with the island, which routes Escape here.
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint |
                          Qt::WindowStaysOnTopHint | Qt::NoDropShadowWindowHint),
      content_(content), opener_(opener)
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
    fitToContent();
}

SettingsPopover::~SettingsPopover() = default;

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

void SettingsPopover::popUp(const QPoint& anchorBottomCentre, int highestTop)
{
    int top = anchorBottomCentre.y() + gap;
    QRect area;
    if (const QScreen* screen = QGuiApplication::screenAt(anchorBottomCentre)) {
        area = screen->availableGeometry();
        const int bottom = area.bottom() + 1 - gap;
        const int wanted = content_ ? content_->sizeHint().height() : height();
        top = std::clamp(bottom - wanted, std::min(highestTop, top), top);
        maximumHeight_ = std::max(120, bottom - top);
    }
    // Sized first: a scroll bar makes it wider, and it stays centred.
    fitToContent();
    int left = anchorBottomCentre.x() - width() / 2;
    if (!area.isEmpty())
        left = std::clamp(left, area.left(), std::max(area.left(), area.right() + 1 - width()));
    move(left, top);
    show();
    raise();
}

void SettingsPopover::pointerPressed(const QPoint& globalPosition)
{
    // An open menu of the settings (the default tab's) may reach past them
    // and closes on its own.
    if (frameGeometry().contains(globalPosition) || QApplication::activePopupWidget())
        return;
    if (opener_ && QRect(opener_->mapToGlobal(QPoint(0, 0)), opener_->size()).contains(globalPosition))
        return;
    close();
}

bool SettingsPopover::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == content_ && event->type() == QEvent::Resize)
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
