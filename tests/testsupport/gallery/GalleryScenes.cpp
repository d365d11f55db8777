#include "testsupport/gallery/GalleryScenes.h"

#include "monitor/ReadingTable.h"

namespace moravel::gallery {

namespace {

using View = GalleryScene::View;

QString tabKey(MetricKind tab)
{
    return QString::fromLatin1(ReadingTable::of(tab).key);
}

QList<GalleryScene> collapsedScenes()
{
    const auto collapsed = [](QString name, QString caption, QString machine) {
        GalleryScene scene;
        scene.name = QStringLiteral("collapsed-") + name;
        scene.caption = std::move(caption);
        scene.machine = std::move(machine);
        scene.view = View::collapsed;
        return scene;
    };
    QList<GalleryScene> scenes;
    scenes.append(collapsed(QStringLiteral("default"), QStringLiteral("The default readings, on a laptop on its battery"),
                            QStringLiteral("laptop-on-battery")));
    for (CollapsedMetricLayoutPreset preset : allCollapsedMetricLayoutPresets) {
        GalleryScene scene = collapsed(QStringLiteral("preset-") + rawValue(preset),
                                       QStringLiteral("The \"%1\" preset, charging").arg(title(preset)),
                                       QStringLiteral("laptop-charging"));
        scene.preset = preset;
        scenes.append(scene);
    }
    GalleryScene every = collapsed(QStringLiteral("every-reading"), QStringLiteral("Every reading on, on a desktop"),
                                   QStringLiteral("desktop"));
    every.everyReading = true;
    scenes.append(every);
    GalleryScene notch = collapsed(QStringLiteral("notch"), QStringLiteral("Around a declared 200x32 notch"),
                                   QStringLiteral("laptop-charging"));
    notch.notch = NotchDeclaration{200, 32};
    scenes.append(notch);
    GalleryScene heavy = collapsed(QStringLiteral("heavy-load"),
                                   QStringLiteral("Heavy load, downloading at 100 Mbit/s, every reading on"),
                                   QStringLiteral("heavy-load"));
    heavy.everyReading = true;
    scenes.append(heavy);
    scenes.append(collapsed(QStringLiteral("low-battery"), QStringLiteral("A battery at 6 %"),
                            QStringLiteral("laptop-low-battery")));
    scenes.append(collapsed(QStringLiteral("desktop"), QStringLiteral("A desktop: no battery"),
                            QStringLiteral("desktop")));
    scenes.append(collapsed(QStringLiteral("fleet"), QStringLiteral("A fleet of seven machines, one down"),
                            QStringLiteral("fleet")));
    return scenes;
}

QList<GalleryScene> dashboardScenes()
{
    const struct {
        const char* machine;
        const char* caption;
    } machines[] = {
        {"laptop-charging", "A laptop charging"},
        {"laptop-on-battery", "A laptop on its battery"},
        {"laptop-full", "A laptop on its adapter, full"},
        {"laptop-not-charging", "A laptop on its adapter, not charging (charge limit)"},
        {"laptop-two-batteries", "Two batteries, charging"},
        {"desktop", "A desktop without a battery"},
        {"big-machine", "128 cores, 40 sensors on 6 chips, 3 GPUs"},
        {"long-process-names", "Long process names"},
        {"remote", "Another machine, through its node exporter"},
        {"remote-unreachable", "Another machine, out of reach"},
        {"fleet", "A fleet of seven machines, one down"},
        {"fleet-500", "A fleet of 500 machines"},
    };
    QList<GalleryScene> scenes;
    for (const auto& machine : machines) {
        const QString key = QString::fromLatin1(machine.machine);
        for (MetricKind tab : ReadingTable::tabs()) {
            GalleryScene scene;
            scene.name = QStringLiteral("expanded-%1-%2").arg(key, tabKey(tab));
            scene.caption = QStringLiteral("%1: %2 tab").arg(QString::fromLatin1(machine.caption),
                                                             ReadingTable::tabTitle(tab));
            scene.machine = key;
            scene.tab = tab;
            scenes.append(scene);
        }
    }
    GalleryScene notch;
    notch.name = QStringLiteral("expanded-notch-laptop-charging");
    notch.caption = QStringLiteral("Below a declared notch, charging: Power tab");
    notch.machine = QStringLiteral("laptop-charging");
    notch.tab = MetricKind::power;
    notch.notch = NotchDeclaration{200, 32};
    scenes.append(notch);
    return scenes;
}

QList<GalleryScene> settingsScenes()
{
    QList<GalleryScene> scenes;
    for (const QSize screen : {QSize(1366, 768), QSize(1920, 1080), QSize(3840, 2160)}) {
        for (const double ratio : {1.0, 2.0}) {
            GalleryScene scene;
            scene.name = QStringLiteral("settings-%1x%2-scale%3").arg(screen.width()).arg(screen.height()).arg(ratio);
            scene.caption = QStringLiteral("The settings on a %1x%2 screen at scale %3")
                                .arg(screen.width())
                                .arg(screen.height())
                                .arg(ratio);
            scene.machine = QStringLiteral("laptop-charging");
            scene.view = View::settings;
            scene.screen = screen;
            scene.devicePixelRatio = ratio;
            scenes.append(scene);
        }
    }
    return scenes;
}

}  // namespace

QList<GalleryScene> galleryScenes()
{
    return collapsedScenes() + dashboardScenes() + settingsScenes();
}

}  // namespace moravel::gallery
