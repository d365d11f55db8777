#pragma once

#include "testsupport/gallery/GalleryScenes.h"
#include "testsupport/gallery/LayoutAudit.h"

#include <QImage>

#include <memory>

class QWidget;

namespace moravel::gallery {

// The whole island over a gallery machine, offscreen: the machine's files are
// read by the real readers for five minutes of virtual time, then the island
// is shown as a scene asks. Scenes that differ only in what the island shows
// (a tab, the settings) share a stage.
class GalleryStage {
public:
    // `historySeconds` of readings come before the scene is shown.
    explicit GalleryStage(const GalleryScene& scene, int historySeconds = 300);
    ~GalleryStage();

    // Whether `scene` can be shown on this stage: same machine, screen and size.
    bool fits(const GalleryScene& scene) const;
    // Shows the scene and lets every transition finish.
    void show(const GalleryScene& scene);

    // The screen's top strip around the island, as the user sees it, in device pixels.
    QImage picture() const;
    // What is drawn and where, for the layout checks.
    LayoutAudit audit() const;

    // The island's window and, while open, the settings' window.
    QWidget& panel() const;
    QWidget* settings() const;
    QList<MetricKind> availableTabs() const;

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

}  // namespace moravel::gallery
