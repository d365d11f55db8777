#include "island/IslandPanelScreens.h"

#include "island/NotchEnvironment.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

#include <cstdio>

namespace moravel {

std::optional<PanelScreen> preferredScreen(const ScreenEnvironment& environment)
{
    const QList<PanelScreen> screens = environment.screens();
    const QPoint pointer = environment.pointerPosition();
    for (const PanelScreen& screen : screens) {
        if (screen.frame.contains(pointer))
            return screen;
    }
    if (auto main = environment.mainScreen())
        return main;
    if (!screens.isEmpty())
        return screens.first();
    return std::nullopt;
}

namespace {

class QtScreenEnvironment final : public ScreenEnvironment {
public:
    QtScreenEnvironment()
    {
        const NotchEnvironment notch = notchEnvironmentFromProcess();
        if (!notch.errorMessage.isEmpty())
            std::fprintf(stderr, "%s\n", notch.errorMessage.toUtf8().constData());
        declaredNotch_ = notch.declaration;
    }

    QPoint pointerPosition() const override { return QCursor::pos(); }

    QList<PanelScreen> screens() const override
    {
        QList<PanelScreen> result;
        for (QScreen* screen : QGuiApplication::screens())
            result.append(describe(screen));
        return result;
    }

    std::optional<PanelScreen> mainScreen() const override
    {
        if (QScreen* screen = QGuiApplication::primaryScreen())
            return describe(screen);
        return std::nullopt;
    }

private:
    PanelScreen describe(QScreen* screen) const
    {
        PanelScreen panelScreen{screen->geometry(), ScreenDescription{QRectF(screen->geometry()), 0, {}, {}}};
        // Linux reports no camera cut-out; only a declared one exists, on the main screen.
        if (declaredNotch_ && screen == QGuiApplication::primaryScreen())
            panelScreen.description = withDeclaredNotch(panelScreen.description, *declaredNotch_);
        return panelScreen;
    }

    std::optional<NotchDeclaration> declaredNotch_;
};

}  // namespace

std::unique_ptr<ScreenEnvironment> makeQtScreenEnvironment()
{
    return std::make_unique<QtScreenEnvironment>();
}

}  // namespace moravel
