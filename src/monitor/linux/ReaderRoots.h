#pragma once

#include <QString>

namespace moravel {

// Where the Linux readers find the kernel's files; tests and bug reports point
// them at a copied tree.
struct ReaderRoots {
    QString proc = QStringLiteral("/proc");
    QString sys = QStringLiteral("/sys");

    // MORAVEL_PROC_ROOT and MORAVEL_SYS_ROOT, where set and not empty.
    static ReaderRoots fromEnvironment();
};

}  // namespace moravel
