#pragma once

#include "model/HSL.h"

#include <QLinearGradient>
#include <QList>
#include <QScrollArea>

#include <functional>

class QAbstractScrollArea;
class QGridLayout;
class QMenu;

namespace pigmo {

class ColorSwatch;
class LocalizationManager;
class PalettesManager;
class SymbolButton;

// The swatch grid of the colour picker: the user's custom colours (newest first) led by a "plus" tile that
// adds the current colour to them, a thin separator, then the caller's fixed colours. Clicking a swatch
// hands its colour to `onSelect`; a custom colour's context menu removes it. The custom colours belong to
// the `PalettesManager`; the view follows its changes. Scrolls vertically, its last 30 points fading out.
class PaletteView : public QScrollArea {
    Q_OBJECT

public:
    static constexpr double gridSpacing = 11;
    static constexpr double fadeHeight = 30;

    PaletteView(PalettesManager& palettesManager, LocalizationManager& localization, QList<Color> colors,
                std::function<void(const Color&)> onSelect, double height, int columns,
                std::function<Color()> currentColor, QWidget* parent = nullptr);

    // The mask of a scrolling list whose last `fadeHeight` points fade out, over an area `areaHeight` high:
    // opaque white down to the fade, then white to clear.
    static QLinearGradient topHighlightGradient(double areaHeight);
    // Lays the fade of `topHighlightGradient` over the bottom of a scroll area's visible part; the fade
    // follows the area's size and takes no input.
    static void applyBottomFade(QAbstractScrollArea* area);

    SymbolButton* addButton() const { return addButton_; }
    // The swatches of the custom colours (newest first) and of the fixed colours, in grid order.
    QList<ColorSwatch*> customSwatches() const;
    QList<ColorSwatch*> paletteSwatches() const;
    // Opens the context menu of a custom swatch (not modal); nothing for other swatches.
    QMenu* openContextMenu(ColorSwatch* swatch, const QPoint& globalPosition);

private:
    void rebuildCustomGrid();
    ColorSwatch* makeSwatch(const Color& color);
    QGridLayout* makeGrid();

    PalettesManager& palettes_;
    LocalizationManager& localization_;
    std::function<void(const Color&)> onSelect_;
    double height_;
    int columns_;
    std::function<Color()> currentColor_;
    QGridLayout* customGrid_ = nullptr;
    QGridLayout* paletteGrid_ = nullptr;
    SymbolButton* addButton_ = nullptr;
};

} // namespace pigmo
