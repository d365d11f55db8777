#pragma once

#include "views/PowerFlowRules.h"

#include <QWidget>

namespace moravel {

// A stage of the power diagram: a large icon beside its reading over a
// caption. Icon and reading take the node's colour; the caption stays
// secondary.
class PowerNode : public QWidget {
    Q_OBJECT
public:
    explicit PowerNode(QWidget* parent = nullptr);

    void setContent(const PowerNodeContent& content);
    const PowerNodeContent& content() const { return content_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    PowerNodeContent content_;
};

// Where external power goes: a small icon, the reading and its caption on
// one line.
class PowerDestination : public QWidget {
    Q_OBJECT
public:
    explicit PowerDestination(QWidget* parent = nullptr);

    void setContent(const PowerNodeContent& content);
    const PowerNodeContent& content() const { return content_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    PowerNodeContent content_;
};

// The fork from the Mac to the two destinations, 28 x 35 px.
class PowerBranchConnector : public QWidget {
    Q_OBJECT
public:
    explicit PowerBranchConnector(QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace moravel
