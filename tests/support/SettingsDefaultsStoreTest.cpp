#include "support/SettingsDefaultsStore.h"
#include "testsupport/Files.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace moravel;

namespace {

const QString key = QStringLiteral("islandPreferences.v1");
constexpr uid_t nobody = 65534;

class SettingsDefaultsStoreTest : public ::testing::Test {
protected:
    QString dir() const { return root.path() + QStringLiteral("/Moravel"); }
    QString file() const { return dir() + QStringLiteral("/Moravel.conf"); }
    QStringList filesInDir() const { return QDir(dir()).entryList(QDir::Files | QDir::Hidden); }

    // QSettings shares one cached copy of a file among every QSettings on the
    // same path. Reading through a second name for the folder bypasses that
    // cache and shows what is really on disk.
    SettingsDefaultsStore fromDisk() const
    {
        const QString alias = root.path() + QStringLiteral("/alias");
        QFile::link(dir(), alias);
        return SettingsDefaultsStore(alias + QStringLiteral("/Moravel.conf"));
    }

    // Runs `body` in a child process that, like an ordinary user, cannot write
    // where permissions forbid it (root would ignore a read-only folder). The
    // body returns its exit status; 0 means every check inside it held.
    static int runUnprivileged(const std::function<int()>& body)
    {
        const pid_t pid = ::fork();
        if (pid == 0) {
            if (::geteuid() == 0 && (::setgid(nobody) != 0 || ::setuid(nobody) != 0))
                ::_exit(90);
            ::_exit(body());
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 99;
    }

    QTemporaryDir root;
};

int chmodPath(const QString& path, mode_t mode) { return ::chmod(QFile::encodeName(path).constData(), mode); }

}  // namespace

TEST_F(SettingsDefaultsStoreTest, RoundTripsAnyBytesAndReportsAbsentKeys)
{
    SettingsDefaultsStore store(file());
    EXPECT_EQ(store.data(key), std::nullopt);
    const QByteArray awkward("{\"a\":\"b,c;d\\\\e\"}\n\0\xff[General]\r\n=@", 27);
    ASSERT_TRUE(store.setData(key, awkward));
    EXPECT_EQ(store.data(key), awkward);
    EXPECT_EQ(fromDisk().data(key), awkward);
}

// A FIFO where the file or its lock belongs is never opened (that would wait
// for a writer for good): nothing is read, writes fail saying why.
TEST_F(SettingsDefaultsStoreTest, SomethingOtherThanAFileIsNeitherReadNorWaitedOn)
{
    for (const QString& fifo : {file(), file() + QStringLiteral(".lock")}) {
        SCOPED_TRACE(fifo.toStdString());
        QDir(dir()).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(dir()));
        ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        SettingsDefaultsStore store(file());
        EXPECT_EQ(store.data(key), std::nullopt);
        EXPECT_FALSE(store.setData(key, "value"));
        EXPECT_EQ(store.lastWriteFailure(), fifo + " is not a regular file");
        EXPECT_EQ(store.unusableFile(),
                  "moravel: " + fifo + " is not a regular file, so the settings are neither read nor kept");
    }
    QDir(dir()).removeRecursively();
    EXPECT_EQ(SettingsDefaultsStore(file()).unusableFile(), std::nullopt);
}

TEST_F(SettingsDefaultsStoreTest, FailedWriteToReadOnlyFolderKeepsTheStoredValueAndFile)
{
    ASSERT_TRUE(SettingsDefaultsStore(file()).setData(key, "old"));
    const QByteArray fileBefore = fixtures::readFile(file());
    const QString other = QStringLiteral("collapsedMetricPreferences.v1");
    // The file itself stays writable: only an in-place rewrite could succeed,
    // and that could leave it truncated, so the write must fail instead.
    ASSERT_EQ(chmodPath(root.path(), 0755), 0);
    ASSERT_EQ(chmodPath(file(), 0666), 0);
    if (::geteuid() == 0) {  // the unprivileged child must be able to lift the protection again
        ASSERT_EQ(::chown(QFile::encodeName(dir()).constData(), nobody, nobody), 0);
    }
    const int status = runUnprivileged([&] {
        if (chmodPath(dir(), 0555) != 0)
            return 10;
        SettingsDefaultsStore store(file());
        if (store.setData(key, "new") || store.data(key) != QByteArray("old"))
            return 1;
        if (!store.lastWriteFailure().endsWith(QStringLiteral("/Moravel is read-only")))
            return 4;
        if (fixtures::readFile(file()) != fileBefore || filesInDir() != QStringList{QStringLiteral("Moravel.conf")})
            return 2;
        // Storage is back: the next save must not carry the failed value with it.
        if (chmodPath(dir(), 0777) != 0)
            return 11;
        return store.setData(other, "list") ? 0 : 3;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(fromDisk().data(key), QByteArray("old"));
    EXPECT_EQ(fromDisk().data(other), QByteArray("list"));
}

TEST_F(SettingsDefaultsStoreTest, TwoRunningCopiesKeepEachOthersKeysIntact)
{
    constexpr int writes = 40;
    const auto value = [](int i, char fill) { return QByteArray(1 + (i * 37) % 400, fill) + QByteArray::number(i); };
    const auto writeMany = [&](const QString& ownKey, char fill) {
        SettingsDefaultsStore store(file());
        bool allWritten = true;
        for (int i = 0; i < writes; ++i)
            allWritten &= store.setData(ownKey, value(i, fill));
        return allWritten;
    };
    const QString childKey = QStringLiteral("child");
    const QString parentKey = QStringLiteral("parent");
    // The child runs alongside the parent's writes; its status is collected below.
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(writeMany(childKey, 'c') ? 0 : 1);
    EXPECT_TRUE(writeMany(parentKey, 'p'));
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    const SettingsDefaultsStore disk = fromDisk();
    const std::optional<QByteArray> childValue = disk.data(childKey);
    ASSERT_TRUE(childValue);
    // Each key holds one whole value its writer stored, never a mix or a fragment.
    EXPECT_TRUE(childValue->startsWith('c') && childValue->count('p') == 0);
    EXPECT_EQ(disk.data(parentKey), value(writes - 1, 'p'));
    EXPECT_EQ(filesInDir(), QStringList{QStringLiteral("Moravel.conf")});
}
