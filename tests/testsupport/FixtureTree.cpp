#include "testsupport/FixtureTree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <sys/stat.h>

namespace moravel::fixtures {

FixtureTree::FixtureTree()
{
    if (!dir_.isValid())
        throw std::runtime_error("cannot create a temporary directory");
}

FixtureTree::FixtureTree(const QString& parent) : dir_(parent + QStringLiteral("/moravel-XXXXXX"))
{
    if (!dir_.isValid())
        throw std::runtime_error("cannot create a temporary directory");
}

void FixtureTree::write(const QString& relativePath, const std::string& content)
{
    const QString path = dir_.filePath(relativePath);
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot write fixture " + path.toStdString());
    file.write(content.data(), static_cast<qint64>(content.size()));
}

void FixtureTree::replace(const QString& relativePath, const std::string& content)
{
    const QString path = dir_.filePath(relativePath);
    QDir().mkpath(QFileInfo(path).path());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content.data(), static_cast<qint64>(content.size())) < 0
        || !file.commit())
        throw std::runtime_error("cannot write fixture " + path.toStdString());
}

void FixtureTree::remove(const QString& relativePath)
{
    const QString path = dir_.filePath(relativePath);
    if (QFileInfo(path).isDir())
        QDir(path).removeRecursively();
    else
        QFile::remove(path);
}

void FixtureTree::makeDirectory(const QString& relativePath)
{
    QDir().mkpath(dir_.filePath(relativePath));
}

void FixtureTree::makeFifo(const QString& relativePath)
{
    const QString path = dir_.filePath(relativePath);
    QDir().mkpath(QFileInfo(path).path());
    QFile::remove(path);
    if (::mkfifo(QFile::encodeName(path).constData(), 0600) != 0)
        throw std::runtime_error("cannot make FIFO " + path.toStdString());
}

namespace {
bool decimalSeparatorIsComma()
{
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", 1.5);
    return text[1] == ',';
}
}  // namespace

GermanNumericLocale::GermanNumericLocale()
{
    if (const char* current = std::setlocale(LC_NUMERIC, nullptr))
        previous_ = current;
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && decimalSeparatorIsComma()) {
        active_ = true;
        return;
    }
    // No German locale installed: compile one into a private folder.
    const QString target = dir_.filePath(QStringLiteral("de_DE.UTF-8"));
    QProcess::execute(QStringLiteral("localedef"),
                      {QStringLiteral("-i"), QStringLiteral("de_DE"), QStringLiteral("-f"), QStringLiteral("UTF-8"),
                       target});
    ::setenv("LOCPATH", dir_.path().toLocal8Bit().constData(), 1);
    active_ = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && decimalSeparatorIsComma();
}

GermanNumericLocale::~GermanNumericLocale()
{
    std::setlocale(LC_NUMERIC, previous_.empty() ? "C" : previous_.c_str());
    ::unsetenv("LOCPATH");
}

}  // namespace moravel::fixtures
