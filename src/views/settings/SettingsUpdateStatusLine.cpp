#include "views/settings/SettingsUpdateStatusLine.h"

#include "views/kit/Fonts.h"
#include "views/kit/IslandPalette.h"
#include "views/kit/IslandScale.h"
#include "views/settings/SettingsButtons.h"
#include "views/settings/SettingsSpinner.h"
#include "views/settings/SettingsStyle.h"
#include "views/kit/SymbolIcons.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace moravel {

namespace {

const QString kCheckingText = QStringLiteral("Checking for updates…");
const QString kUpToDateText = QStringLiteral("You’re up to date");

// One symbol drawn beside caption text.
class SymbolMark final : public QWidget {
public:
    SymbolMark(QString symbol, QColor color, QWidget* parent)
        : QWidget(parent), symbol_(std::move(symbol)), color_(std::move(color))
    {
        setFixedSize(symbolPixelSize(kTextSize), symbolPixelSize(kTextSize));
        setAttribute(Qt::WA_TranslucentBackground);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        SymbolFont::shared().draw(painter, symbol_, QRectF(rect()), kTextSize, color_);
    }

private:
    static constexpr double kTextSize = TextSize::body;
    QString symbol_;
    QColor color_;
};

QHBoxLayout* rowLayout(QWidget* row, int spacing)
{
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(pxInt(spacing));
    return layout;
}

}  // namespace

SettingsUpdateStatusLine::SettingsUpdateStatusLine(QWidget* parent)
    : QWidget(parent),
      checkingRow_(new QWidget(this)),
      upToDateRow_(new QWidget(this)),
      availableRow_(new QWidget(this)),
      availableLabel_(nullptr),
      failedLabel_(nullptr),
      spinner_(nullptr)
{
    setAttribute(Qt::WA_TranslucentBackground);
    const QFont caption = SettingsStyle::captionFont();

    auto* checking = rowLayout(checkingRow_, 7);
    spinner_ = new SettingsSpinner(11, checkingRow_);
    checking->addWidget(spinner_, 0, Qt::AlignVCenter);
    checking->addWidget(SettingsStyle::makeLabel(kCheckingText, caption, IslandPalette::secondary(), checkingRow_));
    checking->addStretch();

    auto* upToDate = rowLayout(upToDateRow_, 5);
    upToDate->addWidget(new SymbolMark(QStringLiteral("checkmark.circle.fill"), IslandPalette::mint(), upToDateRow_),
                        0, Qt::AlignVCenter);
    upToDate->addWidget(SettingsStyle::makeLabel(kUpToDateText, caption, IslandPalette::mint(), upToDateRow_));
    upToDate->addStretch();

    auto* available = rowLayout(availableRow_, 8);
    availableLabel_ = SettingsStyle::makeLabel({}, caption, IslandPalette::primary(), availableRow_);
    auto* viewUpdate = new SettingsTextButton(QStringLiteral("View Update…"), Fonts::words(TextSize::body, QFont::DemiBold),
                                              IslandPalette::mint(), availableRow_);
    viewUpdate->setObjectName(QStringLiteral("viewUpdateButton"));
    connect(viewUpdate, &QAbstractButton::clicked, this, &SettingsUpdateStatusLine::viewUpdateRequested);
    available->addWidget(availableLabel_);
    available->addStretch();
    available->addWidget(viewUpdate);

    failedLabel_ = SettingsStyle::makeLabel({}, caption, IslandPalette::red(), this, true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (QWidget* row : {checkingRow_, upToDateRow_, availableRow_, static_cast<QWidget*>(failedLabel_)})
        layout->addWidget(row);
    setStatus(UpdateCheckStatus::idle());
}

void SettingsUpdateStatusLine::setStatus(const UpdateCheckStatus& status)
{
    status_ = status;
    using Case = UpdateCheckStatus::Case;
    availableLabel_->setText(QStringLiteral("Version %1 is available").arg(status.version()));
    failedLabel_->setText(status.message());
    checkingRow_->setVisible(status.kind() == Case::checking);
    upToDateRow_->setVisible(status.kind() == Case::upToDate);
    availableRow_->setVisible(status.kind() == Case::updateAvailable);
    failedLabel_->setVisible(status.kind() == Case::failed);
    // Idle leaves no empty line behind in the section.
    setVisible(status.kind() != Case::idle);
}

QString SettingsUpdateStatusLine::text() const
{
    switch (status_.kind()) {
    case UpdateCheckStatus::Case::idle: return {};
    case UpdateCheckStatus::Case::checking: return kCheckingText;
    case UpdateCheckStatus::Case::upToDate: return kUpToDateText;
    case UpdateCheckStatus::Case::updateAvailable: return availableLabel_->text();
    case UpdateCheckStatus::Case::failed: return failedLabel_->text();
    }
    return {};
}

}  // namespace moravel
