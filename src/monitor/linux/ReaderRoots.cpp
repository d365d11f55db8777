#include "monitor/linux/ReaderRoots.h"

namespace moravel {

namespace {

QString environmentRoot(const char* name, const QString& fallback)
{
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? fallback : value;
}

}  // namespace

ReaderRoots ReaderRoots::fromEnvironment()
{
    ReaderRoots roots;
    roots.proc = environmentRoot("MORAVEL_PROC_ROOT", roots.proc);
    roots.sys = environmentRoot("MORAVEL_SYS_ROOT", roots.sys);
    return roots;
}

}  // namespace moravel
