#include "views/settings/SettingsSourceSection.h"

#include "monitor/SourceSelector.h"
#include "monitor/SystemMonitor.h"
#include "views/kit/Fonts.h"
#include "views/kit/IslandPalette.h"
#include "views/kit/IslandScale.h"
#include "views/settings/SettingsButtons.h"
#include "views/settings/SettingsMessages.h"
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

SettingsSourceSection::Kind kindOf(const SourceChoice& choice)
{
    using Kind = SettingsSourceSection::Kind;
    if (choice.isThisComputer())
        return Kind::thisComputer;
    return choice.isPrometheusServer() ? Kind::prometheusServer : Kind::exporter;
}

}  // namespace

SettingsSourceSection::SettingsSourceSection(SourceSelector& selector, SettingsMessages& messages, QWidget* parent)
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
    prometheusChip_ = new SettingsCapsuleButton(QStringLiteral("A Prometheus server"), 26, this);
    prometheusChip_->setObjectName(QStringLiteral("sourcePrometheusServer"));
    connect(thisComputerChip_, &QAbstractButton::clicked, this, &SettingsSourceSection::watchThisComputer);
    connect(anotherMachineChip_, &QAbstractButton::clicked, this, [this] { edit(Kind::exporter); });
    connect(prometheusChip_, &QAbstractButton::clicked, this, [this] { edit(Kind::prometheusServer); });
    chips->addWidget(thisComputerChip_, 1);
    chips->addWidget(anotherMachineChip_, 1);
    layout->addLayout(chips);
    // The third choice has a row of its own: its name is long.
    layout->addWidget(prometheusChip_);

    fields_ = new QWidget(this);
    fields_->setAttribute(Qt::WA_TranslucentBackground);
    auto* fieldLayout = new QVBoxLayout(fields_);
    fieldLayout->setContentsMargins(0, 0, 0, 0);
    fieldLayout->setSpacing(pxInt(6));
    address_ = field(QStringLiteral("Exporter: http://192.168.1.20:9100/metrics"), "sourceAddress", fields_);
    credentials_ = field(QStringLiteral("Credentials file (optional, chmod 600)"), "sourceCredentials", fields_);
    address_->setAccessibleName(QStringLiteral("Address"));
    credentials_->setAccessibleName(QStringLiteral("Credentials file"));
    auto* watchRow = new QHBoxLayout;
    watchRow->addWidget(credentials_, 1);
    auto* watchButton = new SettingsTextButton(QStringLiteral("Watch"), SettingsStyle::buttonLabelFont(),
                                               IslandPalette::mint(), fields_);
    watchButton->setObjectName(QStringLiteral("sourceWatchButton"));
    watchRow->addWidget(watchButton);
    // Until "Watch" is pressed and the address taken, the machine watched
    // is the one before: said with the fields, which appear with it.
    pendingLabel_ = SettingsStyle::makeLabel(QString(), SettingsStyle::captionFont(), IslandPalette::secondary(),
                                             fields_, true);
    pendingLabel_->setObjectName(QStringLiteral("sourcePendingLabel"));
    fieldLayout->addWidget(address_);
    fieldLayout->addLayout(watchRow);
    fieldLayout->addWidget(pendingLabel_);
    const auto watchTyped = [this] { watch(address_->text(), credentials_->text(), kind_); };
    connect(watchButton, &QAbstractButton::clicked, this, watchTyped);
    connect(address_, &QLineEdit::returnPressed, this, watchTyped);
    connect(credentials_, &QLineEdit::returnPressed, this, watchTyped);
    layout->addWidget(fields_);
    address_->installEventFilter(this);
    credentials_->installEventFilter(this);

    problemLabel_ = messages.add(QStringLiteral("sourceProblemLabel"));
    reachabilityLabel_ = messages.add(QStringLiteral("sourceReachabilityLabel"));

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

void SettingsSourceSection::watch(const QString& address, const QString& credentialsFile, Kind kind)
{
    kind_ = kind;
    address_->setText(address);
    credentials_->setText(credentialsFile);
    const bool isServer = kind == Kind::prometheusServer;
    // An empty address would read as this computer: that has its own button.
    if (address.trimmed().isEmpty()) {
        applyResult(isServer ? QStringLiteral("Enter the server's address, such as http://10.0.0.5:9090.")
                             : QStringLiteral("Enter the exporter's address, such as http://192.168.1.20:9100/metrics."));
        return;
    }
    applyResult(selector_.choose(isServer ? SourceChoice::prometheusServer(address, credentialsFile)
                                          : SourceChoice{address.trimmed(), credentialsFile}));
}

void SettingsSourceSection::watchThisComputer()
{
    // Already here: the fields close, and the chart keeps its history.
    if (selector_.choice().isThisComputer()) {
        kind_ = Kind::thisComputer;
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
    kind_ = kindOf(choice);
    if (kind_ != Kind::thisComputer) {
        address_->setText(choice.typedAddress());
        credentials_->setText(choice.credentialsFile);
    }
    problem_.reset();
    refresh();
}

void SettingsSourceSection::edit(Kind kind)
{
    kind_ = kind;
    refresh();
    address_->setFocus();
}

void SettingsSourceSection::refresh()
{
    // Selected is the source in use; the one being typed is only marked
    // until it is watched.
    const Kind inUse = kindOf(selector_.choice());
    const auto paint = [this, inUse](SettingsCapsuleButton* chip, Kind kind) {
        const bool selected = kind == inUse;
        const bool pending = kind == kind_ && !selected;
        chip->setAppearance(Fonts::words(TextSize::body, selected ? QFont::DemiBold : QFont::Medium),
                            selected  ? IslandPalette::background()
                            : pending ? IslandPalette::mint()
                                      : IslandPalette::primary(),
                            selected ? IslandPalette::mint() : IslandPalette::surface());
    };
    paint(thisComputerChip_, Kind::thisComputer);
    paint(anotherMachineChip_, Kind::exporter);
    paint(prometheusChip_, Kind::prometheusServer);
    fields_->setVisible(kind_ != Kind::thisComputer);
    pendingLabel_->setText(QStringLiteral("Still watching %1: press Watch to switch to this %2.")
                               .arg(inUse == Kind::thisComputer ? QStringLiteral("this computer")
                                                                : selector_.monitor().machineName(),
                                    kind_ == Kind::prometheusServer ? QStringLiteral("server")
                                                                    : QStringLiteral("machine")));
    pendingLabel_->setVisible(kind_ != inUse);
    address_->setPlaceholderText(kind_ == Kind::prometheusServer
                                     ? QStringLiteral("Server: http://10.0.0.5:9090")
                                     : QStringLiteral("Exporter: http://192.168.1.20:9100/metrics"));
    // Each line's text first: showing it measures it.
    problemLabel_->setText(problem_.value_or(QString()));
    problemLabel_->setVisible(problem_.has_value());
    // A screen reader hears what is wrong with the address on the field itself.
    address_->setAccessibleDescription(problem_.value_or(QString()));
    const SystemMonitor& monitor = selector_.monitor();
    reachabilityLabel_->setText(monitor.isSourceReachable() ? QString()
                                                            : QStringLiteral("Can't reach %1: %2.")
                                                                  .arg(monitor.machineName(), monitor.sourceFailure()));
    reachabilityLabel_->setVisible(!monitor.isSourceReachable());
    // Lines that appear or go while hidden are not passed up by themselves.
    for (QWidget* widget = this; widget; widget = widget->parentWidget())
        widget->updateGeometry();
}

}  // namespace moravel
