#include "views/panel/IslandPanelScreens.h"

#include "island/NotchEnvironment.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

#include <cstdio>

namespace moravel {

std::optional<PanelScreen> preferredScreen(const ScreenEnvironment& environment)
{
    const QList<PanelScreen> screens = environment.screens();
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
        std::optional<double> primaryWidth;
        if (const QScreen* primary = QGuiApplication::primaryScreen())
            primaryWidth = primary->geometry().width();
        const NotchEnvironment notch = notchEnvironmentFromProcess(primaryWidth);
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

    void setChangeHandler(std::function<void()> handler) override
    {
        QObject::disconnect(&context_, nullptr, nullptr, nullptr);
        handler_ = std::move(handler);
        // Qt reads the work area (_NET_WORKAREA under X11) again whenever the window manager changes it.
        const auto follow = [this](QScreen* screen) {
            QObject::connect(screen, &QScreen::geometryChanged, &context_, [this] { handler_(); });
            QObject::connect(screen, &QScreen::availableGeometryChanged, &context_, [this] { handler_(); });
        };
        for (QScreen* screen : QGuiApplication::screens())
            follow(screen);
        QObject::connect(qGuiApp, &QGuiApplication::screenAdded, &context_, [this, follow](QScreen* screen) {
            follow(screen);
            handler_();
        });
        QObject::connect(qGuiApp, &QGuiApplication::screenRemoved, &context_, [this] { handler_(); });
        QObject::connect(qGuiApp, &QGuiApplication::primaryScreenChanged, &context_, [this] { handler_(); });
    }

private:
    PanelScreen describe(QScreen* screen) const
    {
        PanelScreen panelScreen{screen->geometry(), ScreenDescription{QRectF(screen->geometry()), 0, {}, {}},
                                screen->availableGeometry(), screen->devicePixelRatio()};
        // Linux reports no camera cut-out; only a declared one exists, on the main screen.
        if (declaredNotch_ && screen == QGuiApplication::primaryScreen())
            panelScreen.description = withDeclaredNotch(panelScreen.description, *declaredNotch_);
        return panelScreen;
    }

    std::optional<NotchDeclaration> declaredNotch_;
    std::function<void()> handler_;
    QObject context_;  // ends the connections above with the environment
};

}  // namespace

std::unique_ptr<ScreenEnvironment> makeQtScreenEnvironment()
{
    return std::make_unique<QtScreenEnvironment>();
}

}  // namespace moravel
