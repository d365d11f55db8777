#include "views/settings/IslandSettingsView.h"

#include "BuildInfo.h"
#include "alerts/AlertCenter.h"
#include "history/HistoryRecorder.h"
#include "island/IslandState.h"
#include "monitor/ReadingTable.h"
#include "support/LoginItem.h"
#include "updates/UpdateCheckCoordinator.h"
#include "updates/Updater.h"
#include "views/kit/Fonts.h"
#include "views/kit/IslandPalette.h"
#include "views/kit/IslandScale.h"
#include "views/settings/SettingsAlertsSection.h"
#include "views/settings/SettingsButtons.h"
#include "views/settings/SettingsMenuPicker.h"
#include "views/settings/SettingsMessages.h"
#include "views/settings/SettingsMetricList.h"
#include "views/settings/SettingsSourceSection.h"
#include "views/settings/SettingsStyle.h"
#include "views/settings/SettingsSwitch.h"
#include "views/settings/SettingsUpdateStatusLine.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>

namespace moravel {

namespace {

constexpr int kPadding = 18;
constexpr int kRootSpacing = 16;
constexpr int kSectionSpacing = 10;

// The readings sit either side of the camera only on a screen with a notch.
QString layoutCaption(bool aroundNotch)
{
    return aroundNotch
               ? QStringLiteral("Choose what stays visible. Drag rows to arrange them left to right around the camera.")
               : QStringLiteral("Choose what stays visible. Drag rows to arrange them left to right.");
}

// A one-point rule across the column between sections.
class SettingsDivider final : public QWidget {
public:
    explicit SettingsDivider(QWidget* parent) : QWidget(parent)
    {
        setFixedHeight(1);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), IslandPalette::divider()); }
};

QVBoxLayout* stackLayout(QWidget* owner, int spacing)
{
    auto* layout = new QVBoxLayout(owner);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(pxInt(spacing));
    layout->setAlignment(Qt::AlignTop);
    return layout;
}

QWidget* section(QWidget* parent)
{
    auto* widget = new QWidget(parent);
    widget->setAttribute(Qt::WA_TranslucentBackground);
    return widget;
}

QLabel* sectionTitle(const QString& text, QWidget* parent)
{
    return SettingsStyle::makeLabel(text, SettingsStyle::sectionTitleFont(), IslandPalette::primary(), parent);
}

SettingsSwitch* settingsToggle(const QString& label, const char* name, QWidget* parent)
{
    auto* toggle = new SettingsSwitch(label, parent);
    toggle->setObjectName(QLatin1String(name));
    return toggle;
}

QList<SettingsMetricRow> metricRows(const IslandState& state)
{
    QList<SettingsMetricRow> rows;
    for (const CollapsedMetricPreference& preference : state.collapsedMetricPreferences()) {
        rows.append({preference.kind, state.isCollapsedMetricVisible(preference.kind),
                     state.canHideCollapsedMetric(preference.kind)});
    }
    return rows;
}

}  // namespace

QString IslandSettingsView::preferencesSaveFailureText(const QString& reason)
{
    if (reason.isEmpty())
        return QStringLiteral("Your choices could not be saved.");
    return QStringLiteral("Your choices could not be saved: %1.").arg(reason);
}

QString IslandSettingsView::historyWriteFailureText(const QString& reason)
{
    return QStringLiteral("The history cannot be written: %1. It is kept in memory meanwhile.").arg(reason);
}

QString appVersionText(const QString& version, const QString& buildNumber)
{
    const QString unknown = QStringLiteral("—");
    return QStringLiteral("Version %1 (%2)")
        .arg(version.isEmpty() ? unknown : version, buildNumber.isEmpty() ? unknown : buildNumber);
}

IslandSettingsView::IslandSettingsView(IslandState& state, Updater& updater, UpdateCheckCoordinator& coordinator,
                                       LoginItem& loginItem, AlertCenter* alerts, HistoryRecorder* history,
                                       QWidget* parent)
    : QWidget(parent),
      state_(state),
      updater_(updater),
      coordinator_(coordinator),
      loginItem_(loginItem),
      alerts_(alerts),
      history_(history),
      launchAtLogin_(loginItem.isEnabled()),
      canCheckForUpdates_(updater.canCheckForUpdates()),
      automaticallyChecksForUpdates_(updater.automaticallyChecksForUpdates()),
      automaticallyDownloadsUpdates_(updater.automaticallyDownloadsUpdates())
{
    setFixedWidth(pxInt(fixedWidth));
    setAutoFillBackground(false);

    auto* root = stackLayout(this, kRootSpacing);
    const int padding = pxInt(kPadding);
    root->setContentsMargins(padding, padding, padding, padding);
    // Exactly as tall as its contents, growing and shrinking with the status
    // and error lines, so a host can never squeeze the list or clip the end.
    root->setSizeConstraint(QLayout::SetFixedSize);
    root->addWidget(SettingsStyle::makeLabel(QStringLiteral("Moravel"), SettingsStyle::titleFont(),
                                             IslandPalette::primary(), this));
    messages_ = new SettingsMessages(this);
    saveFailureLabel_ = messages_->add(QStringLiteral("saveFailureLabel"));
    historyFailureLabel_ = messages_->add(QStringLiteral("historyFailureLabel"));
    loginErrorLabel_ = messages_->add(QStringLiteral("loginErrorLabel"));
    root->addWidget(buildLayoutSection());
    root->addWidget(new SettingsDivider(this));
    root->addWidget(buildBehaviorSection());
    if (alerts_) {
        root->addWidget(new SettingsDivider(this));
        root->addWidget(new SettingsAlertsSection(*alerts_, *messages_, this));
    }
    root->addWidget(new SettingsDivider(this));
    root->addWidget(buildUpdatesSection());
    root->addWidget(new SettingsDivider(this));
    root->addWidget(aboutSection_ = buildAboutSection());
    root->addWidget(messages_);

    connectModel();
    refreshSaveFailure();
    refreshLayoutSection();
    refreshBehaviorSection();
    refreshUpdatesSection();
}

IslandSettingsView::~IslandSettingsView()
{
    endInteractionIfBegun();
}

QWidget* IslandSettingsView::buildLayoutSection()
{
    QWidget* widget = section(this);
    auto* layout = stackLayout(widget, kSectionSpacing);

    auto* header = new QHBoxLayout;
    header->addWidget(sectionTitle(QStringLiteral("Layout"), widget));
    header->addStretch();
    auto* reset = new SettingsTextButton(QStringLiteral("Reset"), SettingsStyle::captionFont(), IslandPalette::mint(),
                                         widget);
    reset->setObjectName(QStringLiteral("resetButton"));
    connect(reset, &QAbstractButton::clicked, this,
            [this] { state_.applyLayoutPreset(CollapsedMetricLayoutPreset::balanced); });
    header->addWidget(reset);
    layout->addLayout(header);

    auto* picker = new QVBoxLayout;
    picker->setSpacing(pxInt(6));
    auto* chips = new QHBoxLayout;
    chips->setSpacing(pxInt(6));
    for (std::size_t index = 0; index < allCollapsedMetricLayoutPresets.size(); ++index) {
        const CollapsedMetricLayoutPreset preset = allCollapsedMetricLayoutPresets[index];
        auto* chip = new SettingsCapsuleButton(title(preset), 26, widget);
        chip->setObjectName(QStringLiteral("preset") + title(preset));
        connect(chip, &QAbstractButton::clicked, this, [this, preset] { state_.applyLayoutPreset(preset); });
        chips->addWidget(chip, 1);
        presetButtons_[index] = chip;
    }
    picker->addLayout(chips);
    customLabel_ = SettingsStyle::makeLabel(QStringLiteral("Custom"), SettingsStyle::captionFont(),
                                            IslandPalette::secondary(), widget);
    customLabel_->setObjectName(QStringLiteral("customLabel"));
    picker->addWidget(customLabel_);
    layout->addLayout(picker);

    auto* caption = SettingsStyle::makeLabel(layoutCaption(state_.displayGeometry().hasNotch()),
                                             SettingsStyle::captionFont(), IslandPalette::secondary(), widget, true);
    caption->setObjectName(QStringLiteral("layoutCaption"));
    connect(&state_, &IslandState::displayGeometryChanged, caption, [this, caption](const IslandDisplayGeometry& g) {
        caption->setText(layoutCaption(g.hasNotch()));
        relayoutAround(caption);
    });
    layout->addWidget(caption);

    metricList_ = new SettingsMetricList(widget);
    metricList_->setObjectName(QStringLiteral("metricList"));
    connect(metricList_, &SettingsMetricList::visibilityToggled, this,
            [this](MetricKind kind, bool isVisible) { state_.setCollapsedMetric(kind, isVisible); });
    connect(metricList_, &SettingsMetricList::moveRequested, this,
            [this](const QList<int>& fromOffsets, int toOffset) { state_.moveCollapsedMetrics(fromOffsets, toOffset); });
    layout->addWidget(metricList_);
    return widget;
}

QWidget* IslandSettingsView::buildBehaviorSection()
{
    QWidget* widget = section(this);
    auto* layout = stackLayout(widget, kSectionSpacing);
    layout->addWidget(sectionTitle(QStringLiteral("Behavior"), widget));

    expandOnHoverSwitch_ = settingsToggle(QStringLiteral("Expand on hover"), "expandOnHoverSwitch", widget);
    connect(expandOnHoverSwitch_, &QAbstractButton::clicked, this, [this](bool on) { state_.setExpandOnHover(on); });
    keepWindowsClearSwitch_ =
        settingsToggle(QStringLiteral("Keep windows clear of the island"), "keepWindowsClearSwitch", widget);
    connect(keepWindowsClearSwitch_, &QAbstractButton::clicked, this,
            [this](bool on) { state_.setKeepsWindowsClear(on); });
    powerFlowSwitch_ = settingsToggle(QStringLiteral("Power flow open"), "powerFlowSwitch", widget);
    connect(powerFlowSwitch_, &QAbstractButton::clicked, this, [this](bool on) { state_.setShowPowerFlow(on); });
    launchAtLoginSwitch_ = settingsToggle(QStringLiteral("Launch at login"), "launchAtLoginSwitch", widget);
    connect(launchAtLoginSwitch_, &QAbstractButton::clicked, this, &IslandSettingsView::updateLaunchAtLogin);
    layout->addWidget(expandOnHoverSwitch_);
    layout->addWidget(keepWindowsClearSwitch_);
    layout->addWidget(powerFlowSwitch_);
    layout->addWidget(launchAtLoginSwitch_);

    auto* tab = new QVBoxLayout;
    tab->setSpacing(pxInt(6));
    QLabel* tabLabel = SettingsStyle::makeLabel(QStringLiteral("Default metric tab"), SettingsStyle::toggleLabelFont(),
                                                IslandPalette::primary(), widget);
    tab->addWidget(tabLabel);
    defaultTabPicker_ = new SettingsMenuPicker(widget);
    defaultTabPicker_->setObjectName(QStringLiteral("defaultTabPicker"));
    // The label names the picker for screen readers, which read its choice as its name.
    tabLabel->setBuddy(defaultTabPicker_);
    for (MetricKind kind : ReadingTable::tabs())
        defaultTabPicker_->addItem(ReadingTable::tabTitle(kind));
    connect(defaultTabPicker_, &QComboBox::activated, this, [this](int index) {
        if (index >= 0 && index < ReadingTable::tabs().size())
            state_.setSelectedMetric(ReadingTable::tabs()[index]);
    });
    tab->addWidget(defaultTabPicker_);
    layout->addLayout(tab);

    // The island's size, like a browser's zoom.
    auto* size = new QVBoxLayout;
    size->setSpacing(pxInt(6));
    QLabel* sizeLabel = SettingsStyle::makeLabel(QStringLiteral("Size"), SettingsStyle::toggleLabelFont(),
                                                 IslandPalette::primary(), widget);
    size->addWidget(sizeLabel);
    sizePicker_ = new SettingsMenuPicker(widget);
    sizePicker_->setObjectName(QStringLiteral("sizePicker"));
    sizeLabel->setBuddy(sizePicker_);
    for (int percent : islandSizePercents)
        sizePicker_->addItem(QStringLiteral("%1 %").arg(percent));
    connect(sizePicker_, &QComboBox::activated, this, [this](int index) {
        if (index >= 0 && index < static_cast<int>(islandSizePercents.size()))
            state_.setSizePercent(islandSizePercents[static_cast<size_t>(index)]);
    });
    size->addWidget(sizePicker_);
    layout->addLayout(size);
    return widget;
}

QWidget* IslandSettingsView::buildUpdatesSection()
{
    QWidget* widget = section(this);
    auto* layout = stackLayout(widget, kSectionSpacing);
    layout->addWidget(sectionTitle(QStringLiteral("Updates"), widget));
    if (!updater_.hasUpdateFeed()) {
        // Nothing here could do anything: say where updates come from instead.
        auto* note = SettingsStyle::makeLabel(packageManagerUpdatesNote, SettingsStyle::captionFont(),
                                              IslandPalette::secondary(), widget, true);
        note->setObjectName(QStringLiteral("packageManagerUpdatesNote"));
        layout->addWidget(note);
        return widget;
    }

    automaticChecksSwitch_ =
        settingsToggle(QStringLiteral("Automatically check for updates"), "automaticChecksSwitch", widget);
    connect(automaticChecksSwitch_, &QAbstractButton::clicked, this, [this](bool on) {
        automaticallyChecksForUpdates_ = on;
        updater_.setAutomaticallyChecksForUpdates(on);
        refreshUpdatesSection();
    });
    automaticDownloadsSwitch_ =
        settingsToggle(QStringLiteral("Automatically download updates"), "automaticDownloadsSwitch", widget);
    connect(automaticDownloadsSwitch_, &QAbstractButton::clicked, this, [this](bool on) {
        automaticallyDownloadsUpdates_ = on;
        updater_.setAutomaticallyDownloadsUpdates(on);
    });
    layout->addWidget(automaticChecksSwitch_);
    layout->addWidget(automaticDownloadsSwitch_);

    checkButton_ = new SettingsTextButton(QStringLiteral("Check for Updates…"), SettingsStyle::buttonLabelFont(),
                                          IslandPalette::mint(), widget);
    checkButton_->setObjectName(QStringLiteral("checkForUpdatesButton"));
    connect(checkButton_, &QAbstractButton::clicked, this, [this] { coordinator_.beginManualCheck(updater_); });
    layout->addWidget(checkButton_);

    statusLine_ = new SettingsUpdateStatusLine(widget);
    statusLine_->setObjectName(QStringLiteral("updateStatusLine"));
    connect(statusLine_, &SettingsUpdateStatusLine::viewUpdateRequested, this,
            [this] { coordinator_.presentAvailableUpdate(updater_); });
    layout->addWidget(statusLine_);
    return widget;
}

QWidget* IslandSettingsView::buildAboutSection()
{
    QWidget* widget = section(this);
    auto* layout = stackLayout(widget, 8);
    auto* version = SettingsStyle::makeLabel(
        appVersionText(QString::fromUtf8(build::version), QString::fromUtf8(build::buildNumber)),
        SettingsStyle::captionFont(), IslandPalette::secondary(), widget);
    version->setObjectName(QStringLiteral("versionLabel"));
    layout->addWidget(version);

    auto* quit = new SettingsCapsuleButton(QStringLiteral("Quit Moravel"), 28, widget);
    quit->setObjectName(QStringLiteral("quitButton"));
    quit->setAppearance(SettingsStyle::buttonLabelFont(), IslandPalette::primary(), IslandPalette::surface());
    quit->setHorizontalPadding(12);
    connect(quit, &QAbstractButton::clicked, this, [] { QCoreApplication::quit(); });
    layout->addWidget(quit, 0, Qt::AlignLeft);
    return widget;
}

void IslandSettingsView::addSourceSection(SourceSelector& selector)
{
    auto* root = static_cast<QVBoxLayout*>(layout());
    const int dividerAboveAbout = root->indexOf(aboutSection_) - 1;
    root->insertWidget(dividerAboveAbout, new SettingsDivider(this));
    auto* source = new SettingsSourceSection(selector, *messages_, this);
    root->insertWidget(dividerAboveAbout + 1, source);
    // Tab follows what is seen: the section made last comes before the About section.
    // (Qt orders only widgets that take the focus.)
    QWidget* previous = nullptr;
    for (QWidget* widget = source->nextInFocusChain(); source->isAncestorOf(widget); widget = widget->nextInFocusChain()) {
        if (widget->focusPolicy() & Qt::TabFocus)
            previous = widget;
    }
    for (QWidget* widget : aboutSection_->findChildren<QWidget*>()) {
        if (previous && (widget->focusPolicy() & Qt::TabFocus)) {
            QWidget::setTabOrder(previous, widget);
            previous = widget;
        }
    }
}

void IslandSettingsView::connectModel()
{
    connect(&state_, &IslandState::preferencesSaveFailureChanged, this, &IslandSettingsView::refreshSaveFailure);
    if (alerts_)
        connect(alerts_, &AlertCenter::preferencesSaveFailureChanged, this, &IslandSettingsView::refreshSaveFailure);
    if (history_)
        connect(history_, &HistoryRecorder::writeFailureChanged, this, &IslandSettingsView::refreshSaveFailure);
    connect(&state_, &IslandState::collapsedMetricPreferencesChanged, this,
            &IslandSettingsView::refreshLayoutSection);
    connect(&state_, &IslandState::expandOnHoverChanged, this, &IslandSettingsView::refreshBehaviorSection);
    connect(&state_, &IslandState::keepsWindowsClearChanged, this, &IslandSettingsView::refreshBehaviorSection);
    connect(&state_, &IslandState::showPowerFlowChanged, this, &IslandSettingsView::refreshBehaviorSection);
    connect(&state_, &IslandState::selectedMetricChanged, this, &IslandSettingsView::refreshBehaviorSection);
    connect(&state_, &IslandState::sizePercentChanged, this, &IslandSettingsView::refreshBehaviorSection);
    connect(&coordinator_, &UpdateCheckCoordinator::statusChanged, this, &IslandSettingsView::refreshUpdatesSection);
    connect(&updater_, &Updater::canCheckForUpdatesChanged, this, [this](bool canCheck) {
        canCheckForUpdates_ = canCheck;
        refreshUpdatesSection();
    });
}

void IslandSettingsView::refreshSaveFailure()
{
    // The island's choices and the alert rules are kept in the same store.
    std::optional<QString> failure = state_.preferencesSaveFailure();
    if (!failure && alerts_)
        failure = alerts_->preferencesSaveFailure();
    // Each line's text first: showing it measures it.
    if (failure)
        saveFailureLabel_->setText(preferencesSaveFailureText(*failure));
    saveFailureLabel_->setVisible(failure.has_value());

    const std::optional<QString> historyFailure = history_ ? history_->writeFailure() : std::nullopt;
    if (historyFailure)
        historyFailureLabel_->setText(historyWriteFailureText(*historyFailure));
    historyFailureLabel_->setVisible(historyFailure.has_value());
}

void IslandSettingsView::refreshLayoutSection()
{
    const auto matching = matchingLayoutPreset(state_.collapsedMetricPreferences());
    for (std::size_t index = 0; index < presetButtons_.size(); ++index) {
        const bool selected = matching == allCollapsedMetricLayoutPresets[index];
        presetButtons_[index]->setAppearance(
            Fonts::words(TextSize::body, selected ? QFont::DemiBold : QFont::Medium),
            selected ? IslandPalette::background() : IslandPalette::primary(),
            selected ? IslandPalette::mint() : IslandPalette::surface());
    }
    customLabel_->setVisible(!matching.has_value());
    metricList_->setRows(metricRows(state_));
    relayoutAround(customLabel_);
}

void IslandSettingsView::refreshBehaviorSection()
{
    expandOnHoverSwitch_->setChecked(state_.expandOnHover());
    keepWindowsClearSwitch_->setChecked(state_.keepsWindowsClear());
    powerFlowSwitch_->setChecked(state_.showPowerFlow());
    launchAtLoginSwitch_->setChecked(launchAtLogin_);
    defaultTabPicker_->setCurrentIndex(static_cast<int>(ReadingTable::tabs().indexOf(state_.selectedMetric())));
    // Nothing chosen: the size the island takes on this screen.
    const int percent = state_.sizePercent().value_or(defaultIslandSizePercent(devicePixelRatioF()));
    const auto shown = std::find(islandSizePercents.begin(), islandSizePercents.end(), percent);
    sizePicker_->setCurrentIndex(static_cast<int>(shown - islandSizePercents.begin()));
    if (loginError_)
        loginErrorLabel_->setText(*loginError_);
    loginErrorLabel_->setVisible(loginError_.has_value());
}

void IslandSettingsView::refreshUpdatesSection()
{
    if (!automaticChecksSwitch_)
        return;  // a build without an update feed
    automaticChecksSwitch_->setChecked(automaticallyChecksForUpdates_);
    // Without automatic checks there is nothing to download automatically;
    // the choice is kept for when checks come back on.
    automaticDownloadsSwitch_->setChecked(automaticallyDownloadsUpdates_);
    automaticDownloadsSwitch_->setEnabled(automaticallyChecksForUpdates_);

    const UpdateCheckStatus& status = coordinator_.status();
    checkButton_->setEnabled(canCheckForUpdates_ && status.kind() != UpdateCheckStatus::Case::checking);
    statusLine_->setStatus(status);
    relayoutAround(statusLine_);
}

void IslandSettingsView::relayoutAround(QWidget* changed)
{
    // A line that appears or goes while the column is hidden is not passed up
    // to the column's own layout, which would then lay the sections out at
    // their old heights when the column is shown again.
    for (QWidget* widget = changed->parentWidget(); widget && widget != this; widget = widget->parentWidget())
        widget->updateGeometry();
}

void IslandSettingsView::updateLaunchAtLogin(bool enabled)
{
    if (loginItem_.setEnabled(enabled)) {
        launchAtLogin_ = enabled;
        loginError_.reset();
    } else {
        const QString message = loginItem_.failureMessage();
        loginError_ = message.isEmpty() ? launchAtLoginFailureMessage : message;
        launchAtLogin_ = false;
    }
    refreshBehaviorSection();
}

void IslandSettingsView::paintEvent(QPaintEvent*)
{
    QPainter(this).fillRect(rect(), IslandPalette::background());
}

void IslandSettingsView::showEvent(QShowEvent*)
{
    if (isInteractionBegun_)
        return;
    isInteractionBegun_ = true;
    state_.beginInteraction();
}

void IslandSettingsView::hideEvent(QHideEvent*)
{
    endInteractionIfBegun();
}

void IslandSettingsView::endInteractionIfBegun()
{
    if (!isInteractionBegun_)
        return;
    isInteractionBegun_ = false;
    state_.endInteraction();
}

}  // namespace moravel
