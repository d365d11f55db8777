#include "support/VirtualScheduler.h"
#include "testsupport/StubUpdater.h"
#include "updates/UpdateCheckCoordinator.h"

#include <gtest/gtest.h>

#include <memory>

namespace moravel {
namespace {

using Status = UpdateCheckCoordinator::Status;
using Kind = UpdateCheckKind;

class UpdateCheckCoordinatorTest : public ::testing::Test {
protected:
    UpdateCheckCoordinatorTest() { restart(); }

    void restart()
    {
        coordinator = std::make_unique<UpdateCheckCoordinator>(scheduler);
        QObject::connect(coordinator.get(), &UpdateCheckCoordinator::statusChanged,
                         [this](const Status& status) { published.push_back(status); });
    }

    // Plays updater callbacks: "begin" starts a manual check, "found:V" and
    // "none" report a result, "<kind>" or "<kind>!" ends a cycle of that kind
    // (probe, background, updates), the "!" with the error "offline".
    void play(const QString& script)
    {
        const std::map<QString, Kind> kinds{
            {"probe", Kind::updateInformation}, {"background", Kind::updatesInBackground}, {"updates", Kind::updates}};
        for (QString step : script.split(u' ')) {
            if (step == u"begin")
                coordinator->beginManualCheck(updater);
            else if (step.startsWith(u"found:"))
                coordinator->updaterDidFindValidUpdate(updater, step.mid(6));
            else if (step == u"none")
                coordinator->updaterDidNotFindUpdate(updater);
            else {
                const bool failed = step.endsWith(u'!');
                step.remove(u'!');
                ASSERT_TRUE(kinds.contains(step)) << step.toStdString();
                const auto error = failed ? std::optional(QStringLiteral("offline")) : std::nullopt;
                coordinator->updaterDidFinishUpdateCycle(updater, kinds.at(step), error);
            }
        }
    }

    VirtualScheduler scheduler;
    fixtures::StubUpdater updater;
    std::unique_ptr<UpdateCheckCoordinator> coordinator;
    std::vector<Status> published;
};

// Each row is one sequence of updater callbacks and the status it must end in.
TEST_F(UpdateCheckCoordinatorTest, TransitionsEndInTheRightStatus)
{
    const QString offline = QStringLiteral("offline");
    const std::pair<const char*, Status> rows[] = {
        {"begin found:2.1 probe", Status::updateAvailable("2.1")},
        {"begin found:2.1 probe!", Status::updateAvailable("2.1")},
        {"begin none probe!", Status::upToDate()},
        {"begin probe", Status::upToDate()},
        {"begin probe!", Status::failed(offline)},
        {"found:3.0 none background! probe!", Status::idle()},  // scheduled cycles leave the status alone
        {"begin background!", Status::checking()},               // another cycle's end is not the probe's
        {"begin background! probe!", Status::failed(offline)},
        {"begin none probe found:2.2 updates!", Status::upToDate()},  // later callbacks are ignored
        {"begin found:2.1 probe begin found:2.2", Status::updateAvailable("2.2")},
    };
    for (const auto& [script, expected] : rows) {
        SCOPED_TRACE(script);
        restart();
        play(QString::fromLatin1(script));
        EXPECT_EQ(coordinator->status(), expected);
    }
    EXPECT_EQ(updater.interactiveChecks, 0);  // a manual check only probes, silently
    restart();
    published.clear();
    updater.canCheck = false;  // one the updater cannot run shows nothing
    play("begin");
    EXPECT_TRUE(published.empty());
    EXPECT_EQ(coordinator->status(), Status::idle());
}

TEST_F(UpdateCheckCoordinatorTest, PresentingTheUpdateRunsTheInteractiveFlowFromTheEventLoop)
{
    play("begin found:2.1 probe");
    published.clear();
    coordinator->presentAvailableUpdate(updater);
    EXPECT_EQ(updater.interactiveChecks, 0);
    scheduler.advance(0);
    EXPECT_EQ(updater.interactiveChecks, 1);
    EXPECT_EQ(coordinator->status(), Status::updateAvailable("2.1"));
    EXPECT_TRUE(published.empty());
}

TEST_F(UpdateCheckCoordinatorTest, QueuedInteractiveFlowIsDroppedWhenTheUpdaterIsGone)
{
    auto shortLived = std::make_unique<fixtures::StubUpdater>();
    coordinator->presentAvailableUpdate(*shortLived);
    shortLived.reset();
    scheduler.advance(0);  // must not touch the destroyed updater
    EXPECT_EQ(coordinator->status(), Status::idle());
}

}  // namespace
}  // namespace moravel
