#pragma once

#include "views/power/PowerFlowRules.h"

#include <QWidget>

#include <array>

namespace moravel {

class PowerBranchConnector;
class PowerDestination;
class PowerNode;

// The row under the power header: battery -> computer on battery,
// adapter -> computer -> fork -> battery and system on external power, or
// only power source -> computer where there is no battery.
class PowerFlowDiagram : public QWidget {
    Q_OBJECT
public:
    explicit PowerFlowDiagram(QWidget* parent = nullptr);

    void setContent(const PowerFlowDiagramContent& content);
    const PowerFlowDiagramContent& content() const { return content_; }

    QSize sizeHint() const override;
    // Its height in every form.
    static int preferredHeight();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeParts();
    int spacing() const;

    PowerFlowDiagramContent content_;
    PowerNode* source_ = nullptr;
    PowerNode* computer_ = nullptr;
    PowerBranchConnector* connector_ = nullptr;
    std::array<PowerDestination*, 2> destinations_{};
    QRectF arrowRect_;
};

}  // namespace moravel
