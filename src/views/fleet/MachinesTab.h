#pragma once

#include "monitor/MetricTypes.h"
#include "views/fleet/MachineRows.h"

#include <QAbstractListModel>
#include <QWidget>

class QListView;

namespace moravel {

class SettingsCapsuleButton;

// The rows of the Machines tab as a list model: each item's text is its
// machine's short name, and what a screen reader says of it reads the
// machine's state and figures.
class MachineListModel final : public QAbstractListModel {
    Q_OBJECT

public:
    static constexpr int rowRole = Qt::UserRole;

    using QAbstractListModel::QAbstractListModel;

    void setRows(QList<MachineRow> rows);
    const QList<MachineRow>& rows() const { return rows_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    QList<MachineRow> rows_;
};

// Where each column of a row lies in a row `width` wide: the name first,
// then one frame per MachineColumn.
struct MachineColumns {
    QRectF name;
    std::array<QRectF, machineColumnCount> cells;

    static MachineColumns within(const QRectF& row);
};

// The "Machines" tab: the fleet's machines worst first, one row each with
// its state and figures in their levels' colours, scrolling for hundreds.
// Choosing a row shows that machine in the chart and the gauges; "All
// machines" goes back to each reading's worst machine.
class MachinesTab final : public QWidget {
    Q_OBJECT

public:
    static int rowHeight();
    // The row of the whole-fleet button and the column titles, in pixels.
    static int headerHeight();

    explicit MachinesTab(QWidget* parent = nullptr);

    // Rebuilds the rows when the machines or the choice changed.
    void setFleet(const FleetReading& fleet);
    const MachineListModel& model() const { return model_; }
    QListView* list() const { return list_; }
    SettingsCapsuleButton* wholeFleetButton() const { return wholeFleet_; }

signals:
    // A machine's instance; empty for the whole fleet.
    void machineChosen(const QString& instance);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void paintWholeFleetChoice(bool chosen);

    MachineListModel model_;
    QListView* list_ = nullptr;
    SettingsCapsuleButton* wholeFleet_ = nullptr;
    QList<MachineReading> shownMachines_;
    std::optional<QString> shownChoice_;
};

}  // namespace moravel
