#pragma once

#include "updates/Updater.h"

namespace moravel::fixtures {

// An updater that never touches the network: it keeps the two automatic
// options, counts what was asked of it and reports canCheck as told.
class StubUpdater final : public Updater {
public:
    bool hasUpdateFeed() const override { return feed; }
    bool canCheckForUpdates() const override { return canCheck; }
    bool automaticallyChecksForUpdates() const override { return checks; }
    void setAutomaticallyChecksForUpdates(bool enabled) override
    {
        checks = enabled;
        ++checkWrites;
    }
    bool automaticallyDownloadsUpdates() const override { return downloads; }
    void setAutomaticallyDownloadsUpdates(bool enabled) override
    {
        downloads = enabled;
        ++downloadWrites;
    }
    void checkForUpdateInformation() override { ++informationChecks; }
    void checkForUpdates() override { ++interactiveChecks; }

    void changeCanCheck(bool value)
    {
        canCheck = value;
        emit canCheckForUpdatesChanged(value);
    }

    bool feed = true;
    bool canCheck = true;
    bool checks = false;
    bool downloads = false;
    int checkWrites = 0;
    int downloadWrites = 0;
    int informationChecks = 0;
    int interactiveChecks = 0;
};

}  // namespace moravel::fixtures
