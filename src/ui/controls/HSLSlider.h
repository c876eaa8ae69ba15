#pragma once

#include "model/HSL.h"
#include "ui/controls/Binding.h"

#include <QWidget>

#include <optional>

class QLineEdit;

namespace pigmo {

class CustomGradientSlider;
class LocalizationManager;

// The three channels of one edited colour, each bound on its own.
struct HSLBindings {
    Binding<double> hue;
    Binding<double> saturation;
    Binding<double> lightness;

    // Channel bindings over one colour binding: writing a channel writes the colour with that channel alone
    // changed.
    static HSLBindings over(const Binding<HSL>& color);
    const Binding<double>& channel(HSLComponent component) const;
    HSL value() const { return {hue.get(), saturation.get(), lightness.get()}; }
};

// One channel row of a colour: a gradient slider over the channel (its track shows the channel's range
// with the other two channels as they are) and a small number field.
//
// The field shows the channel rounded to a whole number. Only the user's own typing or dragging writes the
// channel; showing a value never writes anything, so a loaded colour with a fraction is not changed by
// being shown. Typed text is read as a decimal number, limited to 0 ... upper bound and cut to its integer
// part, as the field shows whole numbers (12.7 sets 12); text that is not a number changes nothing.
class HSLSlider : public QWidget {
    Q_OBJECT

public:
    HSLSlider(HSLBindings channels, HSLComponent component, const LocalizationManager& localization,
              QWidget* parent = nullptr);

    HSLComponent component() const { return component_; }
    // 360 for the hue, 100 otherwise.
    static double upperBound(HSLComponent component);
    // The value typed text gives: the whole text read as a decimal number (optional sign, digits, optional
    // fraction, optional exponent), limited to the bound from above and to 0 from below, its integer part;
    // nothing when it is no such number.
    static std::optional<double> valueOfText(const QString& text, double upperBound);
    // The text the field shows for a channel value.
    static QString textOfValue(double value);

    CustomGradientSlider* slider() const { return slider_; }
    QLineEdit* field() const { return field_; }

    // Shows the bound channels as they are now (track gradient, knob, field text); writes nothing.
    void refresh();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void takeText(const QString& text);
    void showValue();

    HSLBindings channels_;
    HSLComponent component_;
    CustomGradientSlider* slider_ = nullptr;
    QLineEdit* field_ = nullptr;
    bool typing_ = false; // the channel is being written from the field's own text
};

} // namespace pigmo
