#pragma once

#include "island/NotchEnvironment.h"
#include "views/panel/IslandPanelScreens.h"

namespace moravel::fixtures {

// Screens a test lays out, with a pointer it moves; the first is the main one.
class FakeScreens final : public ScreenEnvironment {
public:
    QPoint pointerPosition() const override { return pointer; }
    QList<PanelScreen> screens() const override { return list; }
    std::optional<PanelScreen> mainScreen() const override
    {
        return list.isEmpty() ? std::nullopt : std::optional<PanelScreen>(list.first());
    }
    void setChangeHandler(std::function<void()> handler) override { changed = std::move(handler); }

    // A screen without a work area, with a notch when `notch` is given. Two
    // device pixels per pixel unless told otherwise: the island at its
    // designed size, so that sizes in tests are the design's points.
    static PanelScreen screen(QRect frame, std::optional<NotchDeclaration> notch = std::nullopt,
                              double devicePixelRatio = 2)
    {
        const ScreenDescription plain{QRectF(frame), 0, std::nullopt, std::nullopt};
        return PanelScreen{frame, notch ? withDeclaredNotch(plain, *notch) : plain, {}, devicePixelRatio};
    }

    QPoint pointer;
    QList<PanelScreen> list;
    std::function<void()> changed;
};

}  // namespace moravel::fixtures
