#include "model/ColorizationData.h"

#include "base/Hashing.h"

#include <cmath>

namespace pigmo {

QString IconStyle::rawValue(StyleType type)
{
    switch (type) {
    case StyleType::vibrant:
        return QStringLiteral("vibrant");
    case StyleType::original:
        return QStringLiteral("original");
    case StyleType::color:
        return QStringLiteral("color");
    case StyleType::inverted:
        return QStringLiteral("inverted");
    }
    return {};
}

std::optional<IconStyle::StyleType> IconStyle::styleType(QAnyStringView rawValue)
{
    for (StyleType type : {StyleType::vibrant, StyleType::original, StyleType::color, StyleType::inverted}) {
        if (QAnyStringView::equal(rawValue, IconStyle::rawValue(type)))
            return type;
    }
    return std::nullopt;
}

bool ColorizationData::isFinite() const
{
    return color.isFinite() && std::isfinite(intensity) && (!iconSize || std::isfinite(*iconSize)) &&
           (!iconStyle.isColor() || iconStyle.colorValue().isFinite());
}

size_t qHash(const Icon& icon, size_t seed) noexcept
{
    Hasher hasher(seed);
    hasher.add(icon.url).add(icon.systemName).add(icon.emoji).add(icon.name).add(icon.imageData);
    return hasher.value();
}

size_t qHash(const IconStyle& style, size_t seed) noexcept
{
    Hasher hasher(seed);
    hasher.add(static_cast<int>(style.type()));
    if (style.isColor())
        hasher.add(style.colorValue());
    return hasher.value();
}

size_t qHash(const ColorizationData& data, size_t seed) noexcept
{
    Hasher hasher(seed);
    hasher.add(data.color).add(data.intensity).add(data.icon).add(data.iconSize).add(data.iconStyle);
    return hasher.value();
}

} // namespace pigmo
