#pragma once

#include "support/LoginItem.h"

#include <QString>
#include <QStringView>

namespace moravel {

// Starts Moravel at login through a desktop entry in the user's XDG autostart
// directory, which every freedesktop session (GNOME, KDE, Xfce, ...) runs.
class XdgAutostartLoginItem final : public LoginItem {
public:
    // `autostartDirectory` holds the entry; `executablePath` is what it starts.
    XdgAutostartLoginItem(QString autostartDirectory, QString executablePath);

    // The user's autostart directory of this running process with the running
    // executable (needs a QCoreApplication).
    static XdgAutostartLoginItem forRunningApplication();
    // $XDG_CONFIG_HOME/autostart, or ~/.config/autostart when that variable is
    // unset, empty or relative (a relative value is invalid and ignored).
    static QString defaultAutostartDirectory();

    QString entryPath() const;

    // The entry is a regular file that runs something at login (see
    // desktopEntryRunsAtLogin); it is read without ever waiting on it.
    bool isEnabled() const override;
    // On: writes the entry atomically, so a failed write (a full disk) never
    // leaves an empty or half-written file behind. Off: removes it.
    bool setEnabled(bool enabled) override;
    // Names the entry and the reason ("The autostart entry
    // ~/.config/autostart/moravel.desktop could not be written: No space left
    // on device.").
    QString failureMessage() const override { return failureMessage_; }

private:
    bool fail(const char* action, const QString& reason);

    QString autostartDirectory_;
    QString executablePath_;
    QString failureMessage_;
};

// The autostart desktop entry that runs `executablePath`.
QString autostartDesktopEntry(const QString& executablePath);

// `argument` as one argument of an Exec key, written as it must appear in the
// file: quoted when it holds a reserved character, with ", `, $ and \ escaped
// inside the quotes, % doubled, and the string-value escapes applied on top.
QString desktopExecArgument(QStringView argument);

// Whether a session would start something from this desktop entry: its
// [Desktop Entry] group has a non-empty Exec key and says neither
// Hidden=true (the entry counts as deleted) nor X-GNOME-Autostart-enabled=false
// (switched off in GNOME's settings). An empty or unparsable file runs nothing.
bool desktopEntryRunsAtLogin(QStringView contents);

}  // namespace moravel
