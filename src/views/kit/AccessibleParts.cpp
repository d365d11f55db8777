#include "views/kit/AccessibleParts.h"

#include <QHash>
#include <QPointer>
#include <QWidget>

namespace moravel {

namespace {

const AccessibleWidgetWithParts* ownerOf(QWidget* widget)
{
    return widget ? dynamic_cast<const AccessibleWidgetWithParts*>(QAccessible::queryAccessibleInterface(widget))
                  : nullptr;
}

QRect globalRect(const QWidget* widget, const QRect& rect)
{
    return rect.isNull() ? QRect() : QRect(widget->mapToGlobal(rect.topLeft()), rect.size());
}

// One painted part, read afresh from its widget's interface at every question.
class PartInterface final : public QAccessibleInterface,
                            public QAccessibleTextInterface,
                            public QAccessibleActionInterface {
public:
    PartInterface(QWidget* widget, int key) : widget_(widget), key_(key) {}

    bool isValid() const override { return ownerOf(widget_) != nullptr; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return widget_ ? widget_->window()->windowHandle() : nullptr; }

    QAccessibleInterface* parent() const override
    {
        const AccessibleWidgetWithParts* owner = ownerOf(widget_);
        if (!owner)
            return nullptr;
        for (int key : owner->partKeys()) {
            if (key == key_)
                return const_cast<AccessibleWidgetWithParts*>(owner);
            if (owner->part(key).children.contains(key_))
                return owner->partInterface(key);
        }
        return const_cast<AccessibleWidgetWithParts*>(owner);
    }
    int childCount() const override { return static_cast<int>(current().children.size()); }
    QAccessibleInterface* child(int index) const override
    {
        const QList<int> children = current().children;
        const AccessibleWidgetWithParts* owner = ownerOf(widget_);
        return owner && index >= 0 && index < children.size() ? owner->partInterface(children[index]) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        const AccessibleWidgetWithParts* owner = ownerOf(widget_);
        const QList<int> children = current().children;
        for (qsizetype i = 0; owner && i < children.size(); ++i) {
            if (owner->partInterface(children[i]) == child)
                return static_cast<int>(i);
        }
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override
    {
        for (int i = 0; i < childCount(); ++i) {
            QAccessibleInterface* candidate = child(i);
            if (candidate && candidate->rect().contains(x, y))
                return candidate;
        }
        return nullptr;
    }

    QString text(QAccessible::Text t) const override
    {
        const AccessiblePart part = current();
        switch (t) {
        case QAccessible::Name:
            return part.name;
        case QAccessible::Description:
            return part.description;
        case QAccessible::Value:
            return part.text;
        default:
            return {};
        }
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override { return widget_ ? globalRect(widget_, current().rect) : QRect(); }
    QAccessible::Role role() const override { return current().role; }
    QAccessible::State state() const override
    {
        QAccessible::State state = current().state;
        if (!widget_ || !widget_->isVisible())
            state.invisible = true;
        return state;
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        const AccessiblePart part = current();
        if (type == QAccessible::TextInterface && !part.text.isNull())
            return static_cast<QAccessibleTextInterface*>(this);
        if (type == QAccessible::ActionInterface && !part.actions.isEmpty())
            return static_cast<QAccessibleActionInterface*>(this);
        return nullptr;
    }

    // The text: read only, without a cursor or selections.
    void selection(int, int* startOffset, int* endOffset) const override { *startOffset = *endOffset = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int startOffset, int endOffset) const override
    {
        return current().text.mid(startOffset, std::max(0, endOffset - startOffset));
    }
    int characterCount() const override { return static_cast<int>(current().text.size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int* startOffset, int* endOffset) const override
    {
        *startOffset = 0;
        *endOffset = characterCount();
        return {};
    }

    QStringList actionNames() const override { return current().actions; }
    void doAction(const QString& action) override
    {
        if (const AccessibleWidgetWithParts* owner = ownerOf(widget_))
            const_cast<AccessibleWidgetWithParts*>(owner)->doPartAction(key_, action);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    AccessiblePart current() const
    {
        const AccessibleWidgetWithParts* owner = ownerOf(widget_);
        return owner ? owner->part(key_) : AccessiblePart{};
    }

    QPointer<QWidget> widget_;
    int key_;
};

QHash<QByteArray, IslandAccessibility::Make>& makers()
{
    static QHash<QByteArray, IslandAccessibility::Make> registry;
    return registry;
}

QAccessibleInterface* islandFactory(const QString& className, QObject* object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    const IslandAccessibility::Make make = makers().value(className.toLatin1());
    return make ? make(static_cast<QWidget*>(object)) : nullptr;
}

}  // namespace

AccessibleWidgetWithParts::AccessibleWidgetWithParts(QWidget* widget, QAccessible::Role role, const QString& name)
    : QAccessibleWidget(widget, role, name)
{
}

AccessibleWidgetWithParts::~AccessibleWidgetWithParts()
{
    for (QAccessible::Id id : std::as_const(parts_))
        QAccessible::deleteAccessibleInterface(id);
}

QAccessibleInterface* AccessibleWidgetWithParts::partInterface(int key) const
{
    if (const auto found = parts_.constFind(key); found != parts_.constEnd())
        return QAccessible::accessibleInterface(*found);
    auto* part = new PartInterface(widget(), key);
    parts_.insert(key, QAccessible::registerAccessibleInterface(part));
    return part;
}

int AccessibleWidgetWithParts::childCount() const
{
    const int parts = static_cast<int>(partKeys().size());
    return listsChildWidgets() ? parts + QAccessibleWidget::childCount() : parts;
}

QAccessibleInterface* AccessibleWidgetWithParts::child(int index) const
{
    const QList<int> keys = partKeys();
    if (index >= 0 && index < keys.size())
        return partInterface(keys[index]);
    return listsChildWidgets() ? QAccessibleWidget::child(index - static_cast<int>(keys.size())) : nullptr;
}

int AccessibleWidgetWithParts::indexOfChild(const QAccessibleInterface* child) const
{
    const QList<int> keys = partKeys();
    for (qsizetype i = 0; i < keys.size(); ++i) {
        if (partInterface(keys[i]) == child)
            return static_cast<int>(i);
    }
    if (!listsChildWidgets())
        return -1;
    const int index = QAccessibleWidget::indexOfChild(child);
    return index < 0 ? -1 : index + static_cast<int>(keys.size());
}

QAccessibleInterface* AccessibleWidgetWithParts::childAt(int x, int y) const
{
    for (int key : partKeys()) {
        if (globalRect(widget(), part(key).rect).contains(x, y))
            return partInterface(key);
    }
    return listsChildWidgets() ? QAccessibleWidget::childAt(x, y) : nullptr;
}

QAccessibleInterface* AccessibleWidgetWithParts::focusChild() const
{
    for (int key : partKeys()) {
        if (part(key).state.focused)
            return partInterface(key);
    }
    return listsChildWidgets() ? QAccessibleWidget::focusChild() : nullptr;
}

namespace IslandAccessibility {

void provide(const QMetaObject& meta, Make make)
{
    static const bool installed = [] {
        QAccessible::installFactory(islandFactory);
        return true;
    }();
    Q_UNUSED(installed);
    makers().insert(QByteArray(meta.className()), make);
}

QAccessible::State focusableState(const QWidget* widget, bool takesFocus)
{
    QAccessible::State state;
    state.focusable = true;
    state.focused = takesFocus && widget->hasFocus();
    return state;
}

void reportFocus(QWidget* widget, int partKey)
{
    if (!QAccessible::isActive() || !widget->hasFocus())
        return;
    const AccessibleWidgetWithParts* owner = ownerOf(widget);
    if (!owner)
        return;
    QAccessibleEvent event(owner->partInterface(partKey), QAccessible::Focus);
    QAccessible::updateAccessibility(&event);
}

}  // namespace IslandAccessibility

}  // namespace moravel
