#include "views/settings/SettingsSourceSection.h"

#include "monitor/SourceSelector.h"
#include "monitor/SystemMonitor.h"
#include "views/kit/Fonts.h"
#include "views/kit/IslandPalette.h"
#include "views/kit/IslandScale.h"
#include "views/settings/SettingsButtons.h"
#include "views/settings/SettingsStyle.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace moravel {

namespace {

using SettingsStyle::styleSheetColor;

QLineEdit* field(const QString& placeholder, const char* name, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setPlaceholderText(placeholder);
    edit->setFont(SettingsStyle::captionFont());
    edit->setFixedHeight(pxInt(26));
    edit->setStyleSheet(QStringLiteral("QLineEdit { background: %1; color: %2; border: none; border-radius: 7px;"
                                       " padding: 0 8px; selection-background-color: %3; }")
                            .arg(styleSheetColor(IslandPalette::surface()), styleSheetColor(IslandPalette::primary()),
                                 styleSheetColor(IslandPalette::divider())));
    QPalette palette = edit->palette();
    palette.setColor(QPalette::PlaceholderText, IslandPalette::secondary());
    edit->setPalette(palette);
    return edit;
}

}  // namespace

SettingsSourceSection::SettingsSourceSection(SourceSelector& selector, QWidget* parent)
    : QWidget(parent), selector_(selector)
{
    setObjectName(QStringLiteral("sourceSection"));
    setAttribute(Qt::WA_TranslucentBackground);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(pxInt(8));
    layout->addWidget(SettingsStyle::makeLabel(QStringLiteral("Source"), SettingsStyle::sectionTitleFont(),
                                               IslandPalette::primary(), this));

    auto* chips = new QHBoxLayout;
    chips->setSpacing(pxInt(6));
    thisComputerChip_ = new SettingsCapsuleButton(QStringLiteral("This computer"), 26, this);
    thisComputerChip_->setObjectName(QStringLiteral("sourceThisComputer"));
    anotherMachineChip_ = new SettingsCapsuleButton(QStringLiteral("Another machine"), 26, this);
    anotherMachineChip_->setObjectName(QStringLiteral("sourceAnotherMachine"));
    connect(thisComputerChip_, &QAbstractButton::clicked, this, &SettingsSourceSection::watchThisComputer);
    connect(anotherMachineChip_, &QAbstractButton::clicked, this, [this] { setEditing(true); });
    chips->addWidget(thisComputerChip_, 1);
    chips->addWidget(anotherMachineChip_, 1);
    layout->addLayout(chips);

    fields_ = new QWidget(this);
    fields_->setAttribute(Qt::WA_TranslucentBackground);
    auto* fieldLayout = new QVBoxLayout(fields_);
    fieldLayout->setContentsMargins(0, 0, 0, 0);
    fieldLayout->setSpacing(pxInt(6));
    address_ = field(QStringLiteral("Exporter: http://192.168.1.20:9100/metrics"), "sourceAddress", fields_);
    credentials_ = field(QStringLiteral("Credentials file (optional, chmod 600)"), "sourceCredentials", fields_);
    auto* watchRow = new QHBoxLayout;
    watchRow->addWidget(credentials_, 1);
    auto* watchButton = new SettingsTextButton(QStringLiteral("Watch"), SettingsStyle::buttonLabelFont(),
                                               IslandPalette::mint(), fields_);
    watchButton->setObjectName(QStringLiteral("sourceWatchButton"));
    watchRow->addWidget(watchButton);
    fieldLayout->addWidget(address_);
    fieldLayout->addLayout(watchRow);
    const auto watchTyped = [this] { watch(address_->text(), credentials_->text()); };
    connect(watchButton, &QAbstractButton::clicked, this, watchTyped);
    connect(address_, &QLineEdit::returnPressed, this, watchTyped);
    connect(credentials_, &QLineEdit::returnPressed, this, watchTyped);
    layout->addWidget(fields_);
    address_->installEventFilter(this);
    credentials_->installEventFilter(this);

    problemLabel_ = SettingsStyle::makeLabel(QString(), SettingsStyle::captionFont(), IslandPalette::secondary(),
                                             this, true);
    problemLabel_->setObjectName(QStringLiteral("sourceProblemLabel"));
    layout->addWidget(problemLabel_);
    reachabilityLabel_ = SettingsStyle::makeLabel(QString(), SettingsStyle::captionFont(),
                                                  IslandPalette::secondary(), this, true);
    reachabilityLabel_->setObjectName(QStringLiteral("sourceReachabilityLabel"));
    layout->addWidget(reachabilityLabel_);

    connect(&selector_, &SourceSelector::choiceChanged, this, &SettingsSourceSection::showChoice);
    const SystemMonitor& monitor = selector_.monitor();
    // The reason may change while the machine stays out of reach.
    connect(&monitor, &SystemMonitor::sourceReachabilityChanged, this, &SettingsSourceSection::refresh);
    connect(&monitor, &SystemMonitor::refreshFailed, this, &SettingsSourceSection::refresh);
    showChoice(selector_.choice());
}

bool SettingsSourceSection::eventFilter(QObject* watched, QEvent* event)
{
    // The settings' window shows without taking the keyboard, which stays
    // with the island: a press on a field asks for it, so that typing lands there.
    if (event->type() == QEvent::MouseButtonPress && !window()->isActiveWindow())
        window()->activateWindow();
    return QWidget::eventFilter(watched, event);
}

void SettingsSourceSection::watch(const QString& address, const QString& credentialsFile)
{
    address_->setText(address);
    credentials_->setText(credentialsFile);
    // An empty address would read as this computer: that has its own button.
    if (address.trimmed().isEmpty()) {
        applyResult(QStringLiteral("Enter the exporter's address, such as http://192.168.1.20:9100/metrics."));
        return;
    }
    applyResult(selector_.choose(SourceChoice{address.trimmed(), credentialsFile}));
}

void SettingsSourceSection::watchThisComputer()
{
    // Already here: the fields close, and the chart keeps its history.
    if (selector_.choice().isThisComputer()) {
        editing_ = false;
        applyResult(std::nullopt);
        return;
    }
    applyResult(selector_.choose(SourceChoice{}));
}

void SettingsSourceSection::applyResult(std::optional<QString> problem)
{
    problem_ = std::move(problem);
    refresh();
}

void SettingsSourceSection::showChoice(const SourceChoice& choice)
{
    editing_ = !choice.isThisComputer();
    if (editing_) {
        address_->setText(choice.address);
        credentials_->setText(choice.credentialsFile);
    }
    problem_.reset();
    refresh();
}

void SettingsSourceSection::setEditing(bool editing)
{
    editing_ = editing;
    refresh();
    if (editing)
        address_->setFocus();
}

void SettingsSourceSection::refresh()
{
    const auto paint = [](SettingsCapsuleButton* chip, bool selected) {
        chip->setAppearance(Fonts::words(TextSize::body, selected ? QFont::DemiBold : QFont::Medium),
                            selected ? IslandPalette::background() : IslandPalette::primary(),
                            selected ? IslandPalette::mint() : IslandPalette::surface());
    };
    paint(thisComputerChip_, !editing_);
    paint(anotherMachineChip_, editing_);
    fields_->setVisible(editing_);
    problemLabel_->setVisible(problem_.has_value());
    problemLabel_->setText(problem_.value_or(QString()));
    const SystemMonitor& monitor = selector_.monitor();
    reachabilityLabel_->setVisible(!monitor.isSourceReachable());
    reachabilityLabel_->setText(monitor.isSourceReachable() ? QString()
                                                            : QStringLiteral("Can't reach %1: %2.")
                                                                  .arg(monitor.machineName(), monitor.sourceFailure()));
    // Lines that appear or go while hidden are not passed up by themselves.
    for (QWidget* widget = this; widget; widget = widget->parentWidget())
        widget->updateGeometry();
}

}  // namespace moravel
