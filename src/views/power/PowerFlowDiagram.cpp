#include "views/power/PowerFlowDiagram.h"

#include "views/kit/IslandPalette.h"
#include "views/power/PowerNodes.h"
#include "views/kit/SymbolIcons.h"

#include <QPainter>

#include <algorithm>

namespace moravel {

namespace {
constexpr int kBatterySpacing = 8;
constexpr int kExternalSpacing = 7;
constexpr int kDestinationSpacing = 7;
// The arrow takes the dashboard's body text size.
constexpr double kArrowSize = 13;
}  // namespace

PowerFlowDiagram::PowerFlowDiagram(QWidget* parent)
    : QWidget(parent),
      source_(new PowerNode(this)),
      computer_(new PowerNode(this)),
      connector_(new PowerBranchConnector(this)),
      destinations_{new PowerDestination(this), new PowerDestination(this)}
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setContent(PowerFlow::diagram(SystemSnapshot{}));
    placeParts();
}

int PowerFlowDiagram::spacing() const
{
    return content_.isExternalPower ? kExternalSpacing : kBatterySpacing;
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
    int height = std::max({source_->sizeHint().height(), computer_->sizeHint().height(), arrow});
    if (content_.hasDestinations()) {
        const int destinationWidth = std::max(destinations_[0]->sizeHint().width(), destinations_[1]->sizeHint().width());
        width += spacing() + connector_->width() + spacing() + destinationWidth;
        const int stack =
            destinations_[0]->sizeHint().height() + kDestinationSpacing + destinations_[1]->sizeHint().height();
        height = std::max({height, connector_->height(), stack});
    }
    return {width, height};
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
        const QSize upper = destinations_[0]->sizeHint();
        const QSize lower = destinations_[1]->sizeHint();
        const int stack = upper.height() + kDestinationSpacing + lower.height();
        const int top = (rowHeight - stack) / 2;
        destinations_[0]->setGeometry(x, top, upper.width(), upper.height());
        destinations_[1]->setGeometry(x, top + upper.height() + kDestinationSpacing, lower.width(), lower.height());
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
