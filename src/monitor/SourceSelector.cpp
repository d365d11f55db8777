#include "monitor/SourceSelector.h"

#include "monitor/SystemMonitor.h"
#include "support/DefaultsStore.h"

namespace moravel {

SourceSelector::SourceSelector(SystemMonitor& monitor, DefaultsStore& defaults, SourceFactory makeSource,
                               QObject* parent)
    : QObject(parent), monitor_(monitor), defaults_(defaults), makeSource_(std::move(makeSource))
{
}

std::optional<QString> SourceSelector::useStored()
{
    const SourceChoice stored = SourceChoiceStore::load(defaults_);
    if (stored == choice_)
        return std::nullopt;
    return switchTo(stored, false);
}

std::optional<QString> SourceSelector::choose(const SourceChoice& choice)
{
    return switchTo(choice, true);
}

std::optional<QString> SourceSelector::useForThisRun(const SourceChoice& choice)
{
    return switchTo(choice, false);
}

std::optional<QString> SourceSelector::switchTo(const SourceChoice& choice, bool keep)
{
    auto made = makeSource_(choice);
    if (const QString* problem = std::get_if<QString>(&made))
        return *problem;
    ChosenSource chosen = std::get<ChosenSource>(std::move(made));
    if (keep && !SourceChoiceStore::save(chosen.choice, defaults_)) {
        const QString reason = defaults_.lastWriteFailure();
        return reason.isEmpty() ? QStringLiteral("The choice could not be saved.")
                                : QStringLiteral("The choice could not be saved: %1.").arg(reason);
    }
    choice_ = chosen.choice;
    monitor_.replaceSource(std::move(chosen.source));
    emit choiceChanged(choice_);
    return std::nullopt;
}

}  // namespace moravel
