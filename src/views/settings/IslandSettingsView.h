#pragma once

#include "island/CollapsedMetricLayout.h"

#include <QString>
#include <QWidget>

#include <array>
#include <optional>

class QLabel;

namespace moravel {

class AlertCenter;
class HistoryRecorder;
class IslandState;
class LoginItem;
class SettingsCapsuleButton;
class SettingsMenuPicker;
class SettingsMessages;
class SettingsMetricList;
class SettingsSwitch;
class SettingsTextButton;
class SettingsUpdateStatusLine;
class SourceSelector;
class UpdateCheckCoordinator;
class Updater;

// "Version 1.4 (27)"; an empty part reads "—".
QString appVersionText(const QString& version, const QString& buildNumber);

// Moravel's one settings surface, a narrow dark column shown from the
// expanded island: the collapsed readings and their order, behaviour, launch
// at login, alerts, software updates (or, in a build without an update feed, one line
// saying that the package manager brings them), the version and "Quit Moravel".
//
// While it is on screen the island stays open: showing it begins an
// interaction on the state and hiding or destroying it ends that interaction,
// once per showing. The state, updater, coordinator and login item must
// outlive the view.
class IslandSettingsView final : public QWidget {
    Q_OBJECT

public:
    static constexpr int fixedWidth = 340;
    // Shown when the login item cannot say more about its failure.
    static inline const QString launchAtLoginFailureMessage =
        QStringLiteral("The autostart entry could not be written.");
    static inline const QString packageManagerUpdatesNote =
        QStringLiteral("Updates come with your system's package manager");
    // The line under the title while the island's choices cannot be saved.
    static QString preferencesSaveFailureText(const QString& reason);

    // The line under the title while the day's history cannot be written.
    static QString historyWriteFailureText(const QString& reason);

    // Without `alerts` there is no Alerts section; without `history`, no
    // history line.
    IslandSettingsView(IslandState& state, Updater& updater, UpdateCheckCoordinator& coordinator,
                       LoginItem& loginItem, AlertCenter* alerts = nullptr, HistoryRecorder* history = nullptr,
                       QWidget* parent = nullptr);
    ~IslandSettingsView() override;

    // What the launch-at-login switch does when flipped: registers or removes
    // the login item; a failure shows what went wrong and leaves it off.
    void updateLaunchAtLogin(bool enabled);
    bool launchAtLogin() const { return launchAtLogin_; }
    const std::optional<QString>& loginError() const { return loginError_; }
    // Adds the "Source" section, above the version.
    void addSourceSection(SourceSelector& selector);
    // What could not be done, below the controls until a host places the
    // lines elsewhere.
    SettingsMessages* messages() const { return messages_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QWidget* buildLayoutSection();
    QWidget* buildBehaviorSection();
    QWidget* buildUpdatesSection();
    QWidget* buildAboutSection();
    void connectModel();

    void refreshSaveFailure();
    void refreshLayoutSection();
    void refreshBehaviorSection();
    void refreshUpdatesSection();
    void endInteractionIfBegun();
    void relayoutAround(QWidget* changed);

    IslandState& state_;
    Updater& updater_;
    UpdateCheckCoordinator& coordinator_;
    LoginItem& loginItem_;
    AlertCenter* alerts_;
    HistoryRecorder* history_;

    // Read once when the view is built; afterwards changed only by its own
    // controls, except canCheckForUpdates, which follows the updater.
    bool launchAtLogin_;
    std::optional<QString> loginError_;
    bool canCheckForUpdates_;
    bool automaticallyChecksForUpdates_;
    bool automaticallyDownloadsUpdates_;
    bool isInteractionBegun_ = false;

    SettingsMessages* messages_ = nullptr;
    QLabel* saveFailureLabel_ = nullptr;
    QLabel* historyFailureLabel_ = nullptr;
    QWidget* aboutSection_ = nullptr;
    std::array<SettingsCapsuleButton*, 3> presetButtons_{};
    QLabel* customLabel_ = nullptr;
    SettingsMetricList* metricList_ = nullptr;
    SettingsSwitch* expandOnHoverSwitch_ = nullptr;
    SettingsSwitch* keepWindowsClearSwitch_ = nullptr;
    SettingsSwitch* powerFlowSwitch_ = nullptr;
    SettingsSwitch* launchAtLoginSwitch_ = nullptr;
    SettingsMenuPicker* defaultTabPicker_ = nullptr;
    SettingsMenuPicker* sizePicker_ = nullptr;
    QLabel* loginErrorLabel_ = nullptr;
    SettingsSwitch* automaticChecksSwitch_ = nullptr;
    SettingsSwitch* automaticDownloadsSwitch_ = nullptr;
    SettingsTextButton* checkButton_ = nullptr;
    SettingsUpdateStatusLine* statusLine_ = nullptr;
};

}  // namespace moravel
