#pragma once

#include "island/CollapsedMetricLayout.h"
#include "island/NotchEnvironment.h"
#include "monitor/MetricTypes.h"

#include <QImage>
#include <QList>
#include <QSize>
#include <QString>

#include <optional>

namespace moravel::gallery {

// One picture of the gallery: a machine, what the island shows of it and the
// screen it is on. The layout tests check the island in the same scenes.
struct GalleryScene {
    enum class View { collapsed, expanded, settings };

    QString name;     // the picture's file name, without ".png"
    QString caption;  // one line for the gallery's index
    // A gallery machine's key, "remote" or "remote-unreachable", or a fleet:
    // "fleet" (seven machines, one down) or "fleet-500".
    QString machine;
    View view = View::expanded;
    MetricKind tab = MetricKind::overview;
    // Collapsed readings: a preset's, every reading, or the default list.
    std::optional<CollapsedMetricLayoutPreset> preset = std::nullopt;
    bool everyReading = false;
    std::optional<NotchDeclaration> notch = std::nullopt;
    QSize screen{1920, 1080};  // in device pixels
    double devicePixelRatio = 1;
    // The island's size as chosen in the settings; nothing: the default.
    std::optional<int> sizePercent = std::nullopt;
};

// Every scene, in the gallery's order: collapsed, then each machine's tabs,
// then the settings on several screens. A machine has a scene for every tab;
// those its readings do not give it are left out when shown.
QList<GalleryScene> galleryScenes();

}  // namespace moravel::gallery
