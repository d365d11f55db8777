#pragma once

#include <QList>
#include <QRectF>
#include <QString>
#include <QStringList>

class QWidget;

namespace moravel::gallery {

// What a window draws, as far as layout goes: each piece of text with the
// rectangle it takes, and each visible widget, in the window's coordinates.
struct LayoutAudit {
    struct Text {
        QString text;
        QRectF rect;         // the line's advance by its ascent and descent
        QString widget;      // the class of the widget that drew it
        QRectF widgetRect;   // that widget's rectangle, which Qt clips its painting to
        bool visible = true; // false where the clip hides all of it
        bool cut = false;    // the clip hides part of it
        bool scrolls = false;  // inside a scrolling area, where cutting is expected
    };
    struct Widget {
        QString name;  // class, and object name where there is one
        QRectF rect;
        QRectF parentRect;  // the parent's rectangle, which clips it
        bool scrolls = false;
    };

    QRectF window;   // the window's own rectangle
    QRectF content;  // where everything must lie
    QList<Text> texts;
    QList<Widget> widgets;

    // Every breach of the layout rules, one line each: a text or widget
    // outside the content, a widget outside its parent, a text outside the
    // widget that draws it or cut by a clip,
    // a reading cut short with an ellipsis, two texts over each other. Texts
    // clipped away entirely are not checked, and what scrolls may be cut.
    QStringList problems() const;
    // The drawn texts, one per line, for a failure message.
    QString describe() const;
};

// Records `window` drawing itself and its children, graphics effects that
// fade shown parts aside. `content` is in the window's coordinates.
LayoutAudit auditWindow(QWidget& window, const QRectF& content);

}  // namespace moravel::gallery
