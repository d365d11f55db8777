#include "support/XdgAutostartLoginItem.h"

#include "support/PrivateFiles.h"
#include "support/RegularFile.h"
#include "support/XdgDirectories.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace moravel {

namespace {

constexpr char kEntryFileName[] = "moravel.desktop";

// Characters that make the Exec parser split or reinterpret an argument
// unless it is quoted.
bool isReservedInExec(QChar c)
{
    return QStringView(u" \t\n\"'\\><~|&;$*?#()`").contains(c);
}

bool isEscapedInsideQuotes(QChar c)
{
    return c == u'"' || c == u'`' || c == u'$' || c == u'\\';
}

// The quoting of the Exec key itself, before the value is stored as a string.
QString quotedExecArgument(QStringView argument)
{
    const bool needsQuotes = argument.isEmpty() || std::any_of(argument.begin(), argument.end(), isReservedInExec);
    QString result;
    if (needsQuotes)
        result += u'"';
    for (QChar c : argument) {
        if (needsQuotes && isEscapedInsideQuotes(c))
            result += u'\\';
        result += c;
        // A lone % would start a field code such as %f.
        if (c == u'%')
            result += u'%';
    }
    if (needsQuotes)
        result += u'"';
    return result;
}

// Every value of a desktop entry is read with these escapes undone first.
QString escapedStringValue(QStringView value)
{
    QString result;
    result.reserve(value.size());
    for (QChar c : value) {
        switch (c.unicode()) {
        case u'\\': result += u"\\\\"; break;
        case u'\n': result += u"\\n"; break;
        case u'\t': result += u"\\t"; break;
        case u'\r': result += u"\\r"; break;
        default: result += c;
        }
    }
    return result;
}

}  // namespace

QString desktopExecArgument(QStringView argument)
{
    return escapedStringValue(quotedExecArgument(argument));
}

QString autostartDesktopEntry(const QString& executablePath)
{
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Moravel\n"
                          "Comment=Live system monitor at the top of the screen\n"
                          "Exec=%1\n"
                          "Icon=moravel\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(desktopExecArgument(executablePath));
}

bool desktopEntryRunsAtLogin(QStringView contents)
{
    bool inMainGroup = false;
    bool hasMainGroup = false;
    bool hasCommand = false;
    for (QStringView line : contents.split(u'\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[')) {
            inMainGroup = line == u"[Desktop Entry]";
            hasMainGroup = hasMainGroup || inMainGroup;
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (!inMainGroup || equals < 0)
            continue;
        const QStringView key = line.left(equals).trimmed();
        const QStringView value = line.mid(equals + 1).trimmed();
        // Hidden=true counts as deleted; GNOME's own switch turns the entry off.
        const bool switchedOff = (key == u"Hidden" && value == u"true")
                                 || (key == u"X-GNOME-Autostart-enabled" && value == u"false");
        if (switchedOff)
            return false;
        if (key == u"Exec")
            hasCommand = !value.isEmpty();
    }
    return hasMainGroup && hasCommand;
}

XdgAutostartLoginItem::XdgAutostartLoginItem(QString autostartDirectory, QString executablePath)
    : autostartDirectory_(std::move(autostartDirectory)), executablePath_(std::move(executablePath))
{
}

XdgAutostartLoginItem XdgAutostartLoginItem::forRunningApplication()
{
    return XdgAutostartLoginItem(defaultAutostartDirectory(), QCoreApplication::applicationFilePath());
}

QString XdgAutostartLoginItem::defaultAutostartDirectory()
{
    return xdgConfigHome() + QStringLiteral("/autostart");
}

QString XdgAutostartLoginItem::entryPath() const
{
    return autostartDirectory_ + u'/' + QLatin1String(kEntryFileName);
}

bool XdgAutostartLoginItem::isEnabled() const
{
    // Whatever else is there (a FIFO, a folder, a huge file) starts nothing.
    const auto read = readRegularFile(entryPath(), 64 * 1024);
    const auto* entry = std::get_if<RegularFileContents>(&read);
    return entry && desktopEntryRunsAtLogin(QString::fromUtf8(entry->bytes));
}

bool XdgAutostartLoginItem::fail(const char* action, const QString& reason)
{
    failureMessage_ = QStringLiteral("The autostart entry %1 could not be %2: %3.")
                          .arg(shownPath(QDir::cleanPath(entryPath())), QLatin1String(action), reason);
    return false;
}

bool XdgAutostartLoginItem::setEnabled(bool enabled)
{
    failureMessage_.clear();
    const QString path = entryPath();
    if (!enabled) {
        const QFileInfo info(path);
        // A dangling symbolic link does not "exist" but still has to go.
        if (!info.exists() && !info.isSymLink())
            return true;
        QFile entry(path);
        return entry.remove() || fail("removed", entry.errorString());
    }

    // A relative path would resolve against whatever directory the session starts in.
    if (!QDir::isAbsolutePath(executablePath_))
        return fail("written", QStringLiteral("the program's own path is not known"));
    if (!makePrivateDirectory(autostartDirectory_))
        return fail("written", QStringLiteral("its folder cannot be created"));
    // Readable by all like any desktop entry, writable by the user alone: the
    // Exec line runs at every login.
    QString reason;
    return replaceFileAtomically(path, autostartDesktopEntry(executablePath_).toUtf8(), 0644, &reason)
           || fail("written", reason);
}

}  // namespace moravel
