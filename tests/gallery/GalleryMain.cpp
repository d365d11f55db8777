// Renders the gallery: every scene of the island into a PNG, and an index.
//   usage: moravel_gallery OUTPUT_FOLDER [NAME_PART]
// With NAME_PART, only the scenes whose names contain it, and no index.
#include "monitor/ReadingTable.h"
#include "testsupport/Application.h"
#include "testsupport/gallery/GalleryStage.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImageWriter>

#include <cstdio>
#include <memory>

using namespace moravel;
using namespace moravel::gallery;

namespace {

const char* heading(GalleryScene::View view)
{
    switch (view) {
    case GalleryScene::View::collapsed: return "Collapsed";
    case GalleryScene::View::expanded: return "Open, tab by tab";
    case GalleryScene::View::settings: return "The settings";
    }
    return "";
}

// Few colours, so an indexed picture is a fraction of the size and looks the same.
bool save(const QImage& picture, const QString& path)
{
    QImageWriter writer(path, "png");
    writer.setCompression(100);  // Qt counts PNG compression 0-100
    return writer.write(picture.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AutoColor));
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("TZ", "UTC");
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: moravel_gallery OUTPUT_FOLDER [NAME_PART]\n");
        return 2;
    }
    const QString only = argc == 3 ? QString::fromLocal8Bit(argv[2]) : QString();
    fixtures::ensureApplication<QApplication>();
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(folder.path());

    QString index = QStringLiteral(
        "# Gallery\n\nThe island in the states people meet, rendered offscreen by `scripts/screenshot --gallery` "
        "from the machines in `tests/testsupport/MachineTrees.cpp`. The layout tests check the same scenes.\n");
    std::optional<GalleryScene::View> section;
    std::unique_ptr<GalleryStage> stage;
    for (const GalleryScene& scene : galleryScenes()) {
        if (!scene.name.contains(only))
            continue;
        if (!stage || !stage->fits(scene))
            stage = std::make_unique<GalleryStage>(scene);
        if (scene.view == GalleryScene::View::expanded && !stage->availableTabs().contains(scene.tab))
            continue;
        stage->show(scene);
        const QString file = scene.name + QStringLiteral(".png");
        if (!save(stage->picture(), folder.filePath(file))) {
            std::fprintf(stderr, "moravel_gallery: cannot write %s\n", qPrintable(folder.filePath(file)));
            return 1;
        }
        if (section != scene.view) {
            section = scene.view;
            index += QStringLiteral("\n## %1\n").arg(QString::fromLatin1(heading(scene.view)));
        }
        index += QStringLiteral("\n%1 (`%2`)\n\n![%1](%2)\n").arg(scene.caption, file);
        std::printf("gallery: %s\n", qPrintable(file));
    }
    if (!only.isEmpty())
        return 0;
    QFile readme(folder.filePath(QStringLiteral("README.md")));
    if (!readme.open(QIODevice::WriteOnly | QIODevice::Truncate) || readme.write(index.toUtf8()) < 0) {
        std::fprintf(stderr, "moravel_gallery: cannot write the index\n");
        return 1;
    }
    return 0;
}
