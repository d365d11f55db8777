#include "support/VirtualScheduler.h"
#include "testsupport/StubUpdater.h"
#include "updates/UpdateCheckCoordinator.h"

#include <gtest/gtest.h>

#include <functional>
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
        published.clear();
        QObject::connect(coordinator.get(), &UpdateCheckCoordinator::statusChanged,
                         [this](const Status& status) { published.push_back(status); });
    }

    void begin() { coordinator->beginManualCheck(updater); }
    void found(const char* version) { coordinator->updaterDidFindValidUpdate(updater, QString::fromLatin1(version)); }
    void notFound() { coordinator->updaterDidNotFindUpdate(updater); }
    void finished(Kind kind, std::optional<QString> error = std::nullopt)
    {
        coordinator->updaterDidFinishUpdateCycle(updater, kind, error);
    }

    VirtualScheduler scheduler;
    fixtures::StubUpdater updater;
    std::unique_ptr<UpdateCheckCoordinator> coordinator;
    std::vector<Status> published;
};

TEST_F(UpdateCheckCoordinatorTest, ManualCheckShowsCheckingAndStartsOnlyTheSilentProbe)
{
    EXPECT_EQ(coordinator->status(), Status::idle());
    begin();
    EXPECT_EQ(updater.informationChecks, 1);
    EXPECT_EQ(updater.interactiveChecks, 0);
    EXPECT_EQ(published, std::vector<Status>{Status::checking()});
}

TEST_F(UpdateCheckCoordinatorTest, ManualCheckIsIgnoredWhileTheUpdaterCannotCheck)
{
    updater.canCheck = false;
    begin();
    EXPECT_EQ(updater.informationChecks, 0);
    EXPECT_TRUE(published.empty());
}

// Each row is one sequence of updater callbacks and the status it must end in.
TEST_F(UpdateCheckCoordinatorTest, TransitionsEndInTheRightStatus)
{
    const QString offline = QStringLiteral("offline");
    const struct {
        const char* name;
        std::function<void()> steps;
        Status expected;
    } rows[] = {
        {"found stands through the end", [&] { begin(); found("2.1"); finished(Kind::updateInformation); },
         Status::updateAvailable("2.1")},
        {"found stands through a failed end",
         [&] { begin(); found("2.1"); finished(Kind::updateInformation, offline); }, Status::updateAvailable("2.1")},
        {"not found stands through a failed end",
         [&] { begin(); notFound(); finished(Kind::updateInformation, offline); }, Status::upToDate()},
        {"silent end is up to date", [&] { begin(); finished(Kind::updateInformation); }, Status::upToDate()},
        {"failed end without a result", [&] { begin(); finished(Kind::updateInformation, offline); },
         Status::failed(offline)},
        {"scheduled cycles leave the status alone",
         [&] {
             found("3.0");
             notFound();
             finished(Kind::updatesInBackground, offline);
             finished(Kind::updateInformation, offline);
         },
         Status::idle()},
        {"another cycle's end does not end the manual check",
         [&] { begin(); finished(Kind::updatesInBackground, offline); }, Status::checking()},
        {"the probe's own end still counts after another cycle's end",
         [&] {
             begin();
             finished(Kind::updatesInBackground, offline);
             finished(Kind::updateInformation, offline);
         },
         Status::failed(offline)},
        {"callbacks after the manual cycle are ignored",
         [&] {
             begin();
             notFound();
             finished(Kind::updateInformation);
             found("2.2");
             finished(Kind::updates, QStringLiteral("cancelled"));
         },
         Status::upToDate()},
        {"a second manual check starts over",
         [&] {
             begin();
             found("2.1");
             finished(Kind::updateInformation);
             begin();
             found("2.2");
         },
         Status::updateAvailable("2.2")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        restart();
        row.steps();
        EXPECT_EQ(coordinator->status(), row.expected);
    }
}

TEST_F(UpdateCheckCoordinatorTest, PresentingTheUpdateRunsTheInteractiveFlowFromTheEventLoop)
{
    begin();
    found("2.1");
    finished(Kind::updateInformation);
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
