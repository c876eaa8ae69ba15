#include "ui/editor/ColorTab.h"

#include "services/ColorizationViewModel.h"
#include "services/LocalizationManager.h"
#include "services/PalettesManager.h"
#include "storage/ColorizationHistoryStore.h"
#include "ui/Localized.h"
#include "ui/controls/ColorSwatch.h"
#include "ui/controls/ControlStyle.h"
#include "ui/controls/HSLSlider.h"
#include "ui/controls/HexColorField.h"
#include "ui/controls/IntensityDotControl.h"
#include "ui/controls/LocalizedText.h"
#include "ui/controls/PaletteView.h"
#include "ui/controls/WidgetRemoval.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QScrollArea>
#include <QSet>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>

namespace pigmo {

ColorTab::ColorTab(std::shared_ptr<ColorizationViewModel> colorizer, ColorizationHistoryStore& store,
                   LocalizationManager& localization, QWidget* parent)
    : QWidget(parent)
    , colorizer_(std::move(colorizer))
    , store_(store)
    , localization_(localization)
{
    ColorizationViewModel* model = colorizer_.get();
    // Only finite numbers are written to the model.
    const Binding<HSL> color{[model] { return model->color(); },
                             [model](const HSL& next) {
                                 if (next.isFinite())
                                     model->setColor(next);
                             }};
    const Binding<double> intensity{[model] { return model->intensity(); },
                                    [model](const double& next) {
                                        if (std::isfinite(next))
                                            model->setIntensity(next);
                                    }};

    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(6);

    auto* header = new QHBoxLayout;
    header->setContentsMargins(16, 0, 16, 6);
    swatch_ = new ColorSwatch(ColorSwatch::Shape::roundedSquare, 20);
    swatch_->setDecorative();
    hexField_ = new HexColorField(color, localization);
    dots_ = new IntensityDotControl(intensity, {intensities.begin(), intensities.end()}, 20);
    setLocalizedAccessibleName(*dots_, localization_, u"intensity"_key);
    header->addWidget(swatch_);
    header->addWidget(hexField_);
    header->addStretch(1);
    header->addWidget(dots_);
    stack->addLayout(header);

    scroll_ = new QScrollArea;
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setFocusPolicy(Qt::NoFocus); // its controls take the focus, and it scrolls to them
    scroll_->setWidgetResizable(true);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->viewport()->setAutoFillBackground(false);
    ui::useSlimScrollBar(scroll_);
    auto* content = new QWidget;
    content->setAutoFillBackground(false);
    list_ = new QVBoxLayout(content);
    list_->setContentsMargins(16, 4, 16, 40);
    list_->setSpacing(12);
    auto* sliderStack = new QVBoxLayout;
    sliderStack->setSpacing(0);
    const HSLBindings channels = HSLBindings::over(color);
    for (HSLComponent component : {HSLComponent::hue, HSLComponent::saturation, HSLComponent::lightness}) {
        sliders_[size_t(component)] = new HSLSlider(channels, component, localization);
        sliderStack->addWidget(sliders_[size_t(component)]);
    }
    list_->addLayout(sliderStack);
    presetSection_ = makeSection(u"presets"_key, presetColors());
    list_->addWidget(presetSection_);
    list_->addStretch(1);
    scroll_->setWidget(content);
    PaletteView::applyBottomFade(scroll_);
    stack->addWidget(scroll_, 1);

    // The log is read on a worker when it is not loaded yet; the recent colours appear when it is published.
    if (store_.chronologicalLogLoaded())
        rebuildRecent();
    else
        store_.loadChronologicalLogInBackground();
    connect(model, &ColorizationViewModel::styleChanged, this, &ColorTab::refresh);
    connect(&store_, &ColorizationHistoryStore::chronologicalLogChanged, this, &ColorTab::rebuildRecent);
    refresh();
}

ColorTab::~ColorTab() = default;

QList<HSL> ColorTab::recentColors(const QList<HistoryLogEntry>& log)
{
    QList<HSL> recent;
    QSet<long long> buckets;
    for (auto it = log.rbegin(); it != log.rend() && recent.size() < maxRecentColors; ++it) {
        const HSL& color = it->data.color;
        if (!std::isfinite(color.hue) || std::abs(color.hue) > 1e15)
            continue;
        const long long bucket = (long long)std::trunc(color.hue / 5) * 5;
        if (buckets.contains(bucket))
            continue;
        buckets.insert(bucket);
        recent.append(color);
    }
    return recent;
}

QList<HSL> ColorTab::presetColors()
{
    QList<HSL> presets;
    for (const Palette& palette : PalettesManager::palettes())
        for (const Color& color : palette.colors)
            if (std::optional<HSL> hsl = HSL::fromColor(color))
                presets.append(*hsl);
    return presets;
}

QWidget* ColorTab::makeSection(const QString& titleKey, const QList<HSL>& colors)
{
    auto* section = new QWidget;
    auto* column = new QVBoxLayout(section);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);
    auto* title = new LocalizedText(localization_, titleKey);
    title->setFont(ui::systemFont(11, QFont::Medium));
    title->setForeground(ui::primary(0.25));
    column->addWidget(title);

    auto* grid = new QGridLayout;
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(11);
    grid->setVerticalSpacing(11);
    for (qsizetype i = 0; i < colors.size(); ++i) {
        const HSL entry = colors[i];
        auto* swatch = new ColorSwatch(ColorSwatch::Shape::circle, swatchSide);
        swatch->setColor(ui::qColor(entry.color()));
        swatch->setBorderOpacity(0.1);
        swatch->setAccessibleName(QStringLiteral("#") + entry.color().hexString());
        connect(swatch, &QAbstractButton::clicked, this, [this, entry] { chooseSwatch(entry); });
        grid->addWidget(swatch, int(i / swatchColumns), int(i % swatchColumns));
    }
    auto* leading = new QHBoxLayout;
    leading->addLayout(grid);
    leading->addStretch(1);
    column->addLayout(leading);
    return section;
}

QList<ColorSwatch*> ColorTab::recentSwatches() const
{
    return recentSection_ ? recentSection_->findChildren<ColorSwatch*>() : QList<ColorSwatch*>{};
}

QList<ColorSwatch*> ColorTab::presetSwatches() const
{
    return presetSection_->findChildren<ColorSwatch*>();
}

void ColorTab::chooseSwatch(const HSL& color)
{
    // Passed once through the display colour and back, as every colour the pickers apply.
    if (std::optional<HSL> applied = HSL::fromColor(color.color()); applied && applied->isFinite())
        colorizer_->setColor(*applied);
}

void ColorTab::rebuildRecent()
{
    recent_ = recentColors(store_.chronologicalLog());
    ui::discard(recentSection_);
    recentSection_ = nullptr;
    if (recent_.isEmpty())
        return;
    recentSection_ = makeSection(u"recently_used"_key, recent_);
    list_->insertWidget(1, recentSection_);
}

void ColorTab::refresh()
{
    swatch_->setColor(ui::qColor(colorizer_->color().color()));
    hexField_->refresh();
    for (HSLSlider* row : sliders_)
        row->refresh();
    dots_->update();
}

void ColorTab::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Shortly after the tab appears its hexadecimal field is not focused.
    QTimer::singleShot(100, hexField_, [field = hexField_] { field->clearFocus(); });
}

} // namespace pigmo
