#pragma once

#include "views/kit/IslandViewServices.h"

#include <QPointer>
#include <QRegion>
#include <QWidget>

class QGraphicsOpacityEffect;
class QVariantAnimation;

namespace moravel {

class CollapsedIslandView;
class ExpandedIslandView;
class IslandHardwareBackground;

// The one view of the island panel: the black body, and over it the collapsed
// and the expanded layer, cross-faded as the island opens and closes.
class IslandRootView final : public QWidget {
    Q_OBJECT

public:
    using Services = IslandViewServices;

    // How a layer is drawn: its opacity and how far it is moved down (negative: up).
    struct LayerLook {
        double opacity = 1;
        double offset = 0;
        friend bool operator==(const LayerLook&, const LayerLook&) = default;
    };
    static LayerLook collapsedLook(bool showsExpandedContent);
    static LayerLook expandedLook(bool showsExpandedContent);

    explicit IslandRootView(Services services, QWidget* parent = nullptr);
    ~IslandRootView() override;

    CollapsedIslandView* collapsedLayer() const { return collapsed_; }
    ExpandedIslandView* expandedLayer() const;
    LayerLook currentCollapsedLook() const { return collapsedNow_; }
    LayerLook currentExpandedLook() const { return expandedNow_; }
    // Jumps a running cross-fade to its end, for a still picture.
    void finishTransitions();
    // Places the body in its window, whose shape follows it, so that the
    // window shows (and takes the pointer) exactly where the body is
    // painted, as the body moves and resizes within it.
    void placeInWindow(const QRect& body);

signals:
    // The open dashboard needs another size.
    void expandedSizeChanged();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void syncExpandedLayer();
    // Builds the dashboard afresh at the island's new size, the settings
    // open again if they were.
    void rebuildExpandedLayer();
    void animateLayers(bool showsExpandedContent);
    void applyLooks();
    void placeLayers();
    // The pixels the black body covers, in this view's coordinates.
    QRegion bodyRegion() const;
    void shapeWindow(bool outlineChanged);

    Services services_;
    IslandHardwareBackground* background_ = nullptr;
    CollapsedIslandView* collapsed_ = nullptr;
    QGraphicsOpacityEffect* collapsedOpacity_ = nullptr;
    QPointer<ExpandedIslandView> expanded_;
    QGraphicsOpacityEffect* expandedOpacity_ = nullptr;
    LayerLook collapsedNow_;
    LayerLook expandedNow_;
    QPointer<QVariantAnimation> fade_;
    double builtAtScale_ = 1;
    QRegion body_;
};

}  // namespace moravel
