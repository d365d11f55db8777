// The user's own files (settings, login entry) under a loose umask and on a
// full disk, written through the real stores.
#include "support/SettingsDefaultsStore.h"
#include "support/XdgAutostartLoginItem.h"
#include "testsupport/Files.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace moravel {
namespace {

using fixtures::modeOf;

// For one scope every write to a regular file fails as on a full disk, the
// kernel's own way: a file size limit of 0.
class FullDisk {
public:
    FullDisk()
    {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit none = saved_;
        none.rlim_cur = 0;
        ::setrlimit(RLIMIT_FSIZE, &none);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    }
    ~FullDisk()
    {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit saved_ = {};
    void (*previousHandler_)(int) = nullptr;
};

class UserFiles : public ::testing::Test {
protected:
    QString settingsFile() const { return root.filePath("config/Moravel/Moravel.conf"); }
    QString autostart() const { return root.filePath("config/autostart"); }
    XdgAutostartLoginItem loginItem() const { return XdgAutostartLoginItem(autostart(), "/usr/bin/moravel"); }

    QTemporaryDir root;
};

TEST_F(UserFiles, NobodyElseCanWriteThemWhateverTheUmask)
{
    const mode_t umask = ::umask(0);
    const bool saved = SettingsDefaultsStore(settingsFile()).setData("key", "value");
    const bool entered = loginItem().setEnabled(true);
    ::umask(umask);
    ASSERT_TRUE(saved && entered);
    const std::pair<const char*, mode_t> rows[] = {
        {"config", 0700},           {"config/Moravel", 0700}, {"config/Moravel/Moravel.conf", 0600},
        {"config/autostart", 0700}, {"config/autostart/moravel.desktop", 0644},
    };
    for (const auto& [path, mode] : rows)
        EXPECT_EQ(modeOf(root.filePath(path)), mode) << path;
}

TEST_F(UserFiles, AFullDiskLeavesNoEmptyLoginEntryAndKeepsTheSettings)
{
    SettingsDefaultsStore settings(settingsFile());
    ASSERT_TRUE(settings.setData("key", "old"));
    XdgAutostartLoginItem item = loginItem();
    bool entered = true;
    bool saved = true;
    {
        FullDisk full;
        entered = item.setEnabled(true);
        saved = settings.setData("key", "new");
    }
    EXPECT_FALSE(entered);
    EXPECT_TRUE(item.failureMessage().contains("could not be written: ")) << item.failureMessage().toStdString();
    EXPECT_FALSE(item.isEnabled());
    EXPECT_EQ(QDir(autostart()).entryList(QDir::Files | QDir::Hidden), QStringList());
    EXPECT_FALSE(saved);
    EXPECT_EQ(settings.data("key"), QByteArray("old"));
    EXPECT_FALSE(settings.lastWriteFailure().isEmpty());
}

}  // namespace
}  // namespace moravel
