#include "views/power/PowerFlowDiagram.h"

#include "views/kit/AccessibleParts.h"
#include "views/kit/IslandPalette.h"
#include "views/kit/IslandScale.h"
#include "views/power/PowerNodes.h"
#include "views/kit/SymbolIcons.h"

#include <QPainter>

#include <algorithm>

namespace moravel {

namespace {
// Points, at the island's size factor.
constexpr double kBatterySpacing = 8;
constexpr double kExternalSpacing = 7;
constexpr double kArrowSize = 13;

// One element, its sentence the description; the nodes are not read apart.
class PowerFlowDiagramAccessible final : public AccessibleWidgetWithParts {
public:
    explicit PowerFlowDiagramAccessible(QWidget* diagram)
        : AccessibleWidgetWithParts(diagram, QAccessible::StaticText, QStringLiteral("Power flow diagram"))
    {
    }
    QList<int> partKeys() const override { return {}; }
    AccessiblePart part(int) const override { return {}; }
};

}  // namespace

PowerFlowDiagram::PowerFlowDiagram(QWidget* parent)
    : QWidget(parent),
      source_(new PowerNode(this)),
      computer_(new PowerNode(this)),
      connector_(new PowerBranchConnector(this)),
      destinations_{new PowerDestination(this), new PowerDestination(this)}
{
    IslandAccessibility::provide(staticMetaObject, [](QWidget* diagram) -> QAccessibleInterface* {
        return new PowerFlowDiagramAccessible(diagram);
    });
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setContent(PowerFlow::diagram(SystemSnapshot{}));
    placeParts();
}

int PowerFlowDiagram::spacing() const
{
    return pxInt(content_.isExternalPower ? kExternalSpacing : kBatterySpacing);
}

int PowerFlowDiagram::preferredHeight()
{
    return std::max({PowerNode::rowHeight(), symbolPixelSize(kArrowSize), PowerDestination::stackHeight()});
}

void PowerFlowDiagram::setContent(const PowerFlowDiagramContent& content)
{
    if (content == content_)
        return;
    const QSize before = sizeHint();
    const bool modeChanged = content.isExternalPower != content_.isExternalPower
                             || content.hasDestinations() != content_.hasDestinations();
    content_ = content;
    source_->setContent(content.source);
    computer_->setContent(content.computer);
    for (size_t i = 0; i < destinations_.size(); ++i)
        destinations_[i]->setContent(content.destinations[i]);
    connector_->setVisible(content.hasDestinations());
    for (PowerDestination* destination : destinations_)
        destination->setVisible(content.hasDestinations());
    placeParts();
    if (sizeHint() != before || modeChanged)
        updateGeometry();
}

QSize PowerFlowDiagram::sizeHint() const
{
    const int arrow = symbolPixelSize(kArrowSize);
    int width = source_->sizeHint().width() + spacing() + arrow + spacing() + computer_->sizeHint().width();
    if (content_.hasDestinations()) {
        const int destinationWidth = std::max(destinations_[0]->sizeHint().width(), destinations_[1]->sizeHint().width());
        width += spacing() + connector_->width() + spacing() + destinationWidth;
    }
    // As tall in either form, so the island keeps its height when the adapter comes or goes.
    return {width, preferredHeight()};
}

void PowerFlowDiagram::resizeEvent(QResizeEvent*)
{
    placeParts();
}

void PowerFlowDiagram::placeParts()
{
    const int rowHeight = height();
    const auto centred = [rowHeight](QWidget* part, int x) {
        const QSize size = part->sizeHint();
        part->setGeometry(x, (rowHeight - size.height()) / 2, size.width(), size.height());
        return x + size.width();
    };
    int x = centred(source_, 0) + spacing();
    const int arrow = symbolPixelSize(kArrowSize);
    const QRectF arrowRect(x, (rowHeight - arrow) / 2.0, arrow, arrow);
    x += arrow + spacing();
    x = centred(computer_, x);
    if (content_.hasDestinations()) {
        x = centred(connector_, x + spacing()) + spacing();
        // One destination at each end of the fork.
        const QSize upper = destinations_[0]->sizeHint();
        const QSize lower = destinations_[1]->sizeHint();
        const int top = connector_->y();
        destinations_[0]->setGeometry(x, top, upper.width(), upper.height());
        destinations_[1]->setGeometry(x, top + connector_->height() - lower.height(), lower.width(), lower.height());
    }
    if (arrowRect != arrowRect_) {
        update(arrowRect_.toAlignedRect());
        arrowRect_ = arrowRect;
        update(arrowRect_.toAlignedRect());
    }
}

void PowerFlowDiagram::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    SymbolFont::shared().draw(painter, u"arrow.right", arrowRect_, kArrowSize, IslandPalette::mint());
}

}  // namespace moravel
