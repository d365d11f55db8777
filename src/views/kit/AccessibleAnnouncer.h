#pragma once

#include "support/Scheduler.h"

#include <QAccessible>
#include <QObject>
#include <QString>

#include <map>
#include <utility>

namespace moravel {

// Tells assistive technologies that an element's name, description or text
// changed, without flooding them: at most one event a second for each element
// and kind of change (a later change waits for the second to pass, and only
// the newest text is told), and none while the text stays what was told.
// Callers ask only while an assistive technology listens (QAccessible::isActive).
class AccessibleAnnouncer final : public QObject {
    Q_OBJECT

public:
    static constexpr double minimumInterval = 1.0;

    explicit AccessibleAnnouncer(Scheduler& scheduler, QObject* parent = nullptr);
    ~AccessibleAnnouncer() override;

    // What `element` says now for `change`: QAccessible::NameChanged,
    // DescriptionChanged or TextUpdated (its text, as the Text interface gives it).
    void update(QAccessibleInterface* element, QAccessible::Event change, const QString& text);
    // The same for a widget's own interface; nothing while nobody listens.
    void update(QObject* object, QAccessible::Event change, const QString& text);

    // Events sent so far, for the tests.
    int sentCount() const { return sent_; }

private:
    using Key = std::pair<QAccessible::Id, QAccessible::Event>;
    struct Entry {
        QString told;
        QString latest;
        double toldAt;
        TaskSlot pending;
    };
    void send(const Key& key);

    Scheduler& scheduler_;
    std::map<Key, Entry> entries_;
    int sent_ = 0;
};

}  // namespace moravel
