// The island as a user starts it: the real program on a private X server.
#include "app/InstanceLock.h"
#include "testsupport/ChildEnvironment.h"
#include "testsupport/Files.h"
#include "testsupport/PrivateBus.h"
#include "testsupport/PrivateDisplay.h"
#include "testsupport/SilentSocket.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <tuple>

using namespace moravel::fixtures;

namespace {

bool showsIslandWindow(const QString& display)
{
    QProcess windows;
    windows.start(QStringLiteral("xwininfo"), {"-display", display, "-root", "-tree"});
    windows.waitForFinished(20'000);
    return windows.readAllStandardOutput().contains("\"Moravel\"");
}

// The island's environment: `display`, its folders in `home` (the runtime
// folder private), and no session bus.
QProcessEnvironment islandEnvironment(const QString& display, const QTemporaryDir& home)
{
    const QString runtime = home.filePath("runtime");
    QDir().mkdir(runtime);
    ::chmod(QFile::encodeName(runtime).constData(), 0700);
    QProcessEnvironment environment = environmentWithoutSessionBus();
    environment.insert("DISPLAY", display);
    environment.insert("XDG_RUNTIME_DIR", runtime);
    environment.insert("XDG_CONFIG_HOME", home.filePath("config"));
    environment.insert("XDG_STATE_HOME", home.filePath("state"));
    environment.remove("QT_QPA_PLATFORM");
    environment.remove("WAYLAND_DISPLAY");
    return environment;
}

// Ends the island with SIGTERM, which must end it at once with status 0;
// what it said on standard error.
std::string quitOnTerm(QProcess& island)
{
    ::kill(static_cast<pid_t>(island.processId()), SIGTERM);
    EXPECT_TRUE(island.waitForFinished(20'000));
    EXPECT_EQ(island.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(island.exitCode(), 0);
    return island.readAllStandardError().toStdString();
}

// The island on a private X server, its folders in a private home, no session bus.
class IslandProcessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* tool : {"Xvfb", "xwininfo"}) {
            if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
                GTEST_SKIP() << tool << " is not installed (scripts/install-deps installs it)";
        }
        ASSERT_FALSE(display.name().isEmpty());
        environment = islandEnvironment(display.name(), home);
    }

    // Starts the island and waits, bounded, until its window shows or it ends.
    void startIsland()
    {
        island.setProcessEnvironment(environment);
        island.start(QStringLiteral(MORAVEL_BINARY), {});
        if (island.waitForStarted(20'000)) {
            for (int wait = 0; wait < 300 && !island.waitForFinished(100) && !showsIslandWindow(display.name());
                 ++wait) {
            }
        }
        ASSERT_EQ(island.state(), QProcess::Running) << island.readAllStandardError().toStdString();
    }

    // Runs moravel with `arguments` in the island's environment, to its end (bounded).
    std::tuple<int, QByteArray, QByteArray> command(const QStringList& arguments)
    {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(MORAVEL_BINARY), arguments);
        process.waitForFinished(20'000);
        return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
    }

    PrivateDisplay display;
    QTemporaryDir home;
    QProcessEnvironment environment;
    QProcess island;
};

}  // namespace

// A lock file a crash left behind does not stop the island; a second copy
// says it is running; SIGTERM ends the island at once with status 0, the
// history kept, and nothing on standard error but that alerts cannot be shown
// without a session bus (under the sanitizers: no leak reported either).
TEST_F(IslandProcessTest, StartsOverAStaleLockRefusesASecondCopyAndQuitsOnTerm)
{
    const QString lockPath =
        environment.value("XDG_RUNTIME_DIR") + u'/' + QLatin1String(moravel::InstanceLock::fileName);
    ASSERT_TRUE(writeFile(lockPath, "99999\nmoravel\n\xff"));

    ASSERT_NO_FATAL_FAILURE(startIsland());
    EXPECT_EQ(readFile(lockPath), QByteArray::number(island.processId()) + '\n');

    EXPECT_EQ(command({}), std::tuple(0, QByteArray("moravel: the island is already running\n"), QByteArray()));

    EXPECT_EQ(quitOnTerm(island), "moravel: no D-Bus session bus, so alerts are not shown\n");
    EXPECT_EQ(modeOf(home.filePath("state/Moravel/history.json")), 0600u);
}

// A session bus that takes the connection and never answers (a stopped
// daemon): the island shows all the same, says that alerts wait for the bus,
// and SIGTERM ends it at once.
TEST_F(IslandProcessTest, ShowsAndQuitsWhileTheSessionBusNeverAnswers)
{
    SilentSocket bus(home.filePath("bus"));
    ASSERT_TRUE(bus.isListening());
    environment.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + home.filePath("bus"));

    ASSERT_NO_FATAL_FAILURE(startIsland());
    EXPECT_TRUE(showsIslandWindow(display.name()));
    EXPECT_EQ(quitOnTerm(island), "moravel: the D-Bus session bus does not answer; alerts are shown once it does\n");
}

// On a session bus the island answers moravel --open, --toggle and --close,
// and a second plain moravel opens it; with no island running the commands
// exit 1 with one line.
TEST_F(IslandProcessTest, AnswersItsCommandsOnTheSessionBus)
{
    if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty())
        GTEST_SKIP() << "dbus-daemon is not installed (scripts/install-deps installs it)";
    PrivateBus bus;
    ASSERT_FALSE(bus.address().isEmpty());
    environment.insert("DBUS_SESSION_BUS_ADDRESS", bus.address());
    EXPECT_EQ(command({"--toggle"}), std::tuple(1, QByteArray(), QByteArray("moravel: no island is running\n")));

    ASSERT_NO_FATAL_FAILURE(startIsland());
    const std::tuple done{0, QByteArray(), QByteArray()};
    // The name is owned once the island shows; asked until it answers, bounded.
    for (int attempt = 0; attempt < 50 && std::get<0>(command({"--open", "CPU"})) != 0; ++attempt)
        island.waitForFinished(100);
    EXPECT_EQ(command({"--open", "gpu"}), done);  // no GPU here: the Overview
    EXPECT_EQ(command({"--toggle"}), done);
    EXPECT_EQ(command({"--close"}), done);
    EXPECT_EQ(command({}),
              std::tuple(0, QByteArray("moravel: the island is already running; opened it\n"), QByteArray()));

    quitOnTerm(island);
}
