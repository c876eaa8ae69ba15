#include "ui/controls/ColorPickerPopup.h"

#include "services/PalettesManager.h"
#include "ui/controls/ColorSwatch.h"
#include "ui/controls/ControlStyle.h"
#include "ui/controls/HSLSlider.h"
#include "ui/controls/HexColorField.h"
#include "ui/controls/PaletteView.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QVBoxLayout>

namespace pigmo {

ColorPickerPopup::ColorPickerPopup(Binding<HSL> color, PalettesManager& palettes, LocalizationManager& localization,
                                   QWidget* parent)
    : QWidget(parent, Qt::Popup)
{
    // Every write goes to the owner's binding first; the pop-up then shows the colour as it now is.
    color_ = {color.get, [this, set = color.set](const HSL& next) {
                  set(next);
                  refresh();
              }};
    setFixedWidth(popupWidth);
    setAutoFillBackground(true);

    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(16, 16, 16, 16);
    stack->setSpacing(16);

    auto* hexRow = new QHBoxLayout;
    hexRow->setContentsMargins(0, 0, 0, 8);
    swatch_ = new ColorSwatch(ColorSwatch::Shape::roundedSquare, 20);
    swatch_->setDecorative();
    hexField_ = new HexColorField(color_, localization);
    hexRow->addWidget(swatch_);
    hexRow->addWidget(hexField_);
    hexRow->addStretch(1);
    stack->addLayout(hexRow);

    const HSLBindings channels = HSLBindings::over(color_);
    for (HSLComponent component : {HSLComponent::hue, HSLComponent::saturation, HSLComponent::lightness}) {
        auto* row = new HSLSlider(channels, component, localization);
        sliders_[int(component)] = row;
        stack->addWidget(row);
    }

    auto choosePaletteColor = [this](const Color& chosen) {
        if (std::optional<HSL> hsl = HSL::fromColor(chosen))
            color_.set(*hsl);
    };
    paletteView_ = new PaletteView(palettes, localization, builtInColors(), choosePaletteColor, 22, 8,
                                   [this] { return color_.get().color(); });
    paletteView_->setMaximumHeight(100);
    stack->addWidget(paletteView_);
    refresh();
}

QList<Color> ColorPickerPopup::builtInColors()
{
    QList<Color> colors;
    for (const Palette& palette : PalettesManager::palettes())
        colors += palette.colors;
    return colors;
}

HSLSlider* ColorPickerPopup::slider(HSLComponent component) const
{
    return sliders_[int(component)];
}

void ColorPickerPopup::refresh()
{
    swatch_->setColor(ui::qColor(color_.get().color()));
    hexField_->refresh();
    for (HSLSlider* row : sliders_)
        row->refresh();
}

void ColorPickerPopup::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    Q_EMIT closed();
}

void ColorPickerPopup::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(QPen(ui::primaryColor(*this, 0.15), 1));
    painter.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}

void ColorPickerPopup::keyPressEvent(QKeyEvent* event)
{
    // Return belongs to the fields: it ends the entry and leaves the pop-up open for the next one.
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace pigmo
