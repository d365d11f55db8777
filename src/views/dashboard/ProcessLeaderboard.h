#pragma once

#include "monitor/MetricTypes.h"
#include "views/dashboard/ProcessLoad.h"

#include <QWidget>

#include <array>
#include <cstdint>

namespace moravel {

// One process: icon, name, reading and a small load bar, all in the
// process's warning colour.
class ProcessLeaderRow : public QWidget {
    Q_OBJECT
public:
    explicit ProcessLeaderRow(ProcessLoadKind kind, QWidget* parent = nullptr);

    void setProcess(const ProcessMetric& process, uint64_t memoryTotal);
    const ProcessMetric& process() const { return process_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ProcessLoadKind kind_;
    ProcessMetric process_;
    uint64_t memoryTotal_ = 0;
};

// A card of the heaviest processes by one ranking. It shows the rows it is
// given in their order, or "Collecting…" at full height while there are none.
class ProcessLeaderboard : public QWidget {
    Q_OBJECT
public:
    explicit ProcessLeaderboard(ProcessLoadKind kind, QWidget* parent = nullptr);

    ProcessLoadKind kind() const { return kind_; }
    // At most three rows are shown; callers pass the sorted top three.
    void setProcesses(const QList<ProcessMetric>& processes, uint64_t memoryTotal);
    qsizetype rowCount() const { return rowCount_; }
    const ProcessLeaderRow& row(qsizetype index) const { return *rows_.at(static_cast<size_t>(index)); }
    // What the card says while it has no rows: "Collecting…" by default.
    void setEmptyText(const QString& text);
    const QString& emptyText() const { return emptyText_; }

    QSize sizeHint() const override;
    static int heightFor(qsizetype rowCount);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeRows();

    ProcessLoadKind kind_;
    std::array<ProcessLeaderRow*, 3> rows_{};
    qsizetype rowCount_ = 0;
    QString emptyText_ = QStringLiteral("Collecting…");
};

}  // namespace moravel
