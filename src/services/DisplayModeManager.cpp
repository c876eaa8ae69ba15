#include "services/DisplayModeManager.h"

#include "storage/Preferences.h"

namespace pigmo {

QString rawValue(AppDisplayMode mode)
{
    switch (mode) {
    case AppDisplayMode::menuBar:
        return QStringLiteral("menu_bar");
    case AppDisplayMode::dock:
        return QStringLiteral("dock");
    case AppDisplayMode::both:
        break;
    }
    return QStringLiteral("menu_bar_dock");
}

std::optional<AppDisplayMode> appDisplayMode(const QString& rawValue)
{
    if (rawValue == u"menu_bar")
        return AppDisplayMode::menuBar;
    if (rawValue == u"dock")
        return AppDisplayMode::dock;
    if (rawValue == u"menu_bar_dock")
        return AppDisplayMode::both;
    return std::nullopt;
}

DisplayModeManager::DisplayModeManager(QObject* parent)
    : QObject(parent)
{
    if (const std::optional<AppDisplayMode> stored = appDisplayMode(Preferences::value(prefs::appDisplayMode)))
        setDisplayMode(*stored);
}

void DisplayModeManager::setDisplayMode(AppDisplayMode mode)
{
    const bool changed = mode != displayMode_;
    displayMode_ = mode;
    if (changed)
        Q_EMIT displayModeChanged(mode);
    Preferences::setValue(prefs::appDisplayMode, rawValue(mode));
    applyDisplayMode();
}

void DisplayModeManager::applyDisplayMode()
{
    activationPolicy_ =
        displayMode_ == AppDisplayMode::menuBar ? ActivationPolicy::accessory : ActivationPolicy::regular;
    if (statusItem_)
        statusItem_(displayMode_ != AppDisplayMode::dock);
    Q_EMIT activationPolicyApplied(activationPolicy_);
}

} // namespace pigmo
