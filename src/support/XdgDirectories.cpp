#include "support/XdgDirectories.h"

#include <QDir>

namespace moravel {
namespace {

QString absoluteOr(const char* variable, const QString& fallback)
{
    const QString value = qEnvironmentVariable(variable);
    return QDir::isAbsolutePath(value) ? QDir::cleanPath(value) : QDir::homePath() + fallback;
}

}  // namespace

QString xdgConfigHome()
{
    return absoluteOr("XDG_CONFIG_HOME", QStringLiteral("/.config"));
}

QString xdgStateHome()
{
    return absoluteOr("XDG_STATE_HOME", QStringLiteral("/.local/state"));
}

}  // namespace moravel
