#pragma once

#include <QProcess>
#include <QString>

namespace moravel::fixtures {

// Xvfb on the first free display, with no client of its own, until the end of the test.
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
    PrivateDisplay(const PrivateDisplay&) = delete;
    PrivateDisplay& operator=(const PrivateDisplay&) = delete;

    const QString& name() const { return name_; }

private:
    QProcess server_;
    QString name_;
};

}  // namespace moravel::fixtures
