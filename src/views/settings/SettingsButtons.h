#pragma once

#include <QAbstractButton>
#include <QColor>

#include <optional>

namespace moravel {

// A button that is only its text, like a link: one colour while it can be
// used and another while it is disabled.
class SettingsTextButton final : public QAbstractButton {
    Q_OBJECT

public:
    SettingsTextButton(const QString& text, const QFont& font, const QColor& color, QWidget* parent = nullptr);

    void setDisabledColor(const QColor& color);
    // The colour the text is drawn in right now.
    QColor textColor() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor color_;
    QColor disabledColor_;
};

// A text label on a filled capsule: the layout presets and "Quit Moravel".
// Without a horizontal padding it takes whatever width its layout gives it.
// One of a row of choices (the presets, the sources) is a radio button to
// assistive technologies, checked while selected.
class SettingsCapsuleButton final : public QAbstractButton {
    Q_OBJECT

public:
    SettingsCapsuleButton(const QString& text, int height, QWidget* parent = nullptr);

    void setAppearance(const QFont& font, const QColor& textColor, const QColor& fill);
    void setHorizontalPadding(int padding);
    // Makes it one of a row of choices, selected or not.
    void setSelected(bool selected);
    std::optional<bool> selected() const { return selected_; }

    QColor textColor() const { return textColor_; }
    QColor fill() const { return fill_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int height_;
    int horizontalPadding_ = 0;
    QColor textColor_;
    QColor fill_;
    std::optional<bool> selected_;
};

}  // namespace moravel
