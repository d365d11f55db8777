#pragma once

#include <QAccessibleWidget>
#include <QHash>
#include <QList>
#include <QRect>
#include <QStringList>

namespace moravel {

// What a painted part of a widget (a tab, a range choice, a reading) is to
// assistive technologies, which see it as an element of its own.
struct AccessiblePart {
    QAccessible::Role role = QAccessible::StaticText;
    QString name;
    // The value a screen reader reads, offered as the element's text; a null
    // string for a part that has none.
    QString text;
    QString description;
    QRect rect;  // in the widget's coordinates
    QAccessible::State state;
    QStringList actions;
    QList<int> children;  // the keys of the parts inside this one, in order
};

// The interface of a widget that paints parts of its own: its children are
// first those parts, then (where it says so) its child widgets. A part is
// named by a key that stays the same while the widget lives (a tab by its
// reading, say), so that assistive technologies keep one element for it.
class AccessibleWidgetWithParts : public QAccessibleWidget {
public:
    AccessibleWidgetWithParts(QWidget* widget, QAccessible::Role role, const QString& name = {});
    ~AccessibleWidgetWithParts() override;

    // The keys of the parts directly under the widget now, in order.
    virtual QList<int> partKeys() const = 0;
    virtual AccessiblePart part(int key) const = 0;
    virtual void doPartAction(int /*key*/, const QString& /*action*/) {}
    // Whether the widget's child widgets follow its parts.
    virtual bool listsChildWidgets() const { return false; }

    // The one interface of a part, made on first use.
    QAccessibleInterface* partInterface(int key) const;

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;

private:
    mutable QHash<int, QAccessible::Id> parts_;
};

namespace IslandAccessibility {

using Make = QAccessibleInterface* (*)(QWidget* widget);

// Gives widgets of exactly the class `meta` describes the interface `make`
// builds (asked for by Qt, the first time an assistive technology looks).
void provide(const QMetaObject& meta, Make make);

// The state of a focusable painted part: focused while its widget has the
// keyboard focus and the part is the one that takes it.
QAccessible::State focusableState(const QWidget* widget, bool takesFocus);

// Tells assistive technologies that `part` of `widget` now has the focus.
void reportFocus(QWidget* widget, int partKey);

}  // namespace IslandAccessibility

}  // namespace moravel
