// The island as a user starts it: the real program on a private X server.
#include "app/InstanceLock.h"
#include "testsupport/ChildEnvironment.h"
#include "testsupport/Files.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

using namespace moravel::fixtures;

namespace {

// Xvfb on the first free display, until the end of the test.
class PrivateDisplay {
public:
    PrivateDisplay()
    {
        // -displayfd: Xvfb picks a free display and names it once it accepts clients.
        server_.start(QStringLiteral("Xvfb"), {"-displayfd", "1", "-screen", "0", "1440x900x24", "-nolisten", "tcp"});
        if (server_.waitForReadyRead(20'000))
            name_ = u':' + QString::fromLatin1(server_.readAllStandardOutput().trimmed());
    }
    ~PrivateDisplay()
    {
        server_.terminate();
        server_.waitForFinished(20'000);
    }
    const QString& name() const { return name_; }

private:
    QProcess server_;
    QString name_;
};

bool showsIslandWindow(const QString& display)
{
    QProcess windows;
    windows.start(QStringLiteral("xwininfo"), {"-display", display, "-root", "-tree"});
    windows.waitForFinished(20'000);
    return windows.readAllStandardOutput().contains("\"Moravel\"");
}

}  // namespace

// A lock file a crash left behind does not stop the island; a second copy
// says it is running; SIGTERM ends the island at once with status 0, the
// history kept, and nothing on standard error but that alerts cannot be shown
// without a session bus (under the sanitizers: no leak reported either).
TEST(IslandProcess, StartsOverAStaleLockRefusesASecondCopyAndQuitsOnTerm)
{
    for (const char* tool : {"Xvfb", "xwininfo"}) {
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            GTEST_SKIP() << tool << " is not installed (scripts/install-deps installs it)";
    }
    PrivateDisplay display;
    ASSERT_FALSE(display.name().isEmpty());
    QTemporaryDir home;
    const QString runtime = home.filePath("runtime");
    ASSERT_TRUE(QDir().mkdir(runtime));
    ::chmod(QFile::encodeName(runtime).constData(), 0700);
    const QString lockPath = runtime + u'/' + QLatin1String(moravel::InstanceLock::fileName);
    ASSERT_TRUE(writeFile(lockPath, "99999\nmoravel\n\xff"));

    QProcessEnvironment environment = environmentWithoutSessionBus();
    environment.insert("DISPLAY", display.name());
    environment.insert("XDG_RUNTIME_DIR", runtime);
    environment.insert("XDG_CONFIG_HOME", home.filePath("config"));
    environment.insert("XDG_STATE_HOME", home.filePath("state"));
    environment.remove("QT_QPA_PLATFORM");
    environment.remove("WAYLAND_DISPLAY");
    QProcess island;
    island.setProcessEnvironment(environment);
    island.start(QStringLiteral(MORAVEL_BINARY), {});
    ASSERT_TRUE(island.waitForStarted(20'000));
    for (int wait = 0; wait < 300 && !island.waitForFinished(100) && !showsIslandWindow(display.name()); ++wait) {
    }
    ASSERT_EQ(island.state(), QProcess::Running) << island.readAllStandardError().toStdString();
    EXPECT_EQ(readFile(lockPath), QByteArray::number(island.processId()) + '\n');

    QProcess second;
    second.setProcessEnvironment(environment);
    second.start(QStringLiteral(MORAVEL_BINARY), {});
    ASSERT_TRUE(second.waitForFinished(20'000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(second.readAllStandardOutput(), "moravel: the island is already running\n");

    ::kill(static_cast<pid_t>(island.processId()), SIGTERM);
    ASSERT_TRUE(island.waitForFinished(20'000));
    EXPECT_EQ(island.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(island.exitCode(), 0);
    EXPECT_EQ(island.readAllStandardError().toStdString(), "moravel: no D-Bus session bus, so alerts are not shown\n");
    EXPECT_EQ(modeOf(home.filePath("state/Moravel/history.json")), 0600u);
}
