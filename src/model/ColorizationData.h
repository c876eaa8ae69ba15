#pragma once

#include "model/HSL.h"

#include <QAnyStringView>
#include <QByteArray>
#include <QString>
#include <QUrl>

#include <cstddef>
#include <functional>
#include <optional>

namespace pigmo {

// A glyph drawn on a folder. Which optional field is set tells its kind: an image file (`url`, the Lucide
// icons), a platform symbol (`systemName`), an emoji, or an image the user supplied (`imageData`, PNG,
// with `name` "<custom>").
struct Icon {
    std::optional<QUrl> url;
    std::optional<QString> systemName;
    std::optional<QString> emoji;
    QString name;
    std::optional<QByteArray> imageData;

    static inline const QString customName = QStringLiteral("<custom>");

    friend bool operator==(const Icon&, const Icon&) = default;
};

// How the glyph is coloured. `color` carries the glyph's own colour.
class IconStyle {
public:
    enum class StyleType { vibrant, original, color, inverted };

    static IconStyle vibrant() { return IconStyle(StyleType::vibrant); }
    static IconStyle original() { return IconStyle(StyleType::original); }
    static IconStyle inverted() { return IconStyle(StyleType::inverted); }
    static IconStyle color(const HSL& color) { return IconStyle(StyleType::color, color); }

    StyleType type() const { return type_; }
    // The glyph colour; only meaningful for `StyleType::color`.
    const HSL& colorValue() const { return color_; }
    bool isColor() const { return type_ == StyleType::color; }

    // "vibrant", "original", "color", "inverted"
    static QString rawValue(StyleType type);
    static std::optional<StyleType> styleType(QAnyStringView rawValue);

    friend bool operator==(const IconStyle& a, const IconStyle& b)
    {
        return a.type_ == b.type_ && (a.type_ != StyleType::color || a.color_ == b.color_);
    }

private:
    explicit IconStyle(StyleType type, HSL color = {})
        : type_(type)
        , color_(color)
    {
    }
    StyleType type_;
    HSL color_;
};

// One folder's complete style: the unit that is rendered, stored on the folder and recorded in history.
struct ColorizationData {
    HSL color;
    double intensity = 0;
    std::optional<Icon> icon;
    std::optional<double> iconSize;
    IconStyle iconStyle = IconStyle::vibrant();

    // True when every number, nested ones included, is finite (only such a style can be stored).
    bool isFinite() const;

    friend bool operator==(const ColorizationData&, const ColorizationData&) = default;
};

size_t qHash(const Icon& icon, size_t seed = 0) noexcept;
size_t qHash(const IconStyle& style, size_t seed = 0) noexcept;
size_t qHash(const ColorizationData& data, size_t seed = 0) noexcept;

} // namespace pigmo

template <>
struct std::hash<pigmo::HSL> {
    size_t operator()(const pigmo::HSL& value) const noexcept { return pigmo::qHash(value); }
};
template <>
struct std::hash<pigmo::Icon> {
    size_t operator()(const pigmo::Icon& value) const noexcept { return pigmo::qHash(value); }
};
template <>
struct std::hash<pigmo::IconStyle> {
    size_t operator()(const pigmo::IconStyle& value) const noexcept { return pigmo::qHash(value); }
};
template <>
struct std::hash<pigmo::ColorizationData> {
    size_t operator()(const pigmo::ColorizationData& value) const noexcept { return pigmo::qHash(value); }
};
