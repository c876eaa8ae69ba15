#pragma once

#include "model/HSL.h"
#include "ui/controls/Binding.h"

#include <QWidget>

namespace pigmo {

class ColorSwatch;
class HexColorField;
class HSLSlider;
class LocalizationManager;
class PalettesManager;
class PaletteView;

// The pop-up that edits one bound colour: a swatch with its hexadecimal field, three channel rows (hue,
// saturation, lightness) and the palette grid (custom colours, then every built-in palette). 300 points
// wide, edged with a faint line that sets it off from the window under it. Its only output is writes to the
// binding; it closes like any pop-up (Escape, a click outside), never on Return, which only ends the entry in
// a field.
class ColorPickerPopup : public QWidget {
    Q_OBJECT

public:
    static constexpr int popupWidth = 300;

    ColorPickerPopup(Binding<HSL> color, PalettesManager& palettes, LocalizationManager& localization,
                     QWidget* parent = nullptr);

    // The colours of all built-in palettes, palette after palette.
    static QList<Color> builtInColors();

    HexColorField* hexField() const { return hexField_; }
    HSLSlider* slider(HSLComponent component) const;
    PaletteView* paletteView() const { return paletteView_; }

    // Shows the bound colour everywhere in the pop-up; writes nothing.
    void refresh();

Q_SIGNALS:
    void closed();

protected:
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    Binding<HSL> color_;
    ColorSwatch* swatch_ = nullptr;
    HexColorField* hexField_ = nullptr;
    HSLSlider* sliders_[3] = {};
    PaletteView* paletteView_ = nullptr;
};

} // namespace pigmo
