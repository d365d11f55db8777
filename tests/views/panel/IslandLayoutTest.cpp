#include "ViewTestSupport.h"
#include "testsupport/NodeExporterProcess.h"
#include "testsupport/gallery/GalleryStage.h"

#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

using namespace moravel;
using namespace moravel::gallery;

namespace {

// Enough readings for every series, the processes' shares and the chart's scale.
constexpr int historySeconds = 30;

class IslandLayout : public ::testing::TestWithParam<GalleryScene> {};

}  // namespace

namespace moravel::gallery {
void PrintTo(const GalleryScene& scene, std::ostream* out)
{
    *out << scene.name.toStdString();
}
}  // namespace moravel::gallery

// In every scene of the gallery, everything the island draws lies inside it:
// no widget or text reaches past its edge or is cut by its parent, no reading
// is cut short, and no two texts are drawn over each other.
TEST_P(IslandLayout, EverythingFitsInsideTheIsland)
{
    const GalleryScene& scene = GetParam();
    if (scene.machine.startsWith(QLatin1String("remote")) && fixtures::NodeExporterProcess::program().isEmpty())
        GTEST_SKIP() << "prometheus-node-exporter is not installed";
    GalleryStage stage(scene, historySeconds);
    if (scene.view == GalleryScene::View::expanded && !stage.availableTabs().contains(scene.tab))
        GTEST_SKIP() << "the machine has no such tab";
    QList<LayoutAudit> audits{stage.audit()};
    if (QWidget* settings = stage.settings())
        audits.append(auditWindow(*settings, QRectF(settings->rect())));
    for (const LayoutAudit& audit : audits) {
        ASSERT_FALSE(audit.texts.isEmpty());
        const QStringList problems = audit.problems();
        EXPECT_TRUE(problems.isEmpty()) << problems.join(QLatin1Char('\n')).toStdString() << "\n\nDrawn:\n"
                                        << audit.describe().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Gallery, IslandLayout, ::testing::ValuesIn(galleryScenes()),
                         moravel::testing::sceneName<GalleryScene>);
