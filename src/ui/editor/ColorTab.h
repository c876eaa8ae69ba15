#pragma once

#include "model/HSL.h"
#include "storage/HistoryLogEntry.h"

#include <QList>
#include <QWidget>

#include <array>
#include <memory>

class QScrollArea;
class QVBoxLayout;

namespace pigmo {

class ColorizationHistoryStore;
class ColorizationViewModel;
class ColorSwatch;
class HexColorField;
class HSLSlider;
class IntensityDotControl;
class LocalizationManager;

// The colour tab of the editor: a header (swatch, hexadecimal field, five intensity dots) above a scrolling
// list of the three channel sliders, the recently used colours and the preset colours. Every edit is
// written straight into the view model, which re-renders its preview; the tab keeps no copy of the style.
//
// The recent colours are computed when the tab is built and again only when the history log changes, never
// while sliders move. When the history log is not loaded yet, building the tab asks the store to load it off
// the GUI thread, and the recent colours are shown once the store publishes it.
class ColorTab : public QWidget {
    Q_OBJECT

public:
    static constexpr int maxRecentColors = 12;
    static constexpr int swatchColumns = 10;
    static constexpr double swatchSide = 22;
    static constexpr std::array<double, 5> intensities = {0.4, 0.5, 0.6, 0.7, 0.8};

    ColorTab(std::shared_ptr<ColorizationViewModel> colorizer, ColorizationHistoryStore& store,
             LocalizationManager& localization, QWidget* parent = nullptr);
    ~ColorTab() override;

    // Newest first, one colour per 5° hue bucket (the hue truncated to a multiple of 5), at most 12.
    static QList<HSL> recentColors(const QList<HistoryLogEntry>& log);
    // The colours of every built-in palette, palette after palette, as HSL.
    static QList<HSL> presetColors();

    const QList<HSL>& recent() const { return recent_; }
    HexColorField* hexField() const { return hexField_; }
    IntensityDotControl* intensityDots() const { return dots_; }
    HSLSlider* slider(HSLComponent component) const { return sliders_[size_t(component)]; }
    QList<ColorSwatch*> recentSwatches() const;
    QList<ColorSwatch*> presetSwatches() const;
    QScrollArea* scrollArea() const { return scroll_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void refresh();
    void rebuildRecent();
    QWidget* makeSection(const QString& titleKey, const QList<HSL>& colors);
    void chooseSwatch(const HSL& color);

    std::shared_ptr<ColorizationViewModel> colorizer_;
    ColorizationHistoryStore& store_;
    LocalizationManager& localization_;
    QList<HSL> recent_;
    ColorSwatch* swatch_ = nullptr;
    HexColorField* hexField_ = nullptr;
    IntensityDotControl* dots_ = nullptr;
    std::array<HSLSlider*, 3> sliders_ = {};
    QScrollArea* scroll_ = nullptr;
    QVBoxLayout* list_ = nullptr;
    QWidget* recentSection_ = nullptr;
    QWidget* presetSection_ = nullptr;
};

} // namespace pigmo
