#pragma once

#include <QWidget>

#include <optional>

class QLabel;
class QLineEdit;

namespace moravel {

class SettingsCapsuleButton;
class SettingsMessages;
class SettingsTextButton;
class SourceSelector;
struct SourceChoice;

// The settings' "Source": this computer, another machine's exporter, or a
// Prometheus server and the fleet it scrapes, at an address the user types,
// with an optional credentials file. "Watch" switches the island to it and
// keeps the choice; an address or file the rules refuse leaves everything as
// it was and says why on one line.
class SettingsSourceSection final : public QWidget {
    Q_OBJECT

public:
    // Its message lines go to `messages`.
    SettingsSourceSection(SourceSelector& selector, SettingsMessages& messages, QWidget* parent = nullptr);

    enum class Kind { thisComputer, exporter, prometheusServer };

    // Picks the kind, types an address (and credentials file) and presses "Watch".
    void watch(const QString& address, const QString& credentialsFile, Kind kind = Kind::exporter);
    void watchThisComputer();
    // The kind whose fields are shown: the one in use, or one being typed.
    Kind shownKind() const { return kind_; }
    const std::optional<QString>& problem() const { return problem_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showChoice(const SourceChoice& choice);
    void edit(Kind kind);
    void applyResult(std::optional<QString> problem);
    // The chips, fields and lines: the problem with what was typed, and why
    // the machine watched cannot be read now, if it cannot.
    void refresh();

    SourceSelector& selector_;
    Kind kind_ = Kind::thisComputer;
    std::optional<QString> problem_;
    SettingsCapsuleButton* thisComputerChip_ = nullptr;
    SettingsCapsuleButton* anotherMachineChip_ = nullptr;
    SettingsCapsuleButton* prometheusChip_ = nullptr;
    QWidget* fields_ = nullptr;
    QLineEdit* address_ = nullptr;
    QLineEdit* credentials_ = nullptr;
    QLabel* pendingLabel_ = nullptr;
    QLabel* problemLabel_ = nullptr;
    QLabel* reachabilityLabel_ = nullptr;
};

}  // namespace moravel
