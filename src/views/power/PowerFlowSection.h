#pragma once

#include "monitor/MetricTypes.h"

#include <QAbstractButton>
#include <QWidget>

class QVariantAnimation;
class QGraphicsOpacityEffect;

namespace moravel {

class PowerFlowDiagram;

// The power section's header: "Power flow", a disclosure chevron and the
// status sentence, as one flat button, reached with Tab and pressed with
// Enter or Space.
class PowerFlowHeader : public QAbstractButton {
    Q_OBJECT
public:
    explicit PowerFlowHeader(QWidget* parent = nullptr);

    void setStatus(const QString& status);
    QString status() const { return status_; }
    void setExpanded(bool expanded);
    bool isExpanded() const { return expanded_; }
    QString chevronSymbol() const;

    QSize sizeHint() const override;
    static int headerHeight();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString status_;
    bool expanded_ = false;
};

// Where the machine's power comes from and where it goes. The diagram is
// shown while showPowerFlow is set; it fades and slides in from the top, and
// back out, when that changes. Pressing the header only asks for the change
// (toggled); the owner decides and calls setShowPowerFlow.
class PowerFlowSection : public QWidget {
    Q_OBJECT
public:
    explicit PowerFlowSection(QWidget* parent = nullptr);

    void setSnapshot(const SystemSnapshot& snapshot);
    void setShowPowerFlow(bool show, bool animated = true);
    bool showPowerFlow() const { return showPowerFlow_; }

    PowerFlowHeader* header() const { return header_; }
    PowerFlowDiagram* diagram() const { return diagram_; }
    // How far the diagram has come in, 0 (gone) to 1 (in place).
    double revealProgress() const { return progress_; }
    bool isAnimating() const;
    // Jumps a running fade to its end, for an owner about to go away.
    void finishTransition();

    QSize sizeHint() const override;
    // Header and diagram, whichever form the diagram takes.
    static int openHeight();

signals:
    void toggled();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void applyProgress(double progress);
    void placeParts();
    int diagramHeight() const;

    PowerFlowHeader* header_ = nullptr;
    QWidget* diagramClip_ = nullptr;
    PowerFlowDiagram* diagram_ = nullptr;
    QGraphicsOpacityEffect* fade_ = nullptr;
    QVariantAnimation* animation_ = nullptr;
    bool showPowerFlow_ = false;
    double progress_ = 0;
};

}  // namespace moravel
