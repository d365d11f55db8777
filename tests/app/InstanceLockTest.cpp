#include "app/InstanceLock.h"
#include "testsupport/Files.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <unistd.h>
#include <utime.h>

using moravel::InstanceLock;
using Outcome = InstanceLock::Outcome;
using moravel::fixtures::modeOf;
using moravel::fixtures::writeFile;

namespace {

class InstanceLockTest : public ::testing::Test {
protected:
    InstanceLockTest() { ::chmod(QFile::encodeName(runtime.path()).constData(), 0700); }
    QString lockPath() const { return runtime.filePath(QLatin1String(InstanceLock::fileName)); }

    QTemporaryDir runtime;
};

}  // namespace

// Whatever a crash or anybody else left at the lock's path, only a live holder counts.
TEST_F(InstanceLockTest, LeftoversAreReplacedAndOnlyALiveHolderCounts)
{
    const QByteArray path = QFile::encodeName(lockPath());
    const std::pair<const char*, std::function<bool()>> leftovers[] = {
        {"nothing", [] { return true; }},
        {"garbage", [&] { return writeFile(lockPath(), QByteArray("\xff\x00zz\n", 5)); }},
        {"a file two hours old naming a live process",
         [&] {
             const time_t twoHoursAgo = ::time(nullptr) - 7200;
             const utimbuf times{twoHoursAgo, twoHoursAgo};
             return writeFile(lockPath(), "1\nmoravel\n") && ::utime(path.constData(), &times) == 0;
         }},
        {"a folder", [&] { return QDir().mkdir(lockPath()); }},
        {"a link", [&] { return QFile::link(runtime.filePath("elsewhere"), lockPath()); }},
        {"a FIFO", [&] { return ::mkfifo(path.constData(), 0600) == 0; }},
    };
    for (const auto& [leftover, make] : leftovers) {
        SCOPED_TRACE(leftover);
        ASSERT_TRUE(make());
        {
            InstanceLock first(runtime.path());
            ASSERT_EQ(first.acquire(), Outcome::acquired) << first.failure().toStdString();
            QFile file(lockPath());
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            EXPECT_EQ(file.readAll(), QByteArray::number(::getpid()) + '\n');
            EXPECT_EQ(modeOf(lockPath()), 0600);
            EXPECT_FALSE(QFile::exists(runtime.filePath("elsewhere")));

            InstanceLock second(runtime.path());
            EXPECT_EQ(second.acquire(), Outcome::heldByAnother);
        }
        InstanceLock afterwards(runtime.path());  // the holder ended
        EXPECT_EQ(afterwards.acquire(), Outcome::acquired);
        QFile::remove(lockPath());
    }
}

TEST_F(InstanceLockTest, AFolderThatCannotBeUsedIsSaidPlainly)
{
    for (const auto& [folder, mode] : {std::pair{"open", 0777}, {"shared", 0770}}) {
        QDir(runtime.path()).mkdir(folder);
        ::chmod(QFile::encodeName(runtime.filePath(folder)).constData(), mode);
    }
    writeFile(runtime.filePath("file"), "x");
    const std::pair<QString, const char*> rows[] = {
        {runtime.filePath("missing"), "No such file or directory"},
        {runtime.filePath("file"), "not a folder"},
        {runtime.filePath("open"), "other users can write to the folder"},
        {runtime.filePath("shared"), "other users can write to the folder"},
        {QStringLiteral("relative/run"), "not an absolute path"},
    };
    for (const auto& [directory, reason] : rows) {
        InstanceLock lock(directory);
        EXPECT_EQ(lock.acquire(), Outcome::unusable);
        EXPECT_EQ(lock.failure(), "moravel: cannot keep the instance lock in " + directory + ": " + reason);
    }
    // A folder with files in it where the lock belongs is left alone, and said to be one.
    ASSERT_TRUE(writeFile(lockPath() + "/notes", "x"));
    InstanceLock blocked(runtime.path());
    EXPECT_EQ(blocked.acquire(), Outcome::unusable);
    EXPECT_EQ(blocked.failure(), "moravel: cannot keep the instance lock in " + runtime.path()
                                     + ": moravel-island.lock is a folder, not Moravel's lock file");
    EXPECT_TRUE(QFile::exists(lockPath() + "/notes"));

    // Without a runtime folder the lock goes to the user's configuration folder, made private.
    InstanceLock configured(runtime.filePath("config/Moravel"), true);
    EXPECT_EQ(configured.acquire(), Outcome::acquired);
    EXPECT_EQ(modeOf(runtime.filePath("config/Moravel")), 0700);
}
