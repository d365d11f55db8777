#include "support/XdgAutostartLoginItem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace moravel {
namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& contents)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size();
}

QString execLine(const QString& entry)
{
    for (const QString& line : entry.split(u'\n')) {
        if (line.startsWith(QStringLiteral("Exec=")))
            return line.mid(5);
    }
    return {};
}

TEST(DesktopExecArgument, PlainPathsStayUnquoted)
{
    EXPECT_EQ(desktopExecArgument(u"/usr/bin/moravel"), "/usr/bin/moravel");
}

TEST(DesktopExecArgument, ReservedCharactersAreQuotedAndEscapedForBothParsingSteps)
{
    // Quoting gives "/opt/My Apps/mo\"ra\$vel"; storing that as a string value
    // doubles each backslash once more.
    EXPECT_EQ(desktopExecArgument(u"/opt/My Apps/mo\"ra$vel"), R"("/opt/My Apps/mo\\"ra\\$vel")");
    EXPECT_EQ(desktopExecArgument(u"/opt/back\\slash"), R"("/opt/back\\\\slash")");
    EXPECT_EQ(desktopExecArgument(u"/opt/it's`here`"), R"("/opt/it's\\`here\\`")");
    EXPECT_EQ(desktopExecArgument(u"/opt/line\nbreak"), R"("/opt/line\nbreak")");
}

TEST(DesktopExecArgument, PercentSignsAreDoubledWhetherQuotedOrNot)
{
    EXPECT_EQ(desktopExecArgument(u"/opt/100%/moravel"), "/opt/100%%/moravel");
    EXPECT_EQ(desktopExecArgument(u"/opt/100 %f/moravel"), R"("/opt/100 %%f/moravel")");
}

TEST(HiddenDesktopEntry, OnlyHiddenTrueInTheMainGroupCounts)
{
    EXPECT_TRUE(isHiddenDesktopEntry(u"[Desktop Entry]\nName=Moravel\nHidden = true\n"));
    EXPECT_FALSE(isHiddenDesktopEntry(u"[Desktop Entry]\nHidden=false\n"));
    EXPECT_FALSE(isHiddenDesktopEntry(u"[Desktop Entry]\n# Hidden=true\n"));
    EXPECT_FALSE(isHiddenDesktopEntry(u"[Desktop Entry]\nName=x\n[Desktop Action quit]\nHidden=true\n"));
}

class XdgAutostartLoginItemTest : public ::testing::Test {
protected:
    QString autostart() const { return root.filePath(QStringLiteral("config/autostart")); }
    QString entry() const { return autostart() + QStringLiteral("/moravel.desktop"); }

    QTemporaryDir root;
};

TEST_F(XdgAutostartLoginItemTest, SwitchingOnWritesAnEntryThatStartsTheExecutable)
{
    XdgAutostartLoginItem item(autostart(), QStringLiteral("/opt/Moravel 2/100% \"real\"/moravel"));
    EXPECT_FALSE(item.isEnabled());

    ASSERT_TRUE(item.setEnabled(true));  // creates the missing directories too
    EXPECT_TRUE(item.isEnabled());
    const QString contents = QString::fromUtf8(readAll(entry()));
    EXPECT_TRUE(contents.startsWith(QStringLiteral("[Desktop Entry]\n")));
    EXPECT_TRUE(contents.contains(QStringLiteral("\nType=Application\n")));
    EXPECT_EQ(execLine(contents), R"("/opt/Moravel 2/100%% \\"real\\"/moravel")");
    // Nothing but the entry is left behind by the atomic write.
    EXPECT_EQ(QDir(autostart()).entryList(QDir::Files | QDir::Hidden), QStringList{"moravel.desktop"});
}

TEST_F(XdgAutostartLoginItemTest, WrittenEntryPassesTheDesktopFileValidator)
{
    const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (validator.isEmpty())
        GTEST_SKIP() << "desktop-file-validate is not installed";
    XdgAutostartLoginItem item(autostart(), QStringLiteral("/opt/My $Apps/mo`ra\\vel 100%"));
    ASSERT_TRUE(item.setEnabled(true));
    QProcess process;
    process.start(validator, {entry()});
    ASSERT_TRUE(process.waitForFinished(20000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardOutput().constData();
}

TEST_F(XdgAutostartLoginItemTest, SwitchingOffRemovesTheEntry)
{
    XdgAutostartLoginItem item(autostart(), QStringLiteral("/usr/bin/moravel"));
    ASSERT_TRUE(item.setEnabled(true));
    ASSERT_TRUE(item.setEnabled(false));
    EXPECT_FALSE(QFileInfo::exists(entry()));
    EXPECT_FALSE(item.isEnabled());
    EXPECT_TRUE(item.setEnabled(false));  // already off
}

TEST_F(XdgAutostartLoginItemTest, HiddenEntryIsOffAndSwitchingOnReplacesIt)
{
    ASSERT_TRUE(QDir().mkpath(autostart()));
    ASSERT_TRUE(writeFile(entry(), "[Desktop Entry]\nType=Application\nExec=moravel\nHidden=true\n"));
    XdgAutostartLoginItem item(autostart(), QStringLiteral("/usr/bin/moravel"));
    EXPECT_FALSE(item.isEnabled());
    ASSERT_TRUE(item.setEnabled(true));
    EXPECT_TRUE(item.isEnabled());
}

TEST_F(XdgAutostartLoginItemTest, UnwritableDirectoryFailsAndLeavesItOff)
{
    // A regular file where a directory should be: even root cannot create
    // anything beneath it.
    const QString blocker = root.filePath(QStringLiteral("config"));
    ASSERT_TRUE(writeFile(blocker, "not a directory"));
    XdgAutostartLoginItem item(autostart(), QStringLiteral("/usr/bin/moravel"));
    EXPECT_FALSE(item.setEnabled(true));
    EXPECT_FALSE(item.isEnabled());
    EXPECT_EQ(readAll(blocker), "not a directory");
}

TEST_F(XdgAutostartLoginItemTest, EntryThatCannotBeRemovedFailsSwitchingOff)
{
    ASSERT_TRUE(QDir().mkpath(entry()));
    ASSERT_TRUE(writeFile(entry() + QStringLiteral("/keep"), "x"));
    XdgAutostartLoginItem item(autostart(), QStringLiteral("/usr/bin/moravel"));
    EXPECT_FALSE(item.setEnabled(false));
    EXPECT_FALSE(item.setEnabled(true));  // nor can it be replaced by a file
}

TEST_F(XdgAutostartLoginItemTest, RelativeExecutablePathIsRefused)
{
    XdgAutostartLoginItem item(autostart(), QStringLiteral("moravel"));
    EXPECT_FALSE(item.setEnabled(true));
    EXPECT_FALSE(QFileInfo::exists(entry()));
}

TEST(XdgAutostartDirectory, FollowsAnAbsoluteConfigHomeAndIgnoresARelativeOne)
{
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    const bool wasSet = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", "/tmp/moravel-config");
    EXPECT_EQ(XdgAutostartLoginItem::defaultAutostartDirectory(), "/tmp/moravel-config/autostart");
    qputenv("XDG_CONFIG_HOME", "relative/config");
    EXPECT_EQ(XdgAutostartLoginItem::defaultAutostartDirectory(), QDir::homePath() + "/.config/autostart");
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(XdgAutostartLoginItem::defaultAutostartDirectory(), QDir::homePath() + "/.config/autostart");
    if (wasSet)
        qputenv("XDG_CONFIG_HOME", saved);
}

}  // namespace
}  // namespace moravel
