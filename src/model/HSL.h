#pragma once

#include <QString>
#include <QStringView>

#include <cstddef>
#include <optional>
#include <vector>

namespace pigmo {

// A display colour: sRGB channels and opacity. Channels are not clamped; conversions pass values outside
// 0...1 on as they are.
struct Color {
    double red = 0;
    double green = 0;
    double blue = 0;
    double opacity = 1;

    // Six upper-case hexadecimal digits without "#" ("%02X%02X%02X" of each channel × 255, halves away
    // from zero, channels clamped to 0...1), or "#FFFFFF" when a channel is not a finite number.
    QString hexString() const;

    // Six hexadecimal digits, optionally after exactly one "#", read as a signed base-16 integer (an
    // optional leading "+" or "-"); nothing for any other text.
    static std::optional<Color> fromHex(QStringView text);

    friend bool operator==(const Color&, const Color&) = default;
};

// The three channels of an HSL colour, in this order.
enum class HSLComponent { hue, saturation, lightness };

// A colour as hue in degrees (0-360) and saturation and lightness in percent (0-100). Neither clamped
// nor checked.
struct HSL {
    double hue = 0;
    double saturation = 0;
    double lightness = 0;

    // The display colour of this HSL value, sRGB, opacity 1, unclamped.
    Color color() const;
    // True when all three channels are finite numbers.
    bool isFinite() const;

    // The HSL value of a display colour through its HSV form; nothing when a channel is not finite.
    static std::optional<HSL> fromColor(const Color& color);

    // `steps` evenly spaced gradient stops along one channel, the other two taken from `base`. A step
    // count of 0 (or below) gives no stops; 1 gives the base colour.
    static std::vector<Color> channelGradient(HSLComponent component, int steps, const HSL& base);

    // Floating-point equality of all three channels (+0 equals -0; NaN equals nothing).
    friend bool operator==(const HSL&, const HSL&) = default;
};

size_t qHash(const HSL& hsl, size_t seed = 0) noexcept;

} // namespace pigmo
