#include "views/kit/AccessibleAnnouncer.h"

#include <limits>

namespace moravel {

AccessibleAnnouncer::AccessibleAnnouncer(Scheduler& scheduler, QObject* parent) : QObject(parent), scheduler_(scheduler)
{
}

AccessibleAnnouncer::~AccessibleAnnouncer() = default;

void AccessibleAnnouncer::update(QObject* object, QAccessible::Event change, const QString& text)
{
    if (QAccessible::isActive())
        update(QAccessible::queryAccessibleInterface(object), change, text);
}

void AccessibleAnnouncer::update(QAccessibleInterface* element, QAccessible::Event change, const QString& text)
{
    if (!element)
        return;
    const Key key{QAccessible::uniqueId(element), change};
    // The first text of an element is the one it was made with: nothing to tell.
    const auto [found, isNew] =
        entries_.try_emplace(key, text, text, -std::numeric_limits<double>::infinity());
    Entry& entry = found->second;
    if (isNew)
        return;
    entry.latest = text;
    if (text == entry.told) {
        entry.pending.cancel();
        return;
    }
    const double wait = entry.toldAt + minimumInterval - scheduler_.monotonicSeconds();
    if (wait <= 0)
        send(key);
    else if (!entry.pending.isPending())
        entry.pending.arm(scheduler_, wait, this, [this, key] { send(key); });
}

void AccessibleAnnouncer::send(const Key& key)
{
    Entry& entry = entries_.at(key);
    entry.pending.cancel();
    QAccessibleInterface* element = QAccessible::accessibleInterface(key.first);
    if (!element) {
        entries_.erase(key);  // the element is gone
        return;
    }
    const QString before = std::exchange(entry.told, entry.latest);
    entry.toldAt = scheduler_.monotonicSeconds();
    ++sent_;
    if (key.second == QAccessible::TextUpdated) {
        QAccessibleTextUpdateEvent event(element, 0, before, entry.told);
        QAccessible::updateAccessibility(&event);
    } else {
        QAccessibleEvent event(element, key.second);
        QAccessible::updateAccessibility(&event);
    }
}

}  // namespace moravel
