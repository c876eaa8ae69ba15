#include "ui/controls/MainToolbar.h"

#include "services/LocalizationManager.h"
#include "ui/Localized.h"
#include "ui/controls/ColorSwatch.h"
#include "ui/controls/LocalizedText.h"

#include <QHBoxLayout>

namespace pigmo {

MainToolbar::MainToolbar(Binding<bool> isSettingsOpened, Binding<bool> isHistoryOpened,
                         LocalizationManager& localization, QWidget* parent)
    : QWidget(parent)
    , settingsOpened_(std::move(isSettingsOpened))
    , historyOpened_(std::move(isHistoryOpened))
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(2, 0, 2, 0);
    row->setSpacing(4);
    home_ = makeButton(QStringLiteral("house"), u"home"_key, localization);
    history_ = makeButton(QStringLiteral("clock.arrow.circlepath"), u"history"_key, localization);
    settings_ = makeButton(QStringLiteral("gearshape"), u"settings"_key, localization);
    for (SymbolButton* button : {home_, history_, settings_})
        row->addWidget(button, 0, Qt::AlignVCenter);

    connect(home_, &QAbstractButton::clicked, this, [this] {
        settingsOpened_.set(false);
        historyOpened_.set(false);
        refresh();
    });
    connect(history_, &QAbstractButton::clicked, this, [this] {
        historyOpened_.set(true);
        settingsOpened_.set(false);
        refresh();
    });
    connect(settings_, &QAbstractButton::clicked, this, [this] {
        settingsOpened_.set(true);
        historyOpened_.set(false);
        refresh();
    });
    refresh();
}

SymbolButton* MainToolbar::makeButton(const QString& symbol, const QString& nameKey, LocalizationManager& localization)
{
    auto* button = new SymbolButton(symbol, 28, 14);
    setLocalizedAccessibleName(*button, localization, nameKey, true);
    return button;
}

bool MainToolbar::isSelected(const SymbolButton* button)
{
    return button->backgroundOpacity() > 0;
}

void MainToolbar::refresh()
{
    const bool settings = settingsOpened_.get();
    const bool history = historyOpened_.get();
    const std::pair<SymbolButton*, bool> states[] = {
        {home_, !settings && !history}, {history_, history}, {settings_, settings}};
    for (const auto& [button, selected] : states) {
        button->setSymbolOpacity(selected ? 0.9 : 0.35);
        button->setBackgroundOpacity(selected ? 0.08 : 0);
    }
}

} // namespace pigmo
