// The check of the island's X display, on a private X server and on one that
// never answers.
#include "app/DisplayCheck.h"
#include "testsupport/PrivateDisplay.h"
#include "testsupport/SilentSocket.h"

#include <QStandardPaths>

#include <gtest/gtest.h>

#include <memory>

using namespace moravel;
using namespace moravel::fixtures;

namespace {

// Sets an environment variable for the test, and puts it back after.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const QByteArray& value)
        : name_(name), saved_(qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt)
    {
        qputenv(name, value);
    }
    ~ScopedVariable() { saved_ ? qputenv(name_, *saved_) : qunsetenv(name_); }

private:
    const char* name_;
    std::optional<QByteArray> saved_;
};

QByteArray xprop(const QString& display, const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral("xprop"), QStringList{"-display", display, "-root"} + arguments);
    process.waitForFinished(20'000);
    return process.readAllStandardOutput();
}

}  // namespace

// An X server that takes the connection and never answers is given up on at
// the deadline, in one line.
TEST(X11DisplayCheck, AFrozenServerIsGivenUpOnAtTheDeadline)
{
    // Where display :N's server listens first: an abstract socket.
    std::unique_ptr<SilentSocket> frozen;
    int number = 600;
    for (; number < 700; ++number) {
        frozen = std::make_unique<SilentSocket>(QStringLiteral("/tmp/.X11-unix/X%1").arg(number), true);
        if (frozen->isListening())
            break;
    }
    ASSERT_TRUE(frozen->isListening());
    const QByteArray display = ':' + QByteArray::number(number);
    const ScopedVariable platform("QT_QPA_PLATFORM", "xcb");
    const ScopedVariable variable("DISPLAY", display);
    const X11DisplayCheck check(std::chrono::milliseconds(200));
    EXPECT_EQ(check.problem(),
              "moravel: the display \"" + display + "\" does not answer (its X server may be frozen)");
}

// The check keeps its connection until the application has its own: an X
// server with no other client would reset as the check left, and the
// application's connection would fail during the reset. (A reset clears
// what clients left on the root window.)
TEST(X11DisplayCheck, KeepsItsConnectionUntilClosedSoTheServerDoesNotReset)
{
    for (const char* tool : {"Xvfb", "xprop"}) {
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            GTEST_SKIP() << tool << " is not installed (scripts/install-deps installs it)";
    }
    PrivateDisplay display;
    ASSERT_FALSE(display.name().isEmpty());
    const ScopedVariable platform("QT_QPA_PLATFORM", "xcb");
    const ScopedVariable variable("DISPLAY", display.name().toLocal8Bit());
    X11DisplayCheck check;
    ASSERT_EQ(check.problem(), std::nullopt);
    xprop(display.name(), {"-f", "MORAVEL_MARK", "8s", "-set", "MORAVEL_MARK", "kept"});
    EXPECT_TRUE(xprop(display.name(), {"MORAVEL_MARK"}).contains("\"kept\""));
    check.close();
}
