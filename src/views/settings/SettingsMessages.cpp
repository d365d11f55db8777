#include "views/settings/SettingsMessages.h"

#include "views/kit/IslandPalette.h"
#include "views/kit/IslandScale.h"
#include "views/settings/SettingsStyle.h"

#include <QEvent>
#include <QLabel>
#include <QVBoxLayout>

#include <algorithm>

namespace moravel {

SettingsMessages::SettingsMessages(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("settingsMessages"));
    setAttribute(Qt::WA_TranslucentBackground);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(pxInt(6));
    hide();
}

QLabel* SettingsMessages::add(const QString& name)
{
    QLabel* line =
        SettingsStyle::makeLabel(QString(), SettingsStyle::captionFont(), IslandPalette::error(), this, true);
    line->setObjectName(name);
    line->hide();
    line->installEventFilter(this);
    layout()->addWidget(line);
    return line;
}

bool SettingsMessages::eventFilter(QObject* watched, QEvent* event)
{
    // Told even while the settings are hidden, unlike Show and Hide.
    if (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent) {
        const QList<QLabel*> lines = findChildren<QLabel*>(Qt::FindDirectChildrenOnly);
        setVisible(std::any_of(lines.begin(), lines.end(), [](QLabel* line) { return !line->isHidden(); }));
        // Whoever holds the lines measures them again at once.
        updateGeometry();
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace moravel
