#pragma once

#include <QObject>
#include <QRect>

#include <functional>
#include <vector>

class QGraphicsOpacityEffect;
class QPainter;
class QVariantAnimation;
class QWidget;

namespace moravel {

// A column of rows that appear in numbered steps: a row is shown from its
// step on, fading in (and, if it slides, moving down into place) over the
// reveal curve; dividers are thin lines the host paints. Going back to an
// earlier phase fades the later rows out again, or hides them at once.
class RevealColumn final : public QObject {
    Q_OBJECT

public:
    static constexpr double slideDistance = 4;
    static constexpr int revealMilliseconds = 280;

    // `host` is the widget the rows live in and the dividers are painted on.
    RevealColumn(QWidget* host, int steps);

    void addRow(QWidget* widget, int step, bool slides);
    void addDivider(int step);

    // Lays the rows out top-down inside `content`, the width of each and from
    // its top; `heightOf` gives each widget row's height.
    void place(const QRect& content, const std::function<int(QWidget*)>& heightOf);

    int phase() const { return phase_; }
    // Rows of steps up to `phase` are shown, the rest hidden.
    void setPhase(int phase, bool animated);
    // How far the rows of `step` have come in, 0 to 1.
    double stepProgress(int step) const;
    // Jumps running fades to their ends.
    void finish();
    // Greys every row but the first step's (the header, which says why),
    // while the readings are stale.
    void setDimmed(bool dimmed);
    bool isDimmed() const { return dimmed_; }
    static constexpr double dimmedOpacity = 0.4;

    void paintDividers(QPainter& painter) const;

private:
    struct Row {
        QWidget* widget = nullptr;  // none for a divider
        int step = 1;
        bool slides = false;
        QRect frame;
        QGraphicsOpacityEffect* fade = nullptr;
    };

    void setStepProgress(int step, double progress);
    void applyLook(Row& row);

    QWidget* host_;
    int phase_ = 0;
    bool dimmed_ = false;
    std::vector<Row> rows_;
    std::vector<double> progress_;
    std::vector<QVariantAnimation*> animations_;
};

}  // namespace moravel
