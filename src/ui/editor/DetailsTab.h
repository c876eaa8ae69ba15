#pragma once

#include "model/ColorizationData.h"

#include <QWidget>

#include <memory>

class QComboBox;
class QLabel;

namespace pigmo {

class ColorizationViewModel;
class ColorPickerPopup;
class ColorSwatch;
class HexColorField;
class LocalizationManager;
class LocalizedText;
class PalettesManager;
class SizeSlider;

// The details tab of the editor: how the folder's glyph is drawn. Without a glyph it shows only a hint.
// With one: a preview of the glyph, the size row (100 ... 240 on a 0 ... 1 slider), and for a glyph that is
// no emoji the style menu and, for the "color" style, the glyph colour (a swatch that opens the colour
// pop-up, and a hexadecimal field). Every edit is written straight into the view model.
//
// The tab remembers the glyph colour last chosen here (`iconColor`), starting from the model's colour
// style or hue 200, saturation 70, lightness 50; choosing "color" again restores it.
class DetailsTab : public QWidget {
    Q_OBJECT

public:
    static constexpr HSL defaultIconColor{200, 70, 50};
    static constexpr double smallestIconSize = 100;
    static constexpr double iconSizeSpan = 140;

    DetailsTab(std::shared_ptr<ColorizationViewModel> colorizer, PalettesManager& palettes,
               LocalizationManager& localization, QWidget* parent = nullptr);
    ~DetailsTab() override;

    // The slider's fraction of a glyph size and back; neither direction clamps.
    static double sizeFraction(double iconSize) { return (iconSize - smallestIconSize) / iconSizeSpan; }
    static double iconSize(double fraction) { return fraction * iconSizeSpan + smallestIconSize; }

    const HSL& iconColor() const { return iconColor_; }
    bool isColorPickerPresented() const;
    bool isShowingHint() const;
    bool isStyleRowShown() const;
    bool isColorRowShown() const;

    SizeSlider* sizeSlider() const { return sizeSlider_; }
    QComboBox* styleMenu() const { return styleMenu_; }
    ColorSwatch* colorButton() const { return colorButton_; }
    HexColorField* hexField() const { return hexField_; }
    ColorPickerPopup* colorPicker() const { return picker_; }
    QLabel* preview() const { return preview_; }

    // Opens the colour pop-up below the swatch, as tapping the swatch does.
    void presentColorPicker();

private:
    void refresh();
    void retranslateStyles();
    void setIconColor(const HSL& color);
    void chooseStyle(int index);
    void drawPreview();
    QWidget* makeRow(const QString& key, QWidget* control);

    std::shared_ptr<ColorizationViewModel> colorizer_;
    PalettesManager& palettes_;
    LocalizationManager& localization_;
    HSL iconColor_;
    QWidget* hint_ = nullptr;
    QWidget* editor_ = nullptr;
    QLabel* preview_ = nullptr;
    SizeSlider* sizeSlider_ = nullptr;
    QComboBox* styleMenu_ = nullptr;
    QWidget* styleRow_ = nullptr;
    QWidget* colorRow_ = nullptr;
    ColorSwatch* colorButton_ = nullptr;
    HexColorField* hexField_ = nullptr;
    ColorPickerPopup* picker_ = nullptr;
};

} // namespace pigmo
