#include "model/HSL.h"

#include "base/Hashing.h"

#include <algorithm>
#include <cmath>

namespace pigmo {
namespace {

int channelByte(double channel)
{
    return static_cast<int>(std::round(std::clamp(channel, 0.0, 1.0) * 255.0));
}

bool isFiniteColor(const Color& color)
{
    return std::isfinite(color.red) && std::isfinite(color.green) && std::isfinite(color.blue);
}

} // namespace

bool HSL::isFinite() const
{
    return std::isfinite(hue) && std::isfinite(saturation) && std::isfinite(lightness);
}

Color HSL::color() const
{
    const double l = lightness / 100.0;
    const double c = (saturation / 100.0) * (1.0 - std::fabs(2.0 * l - 1.0));
    const double x = c * (1.0 - std::fabs(std::fmod(hue / 60.0, 2.0) - 1.0));
    const double m = l - c / 2.0;

    double r = c, g = 0, b = x; // any other hue: 300 and beyond, below 0, or not a number
    if (hue >= 0 && hue < 60) {
        r = c, g = x, b = 0;
    } else if (hue >= 60 && hue < 120) {
        r = x, g = c, b = 0;
    } else if (hue >= 120 && hue < 180) {
        r = 0, g = c, b = x;
    } else if (hue >= 180 && hue < 240) {
        r = 0, g = x, b = c;
    } else if (hue >= 240 && hue < 300) {
        r = x, g = 0, b = c;
    }
    return Color{r + m, g + m, b + m, 1.0};
}

QString Color::hexString() const
{
    if (!isFiniteColor(*this))
        return QStringLiteral("#FFFFFF");
    return QString::asprintf("%02X%02X%02X", channelByte(red), channelByte(green), channelByte(blue));
}

std::optional<Color> Color::fromHex(QStringView text)
{
    if (text.startsWith(u'#'))
        text = text.mid(1);
    if (text.size() != 6)
        return std::nullopt;

    bool negative = false;
    QStringView digits = text;
    if (digits.front() == u'+' || digits.front() == u'-') {
        negative = digits.front() == u'-';
        digits = digits.mid(1);
    }
    qint64 value = 0;
    for (const QChar ch : digits) {
        const int digit = ch.isDigit() && ch.unicode() < 128 ? ch.unicode() - '0'
                          : (ch >= u'a' && ch <= u'f')       ? ch.unicode() - 'a' + 10
                          : (ch >= u'A' && ch <= u'F')       ? ch.unicode() - 'A' + 10
                                                             : -1;
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + digit;
    }
    const auto bits = static_cast<quint32>(negative ? -value : value); // two's complement
    return Color{((bits >> 16) & 0xFF) / 255.0, ((bits >> 8) & 0xFF) / 255.0, (bits & 0xFF) / 255.0, 1.0};
}

std::optional<HSL> HSL::fromColor(const Color& color)
{
    if (!isFiniteColor(color))
        return std::nullopt;
    const double r = std::clamp(color.red, 0.0, 1.0);
    const double g = std::clamp(color.green, 0.0, 1.0);
    const double b = std::clamp(color.blue, 0.0, 1.0);

    const double v = std::max({r, g, b});
    const double delta = v - std::min({r, g, b});
    const double s = v > 0 ? delta / v : 0;
    double h = 0; // greys have hue 0
    if (delta > 0) {
        if (v == r)
            h = std::fmod((g - b) / delta, 6.0);
        else if (v == g)
            h = (b - r) / delta + 2.0;
        else
            h = (r - g) / delta + 4.0;
        h /= 6.0;
        if (h < 0)
            h += 1.0;
    }

    const double l = v * (1.0 - s / 2.0);
    const double sl = (l == 0.0 || l == 1.0) ? 0.0 : (v - l) / std::min(l, 1.0 - l);
    return HSL{h * 360.0, sl * 100.0, l * 100.0};
}

std::vector<Color> HSL::channelGradient(HSLComponent component, int steps, const HSL& base)
{
    std::vector<Color> stops;
    if (steps <= 0)
        return stops;
    stops.reserve(static_cast<size_t>(steps));
    const double last = steps > 1 ? steps - 1 : 1;
    for (int i = 0; i < steps; ++i) {
        HSL stop = base;
        switch (component) {
        case HSLComponent::hue:
            stop.hue = (360.0 / last) * i;
            break;
        case HSLComponent::saturation:
            stop.saturation = (100.0 / last) * i;
            break;
        case HSLComponent::lightness:
            stop.lightness = (100.0 / last) * i;
            break;
        }
        stops.push_back(stop.color());
    }
    return stops;
}

size_t qHash(const HSL& hsl, size_t seed) noexcept
{
    Hasher hasher(seed);
    hasher.add(hsl.hue).add(hsl.saturation).add(hsl.lightness);
    return hasher.value();
}

} // namespace pigmo
