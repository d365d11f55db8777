#include "views/fleet/MachinesTab.h"

#include "views/kit/Fonts.h"
#include "views/kit/IslandPalette.h"
#include "views/kit/IslandScale.h"
#include "views/settings/SettingsButtons.h"

#include <QFontMetricsF>
#include <QListView>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include <cmath>
#include <numeric>

namespace moravel {

namespace {

// Points, drawn at the island's size factor.
constexpr double kSidePadding = 8;
constexpr double kGap = 6;
// State, CPU, memory, disk, network, temperature; the name takes the rest.
constexpr std::array<double, machineColumnCount> kCellWidths{98, 40, 40, 40, 124, 40};

QFont rowFont()
{
    return Fonts::figures(TextSize::small, QFont::Medium);
}

QFont nameFont(bool chosen)
{
    return Fonts::words(TextSize::small, chosen ? QFont::Bold : QFont::DemiBold);
}

QFont titleFont()
{
    return Fonts::words(TextSize::caption, QFont::DemiBold);
}

Qt::Alignment alignmentOf(size_t column)
{
    return (column == static_cast<size_t>(MachineColumn::state) ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter;
}

void drawElided(QPainter& painter, const QRectF& frame, const QString& text, Qt::Alignment alignment)
{
    painter.drawText(frame, alignment | Qt::TextSingleLine,
                     QFontMetricsF(painter.font()).elidedText(text, Qt::ElideRight, frame.width()));
}

// Paints one row straight from the model: no copies through QVariant.
class RowDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const auto* model = static_cast<const MachineListModel*>(index.model());
        const MachineRow& row = model->rows()[index.row()];
        const QRectF frame = QRectF(option.rect).adjusted(0, 1, 0, -1);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        const bool hovered = option.state & QStyle::State_MouseOver;
        if (row.isChosen || hovered) {
            painter->setPen(Qt::NoPen);
            painter->setBrush(IslandPalette::withOpacity(Qt::white, row.isChosen ? 0.12 : 0.06));
            painter->drawRoundedRect(frame, frame.height() / 2, frame.height() / 2);
        }
        const MachineColumns columns = MachineColumns::within(frame);
        painter->setFont(nameFont(row.isChosen));
        painter->setPen(row.isChosen ? IslandPalette::mint() : IslandPalette::primary());
        drawElided(*painter, columns.name, row.name, Qt::AlignLeft | Qt::AlignVCenter);
        painter->setFont(rowFont());
        for (size_t column = 0; column < machineColumnCount; ++column) {
            painter->setPen(row.cells[column].color);
            drawElided(*painter, columns.cells[column], row.cells[column].text, alignmentOf(column));
        }
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override
    {
        return {option.rect.width(), MachinesTab::rowHeight()};
    }
};

}  // namespace

void MachineListModel::setRows(QList<MachineRow> rows)
{
    // The same machines in a new reading keep the list where it was scrolled.
    if (rows.size() == rows_.size()) {
        rows_ = std::move(rows);
        if (!rows_.isEmpty())
            emit dataChanged(index(0), index(static_cast<int>(rows_.size()) - 1));
        return;
    }
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

int MachineListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

QVariant MachineListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rows_.size())
        return {};
    const MachineRow& row = rows_[index.row()];
    switch (role) {
    case Qt::DisplayRole: return row.name;
    case Qt::AccessibleTextRole: return row.spoken;
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole: return row.instance;
    default: return {};
    }
}

MachineColumns MachineColumns::within(const QRectF& row)
{
    MachineColumns columns;
    const double cells = px(std::accumulate(kCellWidths.begin(), kCellWidths.end(), 0.0) + kGap * machineColumnCount);
    double x = row.left() + px(kSidePadding);
    columns.name = QRectF(x, row.top(), std::max(0.0, row.width() - 2 * px(kSidePadding) - cells), row.height());
    x = columns.name.right();
    for (size_t column = 0; column < machineColumnCount; ++column) {
        x += px(kGap);
        columns.cells[column] = QRectF(x, row.top(), px(kCellWidths[column]), row.height());
        x += px(kCellWidths[column]);
    }
    return columns;
}

int MachinesTab::headerHeight()
{
    return pxInt(22);
}

int MachinesTab::rowHeight()
{
    return static_cast<int>(std::ceil(QFontMetricsF(rowFont()).height() + px(5)));
}

MachinesTab::MachinesTab(QWidget* parent)
    : QWidget(parent), list_(new QListView(this)), wholeFleet_(new SettingsCapsuleButton(QStringLiteral("All machines"), 18, this))
{
    setAccessibleName(QStringLiteral("Machines"));
    wholeFleet_->setObjectName(QStringLiteral("wholeFleetButton"));
    wholeFleet_->setHorizontalPadding(8);
    wholeFleet_->setAccessibleName(QStringLiteral("All machines"));
    connect(wholeFleet_, &QAbstractButton::clicked, this, [this] { emit machineChosen({}); });

    list_->setObjectName(QStringLiteral("machineList"));
    list_->setAccessibleName(QStringLiteral("Machines, worst first"));
    list_->setModel(&model_);
    list_->setItemDelegate(new RowDelegate(list_));
    list_->setUniformItemSizes(true);
    list_->setSelectionMode(QAbstractItemView::NoSelection);
    list_->setFrameShape(QFrame::NoFrame);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    list_->setMouseTracking(true);
    list_->viewport()->setAutoFillBackground(false);
    list_->setStyleSheet(
        QStringLiteral("QListView { background: transparent; }"
                       "QScrollBar:vertical { background: transparent; width: 6px; margin: 0; }"
                       "QScrollBar::handle:vertical { background: rgba(255, 255, 255, 46); border-radius: 3px;"
                       " min-height: 20px; }"
                       "QScrollBar::add-line, QScrollBar::sub-line, QScrollBar::add-page, QScrollBar::sub-page"
                       " { background: none; height: 0; }"));
    // A click, or Enter on the focused row: the same choice, so either may come.
    const auto choose = [this](const QModelIndex& index) {
        if (index.isValid())
            emit machineChosen(model_.rows()[index.row()].instance);
    };
    connect(list_, &QListView::clicked, this, choose);
    connect(list_->verticalScrollBar(), &QScrollBar::rangeChanged, this, [this] { update(); });
    connect(list_, &QListView::activated, this, choose);
    paintWholeFleetChoice(true);
}

void MachinesTab::setFleet(const FleetReading& fleet)
{
    // Each reading of the fleet shares its list until the next one comes.
    if (fleet.machines.constData() == shownMachines_.constData() && fleet.chosen == shownChoice_)
        return;
    shownMachines_ = fleet.machines;
    shownChoice_ = fleet.chosen;
    model_.setRows(machineRows(fleet));
    paintWholeFleetChoice(!fleet.chosen);
}

void MachinesTab::paintWholeFleetChoice(bool chosen)
{
    wholeFleet_->setAppearance(Fonts::words(TextSize::caption, chosen ? QFont::Bold : QFont::Medium),
                               chosen ? IslandPalette::background() : IslandPalette::primary(),
                               chosen ? IslandPalette::mint() : IslandPalette::surface());
}

void MachinesTab::resizeEvent(QResizeEvent*)
{
    const QSize button = wholeFleet_->sizeHint();
    const int header = headerHeight();
    wholeFleet_->setGeometry(0, (header - button.height()) / 2, button.width(), button.height());
    list_->setGeometry(0, header, width(), std::max(0, height() - header));
}

void MachinesTab::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(titleFont());
    painter.setPen(IslandPalette::secondary());
    // Over the rows' columns, which give way to the scroll bar.
    const MachineColumns columns = MachineColumns::within(QRectF(0, 0, list_->viewport()->width(), headerHeight()));
    for (size_t column = 0; column < machineColumnCount; ++column)
        painter.drawText(columns.cells[column], alignmentOf(column),
                         machineColumnTitle(static_cast<MachineColumn>(column)));
}

}  // namespace moravel
