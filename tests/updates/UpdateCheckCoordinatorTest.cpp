#include "support/VirtualScheduler.h"
#include "updates/UpdateCheckCoordinator.h"

#include <gtest/gtest.h>

#include <memory>

namespace moravel {
namespace {

using Status = UpdateCheckCoordinator::Status;

class FakeUpdater final : public Updater {
public:
    bool canCheck = true;
    int informationChecks = 0;
    int interactiveChecks = 0;

    bool canCheckForUpdates() const override { return canCheck; }
    bool automaticallyChecksForUpdates() const override { return false; }
    void setAutomaticallyChecksForUpdates(bool) override {}
    bool automaticallyDownloadsUpdates() const override { return false; }
    void setAutomaticallyDownloadsUpdates(bool) override {}
    void checkForUpdateInformation() override { ++informationChecks; }
    void checkForUpdates() override { ++interactiveChecks; }
};

class UpdateCheckCoordinatorTest : public ::testing::Test {
protected:
    UpdateCheckCoordinatorTest()
    {
        QObject::connect(&coordinator, &UpdateCheckCoordinator::statusChanged,
                         [this](const Status& status) { published.push_back(status); });
    }

    void found(const char* version) { coordinator.updaterDidFindValidUpdate(updater, QString::fromLatin1(version)); }
    void notFound() { coordinator.updaterDidNotFindUpdate(updater); }
    void finished(UpdateCheckKind kind, std::optional<QString> error = std::nullopt)
    {
        coordinator.updaterDidFinishUpdateCycle(updater, kind, error);
    }

    VirtualScheduler scheduler;
    FakeUpdater updater;
    UpdateCheckCoordinator coordinator{scheduler};
    std::vector<Status> published;
};

TEST(UpdateCheckStatus, EqualWhenCaseAndPayloadMatch)
{
    EXPECT_EQ(Status::updateAvailable("2.1"), Status::updateAvailable("2.1"));
    EXPECT_NE(Status::updateAvailable("2.1"), Status::updateAvailable("2.2"));
    EXPECT_NE(Status::failed("2.1"), Status::updateAvailable("2.1"));
    EXPECT_NE(Status::idle(), Status::checking());
    EXPECT_EQ(Status(), Status::idle());
    EXPECT_EQ(Status::failed("offline").message(), "offline");
    EXPECT_TRUE(Status::failed("offline").version().isEmpty());
}

TEST_F(UpdateCheckCoordinatorTest, ManualCheckShowsCheckingAndStartsTheSilentProbe)
{
    EXPECT_EQ(coordinator.status(), Status::idle());
    coordinator.beginManualCheck(updater);
    EXPECT_EQ(coordinator.status(), Status::checking());
    EXPECT_EQ(updater.informationChecks, 1);
    EXPECT_EQ(updater.interactiveChecks, 0);
    EXPECT_EQ(published, std::vector<Status>{Status::checking()});
}

TEST_F(UpdateCheckCoordinatorTest, ManualCheckIsIgnoredWhileTheUpdaterCannotCheck)
{
    updater.canCheck = false;
    coordinator.beginManualCheck(updater);
    EXPECT_EQ(coordinator.status(), Status::idle());
    EXPECT_EQ(updater.informationChecks, 0);
    EXPECT_TRUE(published.empty());
}

TEST_F(UpdateCheckCoordinatorTest, FoundUpdateStandsThroughTheCycleEnd)
{
    coordinator.beginManualCheck(updater);
    found("2.1");
    finished(UpdateCheckKind::updateInformation);
    EXPECT_EQ(coordinator.status(), Status::updateAvailable("2.1"));
    EXPECT_EQ(published, (std::vector<Status>{Status::checking(), Status::updateAvailable("2.1")}));
}

TEST_F(UpdateCheckCoordinatorTest, ResultsDuringTheCycleStandEvenWhenItEndsWithAnError)
{
    coordinator.beginManualCheck(updater);
    found("2.1");
    finished(UpdateCheckKind::updateInformation, QString("late failure"));
    EXPECT_EQ(coordinator.status(), Status::updateAvailable("2.1"));

    coordinator.beginManualCheck(updater);
    notFound();
    finished(UpdateCheckKind::updateInformation, QString("late failure"));
    EXPECT_EQ(coordinator.status(), Status::upToDate());
}

TEST_F(UpdateCheckCoordinatorTest, CycleEndDecidesWhenNothingWasReported)
{
    coordinator.beginManualCheck(updater);
    finished(UpdateCheckKind::updateInformation);
    EXPECT_EQ(coordinator.status(), Status::upToDate());

    coordinator.beginManualCheck(updater);
    finished(UpdateCheckKind::updateInformation, QString("The update server answered 404 Not Found."));
    EXPECT_EQ(coordinator.status(), Status::failed("The update server answered 404 Not Found."));
}

TEST_F(UpdateCheckCoordinatorTest, ScheduledChecksLeaveTheStatusAlone)
{
    found("3.0");
    notFound();
    finished(UpdateCheckKind::updatesInBackground, QString("offline"));
    finished(UpdateCheckKind::updateInformation, QString("offline"));
    EXPECT_EQ(coordinator.status(), Status::idle());
    EXPECT_TRUE(published.empty());
}

TEST_F(UpdateCheckCoordinatorTest, OtherCycleEndingDoesNotEndTheManualCheck)
{
    coordinator.beginManualCheck(updater);
    finished(UpdateCheckKind::updatesInBackground, QString("offline"));
    EXPECT_EQ(coordinator.status(), Status::checking());
    // The flag is still set, so the probe's own end still counts.
    finished(UpdateCheckKind::updateInformation, QString("offline"));
    EXPECT_EQ(coordinator.status(), Status::failed("offline"));
}

TEST_F(UpdateCheckCoordinatorTest, CallbacksAfterTheManualCycleEndedAreIgnored)
{
    coordinator.beginManualCheck(updater);
    notFound();
    finished(UpdateCheckKind::updateInformation);
    found("2.2");
    finished(UpdateCheckKind::updates, QString("cancelled"));
    EXPECT_EQ(coordinator.status(), Status::upToDate());
}

TEST_F(UpdateCheckCoordinatorTest, SecondManualCheckShowsCheckingAgain)
{
    coordinator.beginManualCheck(updater);
    found("2.1");
    finished(UpdateCheckKind::updateInformation);
    coordinator.beginManualCheck(updater);
    EXPECT_EQ(coordinator.status(), Status::checking());
    EXPECT_EQ(updater.informationChecks, 2);
    found("2.2");
    EXPECT_EQ(coordinator.status(), Status::updateAvailable("2.2"));
}

TEST_F(UpdateCheckCoordinatorTest, PresentingTheUpdateRunsTheInteractiveFlowFromTheEventLoop)
{
    coordinator.beginManualCheck(updater);
    found("2.1");
    finished(UpdateCheckKind::updateInformation);
    published.clear();

    coordinator.presentAvailableUpdate(updater);
    EXPECT_EQ(updater.interactiveChecks, 0);
    scheduler.advance(0);
    EXPECT_EQ(updater.interactiveChecks, 1);
    EXPECT_EQ(coordinator.status(), Status::updateAvailable("2.1"));
    EXPECT_TRUE(published.empty());
}

TEST_F(UpdateCheckCoordinatorTest, QueuedInteractiveFlowIsDroppedWhenTheUpdaterIsGone)
{
    auto shortLived = std::make_unique<FakeUpdater>();
    coordinator.presentAvailableUpdate(*shortLived);
    shortLived.reset();
    scheduler.advance(0);  // must not touch the destroyed updater
    EXPECT_EQ(coordinator.status(), Status::idle());
}

}  // namespace
}  // namespace moravel
