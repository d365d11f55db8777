#pragma once

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace moravel::fixtures {

// A bus daemon of its own for the test, that starts no services.
class PrivateBus {
public:
    PrivateBus()
    {
        const QString config = directory_.filePath("bus.conf");
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly))
            return;
        // Listens in the test's own folder, lets anybody own any name and has no
        // service folders, so nothing on this machine is ever started by it.
        file.write("<busconfig><type>session</type><listen>unix:dir=" + QFile::encodeName(directory_.path())
                   + "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                     "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/><allow own=\"*\"/>"
                     "</policy></busconfig>\n");
        file.close();
        daemon_.start(QStringLiteral("dbus-daemon"), {"--config-file=" + config, "--nofork", "--print-address=1"});
        if (daemon_.waitForReadyRead(10'000))
            address_ = QString::fromLatin1(daemon_.readLine().trimmed());
    }
    ~PrivateBus()
    {
        daemon_.terminate();
        daemon_.waitForFinished(10'000);
    }
    const QString& address() const { return address_; }
    qint64 processId() const { return daemon_.processId(); }

private:
    QTemporaryDir directory_;
    QProcess daemon_;
    QString address_;
};

}  // namespace moravel::fixtures
