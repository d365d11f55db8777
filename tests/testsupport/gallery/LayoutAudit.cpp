#include "testsupport/gallery/LayoutAudit.h"

#include <QAbstractScrollArea>
#include <QGraphicsEffect>
#include <QGraphicsOpacityEffect>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QTextItem>
#include <QWidget>

#include <memory>

namespace moravel::gallery {

namespace {

// Texts whose own wording ends in an ellipsis: not cut short.
const QStringList wordedWithEllipsis{QStringLiteral("Collecting…"), QStringLiteral("Check for Updates…"),
                                     QStringLiteral("Checking for updates…"), QStringLiteral("View Update…")};
// Names, not readings: these may be cut short to fit.
const QStringList mayElide{QStringLiteral("moravel::ProcessLeaderRow"), QStringLiteral("moravel::SensorList"),
                           QStringLiteral("moravel::ExpandedHeader")};

// A scroll area's viewport (where a list draws its rows), or inside it.
bool isScrolled(const QWidget& widget)
{
    for (const QWidget* each = &widget; each; each = each->parentWidget()) {
        const auto* area = qobject_cast<const QAbstractScrollArea*>(each->parentWidget());
        if (area && area->viewport() == each)
            return true;
    }
    return false;
}

// A paint engine that draws nothing and notes where each text goes.
class TextRecorder final : public QPaintEngine {
public:
    explicit TextRecorder(QList<LayoutAudit::Text>& texts) : QPaintEngine(AllFeatures), texts_(texts) {}

    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    Type type() const override { return User; }
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawPath(const QPainterPath&) override {}

    void updateState(const QPaintEngineState& state) override
    {
        const QTransform transform = painter()->deviceTransform();
        const QPaintEngine::DirtyFlags flags = state.state();
        if (flags & DirtyClipEnabled && !state.isClipEnabled())
            clip_.reset();
        QRegion region;
        bool changed = false;
        if (flags & DirtyClipRegion) {
            region = transform.map(state.clipRegion());
            changed = true;
        } else if (flags & DirtyClipPath) {
            region = QRegion(transform.map(state.clipPath()).boundingRect().toAlignedRect());
            changed = true;
        }
        if (!changed)
            return;
        switch (state.clipOperation()) {
        case Qt::NoClip:
            clip_.reset();
            break;
        case Qt::ReplaceClip:
            clip_ = region;
            break;
        case Qt::IntersectClip:
            clip_ = clip_ ? clip_->intersected(region) : region;
            break;
        }
    }

    void drawTextItem(const QPointF& origin, const QTextItem& item) override
    {
        const QRectF line(origin.x(), origin.y() - item.ascent(), item.width(), item.ascent() + item.descent());
        const QRectF rect = painter()->deviceTransform().mapRect(line);
        QString widget;
        QRectF widgetRect;
        bool scrolls = false;
        if (const auto* device = dynamic_cast<QWidget*>(painter()->device())) {
            widget = QString::fromLatin1(device->metaObject()->className());
            widgetRect = QRectF(device->mapTo(device->window(), QPoint(0, 0)), device->size());
            scrolls = isScrolled(*device);
        }
        // Text is drawn at whole pixels: a fraction of one past the clip cuts nothing.
        const QRect pixels = rect.adjusted(0.5, 0.5, -0.5, -0.5).toAlignedRect();
        const bool visible = !clip_ || clip_->intersects(pixels);
        const bool cut = clip_ && visible && !clip_->contains(pixels);
        texts_.append({item.text(), rect, widget, widgetRect, visible, cut, scrolls});
    }

private:
    QList<LayoutAudit::Text>& texts_;
    std::optional<QRegion> clip_;
};

class RecordingDevice final : public QPaintDevice {
public:
    RecordingDevice(QSize size, QList<LayoutAudit::Text>& texts) : size_(size), engine_(texts) {}
    ~RecordingDevice() override = default;

    QPaintEngine* paintEngine() const override { return const_cast<TextRecorder*>(&engine_); }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth: return size_.width();
        case PdmHeight: return size_.height();
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY: return 96;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return static_cast<int>(devicePixelRatioFScale());
        case PdmDepth: return 32;
        case PdmNumColors: return INT_MAX;
        default: return 0;
        }
    }

private:
    QSize size_;
    TextRecorder engine_;
};

QString describeWidget(const QWidget& widget)
{
    const QString type = QString::fromLatin1(widget.metaObject()->className());
    return widget.objectName().isEmpty() ? type : type + QLatin1Char('#') + widget.objectName();
}

QString text(const QRectF& rect)
{
    return QStringLiteral("(%1,%2 %3x%4)")
        .arg(rect.x(), 0, 'f', 1)
        .arg(rect.y(), 0, 'f', 1)
        .arg(rect.width(), 0, 'f', 1)
        .arg(rect.height(), 0, 'f', 1);
}

// Half a pixel of slack for antialiased edges and rounding.
bool inside(const QRectF& outer, const QRectF& inner)
{
    return outer.adjusted(-0.5, -0.5, 0.5, 0.5).contains(inner);
}

// Faded out completely, by itself or with a parent: not shown at all.
bool isFadedOut(const QWidget& widget, const QWidget& window)
{
    for (const QWidget* each = &widget; each && each != &window; each = each->parentWidget()) {
        const auto* effect = qobject_cast<QGraphicsOpacityEffect*>(each->graphicsEffect());
        if (effect && effect->isEnabled() && effect->opacity() <= 0)
            return true;
    }
    return false;
}

bool overlap(const QRectF& a, const QRectF& b)
{
    const QRectF common = a.intersected(b);
    return common.width() > 1 && common.height() > 1;
}

}  // namespace

LayoutAudit auditWindow(QWidget& window, const QRectF& content)
{
    LayoutAudit audit;
    audit.window = QRectF(window.rect());
    audit.content = content;
    // Shown parts draw through their fades for a still picture of what the
    // layout is; parts faded out completely stay out.
    QList<QGraphicsEffect*> switchedOff;
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        auto* effect = qobject_cast<QGraphicsOpacityEffect*>(widget->graphicsEffect());
        if (effect && effect->isEnabled() && effect->opacity() > 0) {
            effect->setEnabled(false);
            switchedOff.append(effect);
        }
    }
    {
        RecordingDevice device(window.size(), audit.texts);
        QPainter painter(&device);
        window.render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
    }
    for (QGraphicsEffect* effect : switchedOff)
        effect->setEnabled(true);

    for (QWidget* widget : window.findChildren<QWidget*>()) {
        if (widget->window() != &window || !widget->isVisibleTo(&window) || isFadedOut(*widget, window))
            continue;
        const QRectF rect(widget->mapTo(&window, QPoint(0, 0)), widget->size());
        const QWidget* parent = widget->parentWidget();
        const QRectF parentRect(parent->mapTo(&window, QPoint(0, 0)), parent->size());
        audit.widgets.append({describeWidget(*widget), rect, parentRect, isScrolled(*widget)});
    }
    return audit;
}

QStringList LayoutAudit::problems() const
{
    QStringList found;
    for (const Widget& widget : widgets) {
        // The window's own layers cover it whole.
        if (widget.rect.isEmpty() || widget.rect == window || widget.scrolls)
            continue;
        if (!inside(content, widget.rect))
            found.append(widget.name + QStringLiteral(" lies outside the island ") + text(widget.rect));
        else if (!inside(widget.parentRect, widget.rect))
            found.append(widget.name + QStringLiteral(" is cut by its parent ") + text(widget.rect));
    }
    QList<const Text*> shown;
    for (const Text& each : texts) {
        if (!each.visible || each.text.trimmed().isEmpty())
            continue;
        shown.append(&each);
        if (each.scrolls)
            ;
        else if (!inside(content, each.rect))
            found.append(QStringLiteral("\"%1\" lies outside the island %2").arg(each.text, text(each.rect)));
        else if (!each.widgetRect.isEmpty() && !inside(each.widgetRect, each.rect))
            found.append(QStringLiteral("\"%1\" is cut by the edge of %2 %3")
                             .arg(each.text, each.widget, text(each.rect)));
        else if (each.cut)
            found.append(QStringLiteral("\"%1\" is cut by a clip %2").arg(each.text, text(each.rect)));
        if (each.text.contains(QChar(0x2026)) && !wordedWithEllipsis.contains(each.text)
            && !mayElide.contains(each.widget))
            found.append(QStringLiteral("\"%1\" is cut short (%2)").arg(each.text, each.widget));
    }
    for (qsizetype i = 0; i < shown.size(); ++i) {
        for (qsizetype j = i + 1; j < shown.size(); ++j) {
            if (overlap(shown[i]->rect, shown[j]->rect))
                found.append(QStringLiteral("\"%1\" %2 and \"%3\" %4 overlap")
                                 .arg(shown[i]->text, text(shown[i]->rect), shown[j]->text, text(shown[j]->rect)));
        }
    }
    return found;
}

QString LayoutAudit::describe() const
{
    QStringList lines;
    for (const Text& each : texts)
        lines.append(QStringLiteral("%1 %2 [%3]%4").arg(text(each.rect), each.text, each.widget,
                                                        each.visible ? QString() : QStringLiteral(" hidden")));
    return lines.join(QLatin1Char('\n'));
}

}  // namespace moravel::gallery
