#pragma once

#include "monitor/MetricTypes.h"

#include <QByteArray>
#include <QString>

namespace moravel {

// Another machine's reading as a JSON line: the line of this computer's
// readings with the fields of every reading the source does not publish set
// to null, and "source" (its address) added last.
QByteArray sourceJsonLine(const QByteArray& line, const QString& source, ReadingSet absent);

}  // namespace moravel
