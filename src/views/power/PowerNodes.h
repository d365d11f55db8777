#pragma once

#include "views/power/PowerFlowRules.h"

#include <QWidget>

namespace moravel {

// What a node and a destination share: one icon, reading and caption to show;
// a new reading that changes the texts also changes the preferred size.
class PowerContentView : public QWidget {
    Q_OBJECT
public:
    explicit PowerContentView(QWidget* parent = nullptr);

    void setContent(const PowerNodeContent& content);
    const PowerNodeContent& content() const { return content_; }

protected:
    PowerNodeContent content_;
};

// A stage of the power diagram: a large icon beside its reading over a
// caption. Icon and reading take the node's colour; the caption stays
// secondary.
class PowerNode : public PowerContentView {
    Q_OBJECT
public:
    using PowerContentView::PowerContentView;

    QSize sizeHint() const override;
    // The same for every node: its reading over its caption, or its icon.
    static int rowHeight();

protected:
    void paintEvent(QPaintEvent* event) override;
};

// Where external power goes: a small icon, the reading and its caption on
// one line.
class PowerDestination : public PowerContentView {
    Q_OBJECT
public:
    using PowerContentView::PowerContentView;

    QSize sizeHint() const override;
    static int rowHeight();
    // The two destinations one over the other.
    static int stackHeight();

protected:
    void paintEvent(QPaintEvent* event) override;
};

// The fork from the computer to the two destinations: 28 points wide, as
// tall as the two destinations stacked, a branch ending at the middle of each.
class PowerBranchConnector : public QWidget {
    Q_OBJECT
public:
    explicit PowerBranchConnector(QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace moravel
