#include "history/HistoryFile.h"

#include "history/HistoryFormat.h"
#include "support/PrivateFiles.h"
#include "support/RegularFile.h"
#include "support/XdgDirectories.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

namespace moravel::HistoryFile {

namespace {

// A day of every series is a few hundred kilobytes: anything far larger is
// not a history file, and is not read into memory.
constexpr qint64 largestReadable = 8 * 1024 * 1024;

struct Contents {
    QList<MinuteBucket> buckets;
    std::optional<QString> problem;  // why the file cannot be used
};

Contents unusable(QString why)
{
    return {{}, std::move(why)};
}

Contents readContents(const QString& path, qint64 nowSeconds)
{
    auto read = readRegularFile(path, largestReadable);
    if (const auto* failure = std::get_if<RegularFileFailure>(&read)) {
        switch (failure->kind) {
        case RegularFileFailure::Kind::missing:
            return {};
        case RegularFileFailure::Kind::notRegular:
            return unusable(QStringLiteral("it is not a regular file"));
        case RegularFileFailure::Kind::tooLarge:
            return unusable(QStringLiteral("it is too large"));
        case RegularFileFailure::Kind::unreadable:
            return unusable(failure->systemReason);
        }
    }
    auto decoded = HistoryFormat::decode(std::get<RegularFileContents>(read).bytes, nowSeconds);
    if (const auto* unreadable = std::get_if<HistoryFormat::Unreadable>(&decoded))
        return unusable(*unreadable == HistoryFormat::Unreadable::newerVersion
                            ? QStringLiteral("it was written by a newer Moravel")
                            : QStringLiteral("it is damaged"));
    return {std::move(std::get<QList<MinuteBucket>>(decoded)), std::nullopt};
}

QString setAsidePath(const QString& path)
{
    const QString stamp = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString candidate = path + QStringLiteral(".unreadable-") + stamp;
    for (int n = 2; QFileInfo::exists(candidate) || QFileInfo(candidate).isSymLink(); ++n)
        candidate = path + QStringLiteral(".unreadable-%1-%2").arg(stamp).arg(n);
    return candidate;
}

}  // namespace

QString defaultPath()
{
    return xdgStateHome() + QStringLiteral("/Moravel/history.json");
}

Loaded loadOrSetAside(const QString& path, qint64 nowSeconds)
{
    removeStaleTemporaries(path);
    Contents contents = readContents(path, nowSeconds);
    if (!contents.problem)
        return {std::move(contents.buckets), std::nullopt};
    const QString aside = setAsidePath(path);
    // A file that cannot be moved aside cannot be replaced by a write either
    // (both are renames in its folder): it stays as it is.
    if (!QFile::rename(path, aside))
        return {{}, QStringLiteral("moravel: the history in %1 cannot be read (%2) nor set aside")
                        .arg(path, *contents.problem)};
    return {{}, QStringLiteral("moravel: the history in %1 cannot be read (%2); it is kept as %3 and a new one begins")
                    .arg(path, *contents.problem, aside)};
}

std::variant<QList<MinuteBucket>, QString> read(const QString& path, qint64 nowSeconds)
{
    Contents contents = readContents(path, nowSeconds);
    if (contents.problem)
        return QStringLiteral("moravel: the history in %1 cannot be read: %2").arg(path, *contents.problem);
    return std::move(contents.buckets);
}

bool write(const QString& path, const QList<MinuteBucket>& buckets, QString* failure)
{
    const QString directory = QFileInfo(path).path();
    if (makePrivateDirectory(directory) && replaceFileAtomically(path, HistoryFormat::encode(buckets), 0600))
        return true;
    if (failure)
        *failure = writeFailureReason(directory, path);
    return false;
}

}  // namespace moravel::HistoryFile
