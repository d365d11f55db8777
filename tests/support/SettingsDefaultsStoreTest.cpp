#include "support/SettingsDefaultsStore.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using moravel::SettingsDefaultsStore;

namespace {

const QString key = QStringLiteral("islandPreferences.v1");

struct ConfigDirectory {
    QTemporaryDir root;
    QString dir() const { return root.path() + QStringLiteral("/Moravel"); }
    QString file() const { return dir() + QStringLiteral("/Moravel.conf"); }

    // QSettings shares one cached copy of a file among every QSettings on the
    // same path. Reading through a second name for the folder bypasses that
    // cache and shows what is really on disk.
    QString fileSeenFromDisk()
    {
        const QString alias = root.path() + QStringLiteral("/alias");
        if (!QFile::exists(alias))
            QFile::link(dir(), alias);
        return alias + QStringLiteral("/Moravel.conf");
    }

    QByteArray rawFile() const
    {
        QFile f(file());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

void setMode(const QString& path, mode_t mode)
{
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0);
}

// Runs `body` in a child process that, like an ordinary user, cannot write
// where permissions forbid it: root's would ignore a read-only folder. The
// body returns its exit status; 0 means every check inside it held.
int runUnprivileged(const std::function<int()>& body)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(90);
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 99;
}

}  // namespace

TEST(SettingsDefaultsStore, RoundTripsAnyBytesAndReportsAbsentKeys)
{
    ConfigDirectory config;
    SettingsDefaultsStore store(config.file());
    EXPECT_EQ(store.data(key), std::nullopt);

    const QByteArray awkward("{\"a\":\"b,c;d\\\\e\"}\n\0\xff[General]\r\n=@", 27);
    ASSERT_TRUE(store.setData(key, awkward));
    EXPECT_EQ(store.data(key), awkward);
    // Another copy of the program, reading the file afresh, sees the same bytes.
    EXPECT_EQ(SettingsDefaultsStore(config.fileSeenFromDisk()).data(key), awkward);
}

TEST(SettingsDefaultsStore, DefaultPathFollowsXdgConfigHome)
{
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", "/somewhere/config");
    EXPECT_EQ(SettingsDefaultsStore::defaultFilePath(), QStringLiteral("/somewhere/config/Moravel/Moravel.conf"));
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(SettingsDefaultsStore::defaultFilePath(), QDir::homePath() + QStringLiteral("/.config/Moravel/Moravel.conf"));
    if (!saved.isNull())
        qputenv("XDG_CONFIG_HOME", saved);
}

TEST(SettingsDefaultsStore, FailedWriteToReadOnlyFolderKeepsTheStoredValueAndFile)
{
    ConfigDirectory config;
    ASSERT_TRUE(SettingsDefaultsStore(config.file()).setData(key, "old"));
    const QByteArray fileBefore = config.rawFile();
    const QString other = QStringLiteral("collapsedMetricPreferences.v1");

    // The file itself stays writable: only an in-place rewrite could succeed,
    // and that could leave it truncated, so the write must fail instead.
    setMode(config.root.path(), 0755);
    setMode(config.dir(), 0555);
    setMode(config.file(), 0666);
    int toParent[2];
    int toChild[2];
    ASSERT_EQ(::pipe(toParent), 0);
    ASSERT_EQ(::pipe(toChild), 0);

    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(90);
        SettingsDefaultsStore store(config.file());
        if (store.setData(key, "new"))
            ::_exit(1);
        if (store.data(key) != QByteArray("old"))
            ::_exit(2);
        char go = 0;
        if (::write(toParent[1], "f", 1) != 1 || ::read(toChild[0], &go, 1) != 1)
            ::_exit(3);
        // Storage is back: the next save must not carry the failed value with it.
        if (!store.setData(other, "list"))
            ::_exit(4);
        ::_exit(0);
    }
    // Without our copies of the child's ends, a child that dies early ends the read.
    ::close(toParent[1]);
    ::close(toChild[0]);
    char failed = 0;
    const bool childReachedFailure = ::read(toParent[0], &failed, 1) == 1;
    if (!childReachedFailure) {
        int early = 0;
        ::waitpid(pid, &early, 0);
        FAIL() << "child stopped with status " << WEXITSTATUS(early);
    }
    EXPECT_EQ(config.rawFile(), fileBefore);
    EXPECT_EQ(QDir(config.dir()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("Moravel.conf")});
    setMode(config.dir(), 0777);
    ASSERT_EQ(::write(toChild[1], "g", 1), 1);
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    ::close(toParent[0]);
    ::close(toChild[1]);

    SettingsDefaultsStore fromDisk(config.fileSeenFromDisk());
    EXPECT_EQ(fromDisk.data(key), QByteArray("old"));
    EXPECT_EQ(fromDisk.data(other), QByteArray("list"));
}

TEST(SettingsDefaultsStore, FailsWhenTheFolderCannotBeCreated)
{
    ConfigDirectory config;
    setMode(config.root.path(), 0555);
    const int status = runUnprivileged([&] {
        SettingsDefaultsStore store(config.file());
        if (store.setData(key, "value"))
            return 1;
        return store.data(key) == std::nullopt ? 0 : 2;
    });
    EXPECT_EQ(status, 0);
    EXPECT_FALSE(QFile::exists(config.file()));
}

TEST(SettingsDefaultsStore, TwoRunningCopiesKeepEachOthersKeysIntact)
{
    ConfigDirectory config;
    constexpr int writes = 40;
    const auto writeMany = [&](const QString& ownKey, char fill) {
        SettingsDefaultsStore store(config.file());
        bool allWritten = true;
        for (int i = 0; i < writes; ++i)
            allWritten &= store.setData(ownKey, QByteArray(1 + (i * 37) % 400, fill) + QByteArray::number(i));
        return allWritten;
    };
    const QString childKey = QStringLiteral("child");
    const QString parentKey = QStringLiteral("parent");

    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(writeMany(childKey, 'c') ? 0 : 1);
    EXPECT_TRUE(writeMany(parentKey, 'p'));
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    SettingsDefaultsStore fromDisk(config.fileSeenFromDisk());
    const std::optional<QByteArray> childValue = fromDisk.data(childKey);
    const std::optional<QByteArray> parentValue = fromDisk.data(parentKey);
    ASSERT_TRUE(childValue && parentValue);
    // Each key holds one whole value its writer stored, never a mix or a fragment.
    EXPECT_TRUE(childValue->startsWith('c') && childValue->count('p') == 0);
    EXPECT_TRUE(parentValue->startsWith('p') && parentValue->count('c') == 0);
    const int last = writes - 1;
    EXPECT_EQ(*parentValue, QByteArray(1 + (last * 37) % 400, 'p') + QByteArray::number(last));
    EXPECT_EQ(QDir(config.dir()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("Moravel.conf")});
}
