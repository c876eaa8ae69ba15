// The gallery's pictures of the reusable controls.

#include "GalleryScene.h"

#include "ui/Localized.h"
#include "ui/controls/BundleImage.h"
#include "ui/controls/ColorPickerPopup.h"
#include "ui/controls/ControlStyle.h"
#include "ui/controls/CustomGradientSlider.h"
#include "ui/controls/FlowLayout.h"
#include "ui/controls/HSLSlider.h"
#include "ui/controls/IntensityDotControl.h"
#include "ui/controls/LocalizedText.h"
#include "ui/controls/MainToolbar.h"
#include "ui/controls/PaletteView.h"
#include "ui/controls/SearchBar.h"
#include "ui/controls/SegmentedPicker.h"
#include "ui/controls/SizeSlider.h"
#include "ui/controls/Spinner.h"
#include "ui/controls/TextButton.h"

#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace pigmo::gallery {
namespace {

// A column of widgets, one under the other.
QWidget* column(std::initializer_list<QWidget*> widgets, int spacing = 12)
{
    auto* host = new QWidget;
    auto* stack = new QVBoxLayout(host);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(spacing);
    for (QWidget* widget : widgets)
        stack->addWidget(widget);
    return host;
}

QWidget* hslRows(const HSL& color, const LocalizationManager& localization)
{
    const HSLBindings channels = HSLBindings::over(Binding<HSL>::state(color));
    return column({new HSLSlider(channels, HSLComponent::hue, localization),
                   new HSLSlider(channels, HSLComponent::saturation, localization),
                   new HSLSlider(channels, HSLComponent::lightness, localization)},
                  0);
}

QWidget* sizeSliders()
{
    return column({new SizeSlider(Binding<double>::state(0), 0, 1, 24),
                   new SizeSlider(Binding<double>::state(0.5), 0, 1, 24),
                   new SizeSlider(Binding<double>::state(1), 0, 1, 24)});
}

QWidget* intensityDots(double selected)
{
    return new IntensityDotControl(Binding<double>::state(selected), {0.4, 0.5, 0.6, 0.7, 0.8}, 20);
}

QWidget* toolbars(GalleryContext& context)
{
    auto toolbar = [&context](bool settings, bool history) {
        return new MainToolbar(Binding<bool>::state(settings), Binding<bool>::state(history), context.localization);
    };
    return column({toolbar(false, false), toolbar(false, true), toolbar(true, false)});
}

QWidget* searchBars(GalleryContext& context)
{
    return column(
        {new SearchBar(Binding<QString>::state(QString()), u"search"_key, context.localization),
         new SearchBar(Binding<QString>::state(QStringLiteral("music")), u"search"_key, context.localization)});
}

QWidget* segmentedPicker()
{
    const QStringList libraries = {QStringLiteral("Lucide"), QStringLiteral("Emoji"), QStringLiteral("Symbols")};
    auto* picker = new SegmentedPicker<QString>(
        Binding<QString>::state(libraries[1]), libraries, [](const QString&) { return QSize(76, 26); },
        [](QPainter& painter, const QRectF& rect, const QString& item, double selection) {
            const QWidget* owner = dynamic_cast<QWidget*>(painter.device());
            const QColor text = owner ? owner->palette().color(QPalette::WindowText) : QColor(Qt::black);
            QColor fill = text;
            fill.setAlphaF(float(0.1 * selection));
            painter.setPen(Qt::NoPen);
            painter.setBrush(fill);
            painter.drawPath(ui::continuousRoundedRect(rect, 6));
            QColor label = text;
            label.setAlphaF(float(0.45 + 0.5 * selection));
            painter.setPen(label);
            painter.drawText(rect, Qt::AlignCenter, item);
        });
    return picker;
}

QWidget* textButtons(GalleryContext& context)
{
    return column({new TextButton({}, std::nullopt, u"search"_key, std::nullopt, ui::primary(), ui::primary(0.1), false,
                                  12, context.localization),
                   new TextButton({}, symbolImage(QStringLiteral("folder")), u"change_icons"_key, 3,
                                  ui::windowBackground(), ui::primary(), true, 12, context.localization),
                   new TextButton({}, std::nullopt, u"change_icons"_key, 1, ui::windowBackground(), ui::primary(), true,
                                  12, context.localization)});
}

QWidget* flowChips(GalleryContext& context)
{
    auto* host = new QWidget;
    auto* flow = new FlowLayout(8, host);
    for (const QString& key : {u"home"_key, u"history"_key, u"settings"_key, u"recently_used"_key, u"presets"_key,
                               u"vibrant"_key, u"original"_key, u"inverted"_key}) {
        auto* chip = new LocalizedText(context.localization, key);
        chip->setContentsMargins(10, 4, 10, 4);
        chip->setStyleSheet(QStringLiteral("border: 1px solid palette(mid); border-radius: 10px;"));
        flow->addWidget(chip);
    }
    return host;
}

QWidget* symbolsAndSpinner()
{
    auto* host = new QWidget;
    auto* row = new QHBoxLayout(host);
    for (const char* name : {"house", "clock.arrow.circlepath", "gearshape", "magnifyingglass", "xmark.circle.fill",
                             "plus", "trash", "folder"}) {
        auto* label = new QLabel;
        if (std::optional<TemplateImage> symbol = symbolImage(QString::fromLatin1(name)))
            label->setPixmap(symbol->pixmap({20, 20}, host->palette().color(QPalette::WindowText), 2));
        row->addWidget(label);
    }
    row->addWidget(new Spinner(20));
    row->addStretch(1);
    return host;
}

} // namespace

QList<GalleryScene> controlScenes()
{
    return {
        {QStringLiteral("controls-gradient-sliders"), 320, 0,
         [](GalleryContext& context) {
             return hslRows({28, 85, 55}, context.localization);
         }},
        {QStringLiteral("controls-size-slider"), 260, 0, [](GalleryContext&) { return sizeSliders(); }},
        {QStringLiteral("controls-intensity-dots"), 0, 0, [](GalleryContext&) { return intensityDots(0.6); }},
        {QStringLiteral("controls-intensity-dots-none"), 0, 0, [](GalleryContext&) { return intensityDots(0.65); }},
        {QStringLiteral("controls-color-picker-popup"), 0, 0,
         [](GalleryContext& context) {
             context.palettes.addCustomColor({0.9, 0.3, 0.2, 1});
             context.palettes.addCustomColor({0.2, 0.5, 0.9, 1});
             return new ColorPickerPopup(Binding<HSL>::state({200, 70, 50}), context.palettes, context.localization);
         }},
        {QStringLiteral("controls-palette-view"), 300, 0,
         [](GalleryContext& context) {
             auto* view = new PaletteView(
                 context.palettes, context.localization, ColorPickerPopup::builtInColors(), [](const Color&) {}, 22, 8,
                 [] {
                     return Color{1, 0.5, 0, 1};
                 });
             view->setFixedHeight(100);
             return view;
         }},
        {QStringLiteral("controls-main-toolbar"), 0, 0, [](GalleryContext& context) { return toolbars(context); }},
        {QStringLiteral("controls-search-bar"), 300, 0, [](GalleryContext& context) { return searchBars(context); }},
        {QStringLiteral("controls-segmented-picker"), 0, 0, [](GalleryContext&) { return segmentedPicker(); }},
        {QStringLiteral("controls-text-buttons"), 300, 0, [](GalleryContext& context) { return textButtons(context); }},
        {QStringLiteral("controls-flow-layout"), 260, 0, [](GalleryContext& context) { return flowChips(context); }},
        {QStringLiteral("controls-symbols-spinner"), 0, 0, [](GalleryContext&) { return symbolsAndSpinner(); }},
    };
}

} // namespace pigmo::gallery
