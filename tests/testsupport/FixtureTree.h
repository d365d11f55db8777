#pragma once

#include <QString>
#include <QTemporaryDir>

#include <string>

namespace moravel::fixtures {

// A throw-away directory tree standing in for /proc and /sys.
class FixtureTree {
public:
    FixtureTree();
    // Below `parent` instead of the temporary folder.
    explicit FixtureTree(const QString& parent);

    QString root() const { return dir_.path(); }
    QString procRoot() const { return dir_.path() + QStringLiteral("/proc"); }
    QString sysRoot() const { return dir_.path() + QStringLiteral("/sys"); }

    // Writes `content` to `relativePath` (under root), creating folders as needed.
    void write(const QString& relativePath, const std::string& content);
    // The same in one step, for a file a running process reads: it sees the
    // old contents or the new, never half of them.
    void replace(const QString& relativePath, const std::string& content);
    void remove(const QString& relativePath);
    void makeDirectory(const QString& relativePath);
    // A FIFO nobody writes to: opening it for reading would wait forever.
    void makeFifo(const QString& relativePath);

private:
    QTemporaryDir dir_;
};

// Switches the C library to a German locale (decimal comma) for one scope,
// building the locale definition into a private folder when the machine has
// none installed. `isActive()` tells whether the switch worked.
class GermanNumericLocale {
public:
    GermanNumericLocale();
    ~GermanNumericLocale();
    bool isActive() const { return active_; }

private:
    QTemporaryDir dir_;
    std::string previous_;
    bool active_ = false;
};

}  // namespace moravel::fixtures
