#include "views/settings/SettingsAlertsSection.h"

#include "alerts/AlertCenter.h"
#include "views/kit/IslandPalette.h"
#include "views/kit/IslandScale.h"
#include "views/settings/SettingsButtons.h"
#include "views/settings/SettingsMessages.h"
#include "views/settings/SettingsStepper.h"
#include "views/settings/SettingsStyle.h"
#include "views/settings/SettingsSwitch.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace moravel {

double SettingsAlertsSection::steppedThreshold(AlertRule rule, double value, int steps)
{
    const AlertRuleDescriptor& d = alertRuleDescriptor(rule);
    const double step = d.step;
    // A value off the grid (a sensor's 86 °C) goes to the neighbouring multiple first.
    const double next = steps > 0 ? (std::floor(value / step) + steps) * step : (std::ceil(value / step) + steps) * step;
    return std::clamp(next, d.minimumThreshold, d.maximumThreshold);
}

QString SettingsAlertsSection::thresholdText(AlertRule rule, double value)
{
    return QStringLiteral("%1 %2").arg(QString::number(value, 'f', 0), QString::fromUtf8(alertRuleDescriptor(rule).unit));
}

SettingsAlertsSection::SettingsAlertsSection(AlertCenter& alerts, SettingsMessages& messages, QWidget* parent)
    : QWidget(parent), alerts_(alerts)
{
    setAttribute(Qt::WA_TranslucentBackground);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(pxInt(10));

    auto* header = new QHBoxLayout;
    header->addWidget(SettingsStyle::makeLabel(QStringLiteral("Alerts"), SettingsStyle::sectionTitleFont(),
                                               IslandPalette::primary(), this));
    header->addStretch();
    auto* reset = new SettingsTextButton(QStringLiteral("Reset"), SettingsStyle::captionFont(), IslandPalette::mint(),
                                         this);
    reset->setObjectName(QStringLiteral("alertsResetButton"));
    connect(reset, &QAbstractButton::clicked, this, [this] {
        for (AlertRule rule : allAlertRules)
            alerts_.setRuleSetting(rule, AlertRuleSetting{});
    });
    header->addWidget(reset);
    layout->addLayout(header);
    noServiceLabel_ = messages.add(QStringLiteral("noNotificationServiceLabel"));
    noServiceLabel_->setText(QStringLiteral("No notification service: alerts are not shown."));
    noServiceLabel_->setVisible(!alerts_.canShowAlerts());
    connect(&alerts_, &AlertCenter::canShowAlertsChanged, noServiceLabel_,
            [this](bool canShow) { noServiceLabel_->setVisible(!canShow); });
    // Why the latest alert was lost, while a service is there and refuses them
    // (without one, the line above says enough).
    QLabel* showFailure = messages.add(QStringLiteral("alertShowFailureLabel"));
    const auto showFailureNow = [this, showFailure] {
        const std::optional<QString>& failure = alerts_.showFailure();
        showFailure->setText(QStringLiteral("The latest alert could not be shown: %1").arg(failure.value_or(QString())));
        showFailure->setVisible(failure && alerts_.canShowAlerts());
    };
    showFailureNow();
    connect(&alerts_, &AlertCenter::showFailureChanged, showFailure, showFailureNow);
    connect(&alerts_, &AlertCenter::canShowAlertsChanged, showFailure, showFailureNow);

    auto* grid = new QGridLayout;
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(pxInt(10));
    grid->setVerticalSpacing(pxInt(6));
    grid->setColumnStretch(0, 1);
    for (AlertRule rule : allAlertRules) {
        const auto index = static_cast<int>(rule);
        const QString label = QString::fromUtf8(alertRuleDescriptor(rule).label);
        const QString key = QString::fromLatin1(alertRuleDescriptor(rule).key);
        grid->addWidget(SettingsStyle::makeLabel(label, SettingsStyle::toggleLabelFont(), IslandPalette::primary(),
                                                 this),
                        index, 0);

        auto* stepper = new SettingsStepper(this);
        stepper->setObjectName(key + QStringLiteral("Threshold"));
        stepper->setAccessibleName(label + QStringLiteral(" threshold"));
        connect(stepper, &SettingsStepper::stepped, this, [this, rule](int steps) { step(rule, steps); });
        grid->addWidget(stepper, index, 1);

        auto* toggle = new SettingsSwitch(QString(), this);
        toggle->setObjectName(key + QStringLiteral("Alert"));
        toggle->setAccessibleName(label);
        toggle->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        connect(toggle, &QAbstractButton::clicked, this, [this, rule](bool on) {
            AlertRuleSetting setting = alerts_.preferences()[static_cast<size_t>(rule)];
            setting.enabled = on;
            alerts_.setRuleSetting(rule, setting);
        });
        grid->addWidget(toggle, index, 2);
        steppers_[static_cast<size_t>(index)] = stepper;
        switches_[static_cast<size_t>(index)] = toggle;
    }
    layout->addLayout(grid);

    connect(&alerts_, &AlertCenter::preferencesChanged, this, &SettingsAlertsSection::refresh);
    refresh();
}

void SettingsAlertsSection::step(AlertRule rule, int steps)
{
    AlertRuleSetting setting = alerts_.preferences()[static_cast<size_t>(rule)];
    setting.threshold = steppedThreshold(rule, alerts_.threshold(rule), steps);
    alerts_.setRuleSetting(rule, setting);
}

void SettingsAlertsSection::refresh()
{
    for (AlertRule rule : allAlertRules) {
        const auto index = static_cast<size_t>(rule);
        const AlertRuleSetting& setting = alerts_.preferences()[index];
        const AlertRuleDescriptor& d = alertRuleDescriptor(rule);
        const double threshold = alerts_.threshold(rule);
        switches_[index]->setChecked(setting.enabled);
        steppers_[index]->setEnabled(setting.enabled);
        steppers_[index]->setValueText(thresholdText(rule, threshold));
        steppers_[index]->setLimits(threshold > d.minimumThreshold, threshold < d.maximumThreshold);
    }
}

}  // namespace moravel
