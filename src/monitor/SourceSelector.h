#pragma once

#include "monitor/SourceChoice.h"
#include "monitor/TelemetrySource.h"

#include <QObject>

#include <functional>
#include <memory>
#include <optional>
#include <variant>

namespace moravel {

class DefaultsStore;
class SystemMonitor;

// Builds the source a choice names, with the choice as it is kept (the address
// written out in full); or says in one sentence why it cannot be used.
struct ChosenSource {
    std::shared_ptr<TelemetrySource> source;
    SourceChoice choice;
};
using SourceFactory = std::function<std::variant<ChosenSource, QString>(const SourceChoice&)>;

// Switches the monitor between this computer and another machine: at once,
// keeping the choice in the defaults, or for this run only (a command-line
// choice). A choice that cannot be used changes nothing and is not stored.
class SourceSelector final : public QObject {
    Q_OBJECT

public:
    SourceSelector(SystemMonitor& monitor, DefaultsStore& defaults, SourceFactory makeSource,
                   QObject* parent = nullptr);

    // What the monitor reads now.
    const SourceChoice& choice() const { return choice_; }
    const SystemMonitor& monitor() const { return monitor_; }

    // Reads what the defaults keep; why not, if it cannot be used now (the
    // monitor then stays on this computer, and the stored choice is kept).
    std::optional<QString> useStored();
    // Reads `choice` and keeps it; why not, when it cannot be used or kept.
    std::optional<QString> choose(const SourceChoice& choice);
    // Reads `choice` for this run without keeping it.
    std::optional<QString> useForThisRun(const SourceChoice& choice);

signals:
    void choiceChanged(const moravel::SourceChoice& choice);

private:
    std::optional<QString> switchTo(const SourceChoice& choice, bool keep);

    SystemMonitor& monitor_;
    DefaultsStore& defaults_;
    SourceFactory makeSource_;
    SourceChoice choice_;
};

}  // namespace moravel
