#include "support/SettingsDefaultsStore.h"
#include "support/XdgAutostartLoginItem.h"
#include "testsupport/Files.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace moravel {
namespace {

using fixtures::readFile;
using fixtures::writeFile;

TEST(DesktopExecArgument, QuotesAndEscapesForBothParsingStepsAndDoublesPercentSigns)
{
    // Quoting escapes `, ", $ and \; storing that as a string value doubles
    // each backslash once more. The entry test below writes a path with all of them.
    const std::pair<const char*, const char*> rows[] = {
        {"/usr/bin/moravel", "/usr/bin/moravel"},
        {"/opt/it's`here`", R"("/opt/it's\\`here\\`")"},
        {"/opt/100 %f/moravel", R"("/opt/100 %%f/moravel")"},
    };
    for (const auto& [path, expected] : rows)
        EXPECT_EQ(desktopExecArgument(QString::fromUtf8(path)), QString::fromUtf8(expected)) << path;
}

TEST(DesktopEntryRunsAtLogin, NeedsAnExecInTheMainGroupAndNoHiddenTrueThere)
{
    const std::pair<const char16_t*, bool> rows[] = {
        {u"[Desktop Entry]\nExec=moravel\nHidden=false\n", true},
        {u"[Desktop Entry]\nName=Moravel\nExec=moravel\nHidden = true\n", false},
        {u"[Desktop Entry]\nExec=moravel\n[Desktop Action quit]\nHidden=true\n", true},
        // Switched off in GNOME's settings.
        {u"[Desktop Entry]\nExec=moravel\nX-GNOME-Autostart-enabled=false\n", false},
        {u"[Desktop Entry]\nExec=moravel\nX-GNOME-Autostart-enabled=true\n", true},
        // What a full disk or a crash leaves behind runs nothing.
        {u"", false},
        {u"[Desktop Entry]\nType=Application\nExe", false},
        {u"[Desktop Entry]\nExec=\n", false},
        {u"[Desktop Action quit]\nExec=moravel\n", false},
    };
    for (const auto& [contents, runs] : rows)
        EXPECT_EQ(desktopEntryRunsAtLogin(QStringView(contents)), runs) << QString::fromUtf16(contents).toStdString();
}

class XdgAutostartLoginItemTest : public ::testing::Test {
protected:
    QString autostart() const { return root.filePath(QStringLiteral("config/autostart")); }
    QString entry() const { return autostart() + QStringLiteral("/moravel.desktop"); }
    XdgAutostartLoginItem makeItem(const QString& executable = QStringLiteral("/usr/bin/moravel")) const
    {
        return XdgAutostartLoginItem(autostart(), executable);
    }

    QTemporaryDir root;
};

// On writes an entry that starts the executable, whatever its path holds,
// and passes the freedesktop validator; off removes it. An entry hidden by
// the user counts as off, and switching on replaces it.
TEST_F(XdgAutostartLoginItemTest, SwitchingOnWritesAValidEntryAndOffRemovesIt)
{
    EXPECT_FALSE(makeItem(QStringLiteral("moravel")).setEnabled(true));  // a relative path is refused
    auto item = makeItem(QStringLiteral("/opt/Moravel 2/100% \"real\"/mo`ra$v\\el"));
    EXPECT_FALSE(item.isEnabled());
    ASSERT_TRUE(item.setEnabled(true));  // creates the missing directories too
    EXPECT_TRUE(item.isEnabled());
    const QString contents = QString::fromUtf8(readFile(entry()));  // its form is for the validator below
    const QString exec = QStringLiteral(R"(Exec="/opt/Moravel 2/100%% \\"real\\"/mo\\`ra\\$v\\\\el")");
    EXPECT_TRUE(contents.contains(u'\n' + exec + u'\n'));
    // Nothing but the entry is left behind by the atomic write.
    EXPECT_EQ(QDir(autostart()).entryList(QDir::Files | QDir::Hidden), QStringList{"moravel.desktop"});
    if (const QString validator = QStandardPaths::findExecutable("desktop-file-validate"); !validator.isEmpty()) {
        QProcess process;
        process.start(validator, {entry()});
        ASSERT_TRUE(process.waitForFinished(20000));
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardOutput().constData();
    }

    ASSERT_TRUE(item.setEnabled(false));
    EXPECT_FALSE(QFileInfo::exists(entry()));
    EXPECT_FALSE(item.isEnabled());
    EXPECT_TRUE(item.setEnabled(false));  // already off

    ASSERT_TRUE(writeFile(entry(), "[Desktop Entry]\nType=Application\nExec=moravel\nHidden=true\n"));
    EXPECT_FALSE(item.isEnabled());
    ASSERT_TRUE(item.setEnabled(true));
    EXPECT_TRUE(item.isEnabled());

    // A FIFO at the entry's place starts nothing, is never waited on, and is replaced.
    ASSERT_TRUE(QFile::remove(entry()));
    ASSERT_EQ(::mkfifo(QFile::encodeName(entry()).constData(), 0600), 0);
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
    auto item = makeItem();
    EXPECT_FALSE(item.setEnabled(true));
    EXPECT_EQ(item.failureMessage(),
              "The autostart entry " + entry() + " could not be written: its folder cannot be created.");
    EXPECT_FALSE(item.isEnabled());
    EXPECT_EQ(readFile(blocker), "not a directory");
}

TEST_F(XdgAutostartLoginItemTest, EntryThatCannotBeRemovedFailsSwitchingOff)
{
    ASSERT_TRUE(QDir().mkpath(entry()));
    ASSERT_TRUE(writeFile(entry() + QStringLiteral("/keep"), "x"));
    auto item = makeItem();
    EXPECT_FALSE(item.setEnabled(false));
    EXPECT_TRUE(item.failureMessage().startsWith("The autostart entry " + entry() + " could not be removed: "));
    EXPECT_FALSE(item.setEnabled(true));  // nor can it be replaced by a file
    EXPECT_TRUE(item.failureMessage().contains(" could not be written: ")) << item.failureMessage().toStdString();
}

// The settings and the autostart entry follow an absolute XDG_CONFIG_HOME
// and ignore a relative one.
TEST(ConfigHome, SettingsAndAutostartEntryFollowAnAbsoluteXdgConfigHome)
{
    const std::optional<QByteArray> saved =
        qEnvironmentVariableIsSet("XDG_CONFIG_HOME") ? std::optional(qgetenv("XDG_CONFIG_HOME")) : std::nullopt;
    const QString home = QDir::homePath() + "/.config";
    for (const auto& [value, config] : {std::pair<const char*, QString>{"/tmp/moravel-config", "/tmp/moravel-config"},
                                        {"relative/config", home}, {nullptr, home}}) {
        value ? qputenv("XDG_CONFIG_HOME", value) : qunsetenv("XDG_CONFIG_HOME");
        EXPECT_EQ(SettingsDefaultsStore::defaultFilePath(), config + "/Moravel/Moravel.conf") << value;
        EXPECT_EQ(XdgAutostartLoginItem::defaultAutostartDirectory(), config + "/autostart") << value;
    }
    saved ? qputenv("XDG_CONFIG_HOME", *saved) : qunsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace moravel
