#include "render/ColorizationService.h"

#include "render/BlendModes.h"
#include "render/IconImage.h"
#include "storage/BundleResources.h"

#include <QFont>
#include <QFontMetricsF>
#include <QImageReader>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace pigmo {
namespace {

constexpr QRect canvasRect{0, 0, ColorizationService::canvasSize, ColorizationService::canvasSize};
const QColor glyphUnderFill = QColor::fromRgbF(0.4f, 0.4f, 0.4f, 1.0f);

std::optional<QImage> loadBaseImage(const QString& name)
{
    // The bundle's folder images are PNG: naming the format and not probing spares loading every image
    // format plugin (and the libraries they pull in) just to ask each whether it reads PNG.
    QImageReader reader(BundleResources::path(QStringLiteral("images/%1.png").arg(name)), QByteArrayLiteral("png"));
    reader.setAutoDetectImageFormat(false);
    QImage image = reader.read();
    if (image.isNull())
        return std::nullopt;
    if (image.size() != canvasRect.size())
        image = image.scaled(canvasRect.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

float unit(double value)
{
    return std::isfinite(value) ? static_cast<float>(std::clamp(value, 0.0, 1.0)) : 0.0f;
}

QColor toQColor(const Color& color, double opacity = 1.0)
{
    return QColor::fromRgbF(unit(color.red), unit(color.green), unit(color.blue), unit(opacity));
}

// The pixel kept only as far as the mask is opaque.
QRgb destinationIn(QRgb pixel, int maskAlpha)
{
    if (maskAlpha == 255)
        return pixel;
    const auto scale = [maskAlpha](int channel) { return (channel * maskAlpha + 127) / 255; };
    return qRgba(scale(qRed(pixel)), scale(qGreen(pixel)), scale(qBlue(pixel)), scale(qAlpha(pixel)));
}

HSL complement(const HSL& color)
{
    return HSL{std::fmod(color.hue + 180, 360), color.saturation, color.lightness};
}

// The neutral base tinted: overlay at `intensity`, then "color" at intensity × colorPassFactor, then only
// what lies on the base's opaque pixels survives (destination-in with the base).
//
// On a cleared canvas the base drawn source-over is the base itself, so each pass is a function of one base
// pixel: the passes run here one after another on each pixel, which gives the same image as running each
// over the whole canvas. A row of equal pixels is computed once.
QImage tintedBase(const QImage& base, const Color& tintColor, double intensity)
{
    const OverlayFill overlay(tintColor, intensity);
    const ColorFill color(tintColor, intensity * ColorizationService::colorPassFactor);
    QImage canvas(base.size(), QImage::Format_ARGB32_Premultiplied);
    const int width = base.width();
    for (int y = 0; y < base.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(base.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(canvas.scanLine(y));
        QRgb last = 0; // a transparent base pixel masks everything away
        QRgb result = 0;
        for (int x = 0; x < width; ++x) {
            if (in[x] != last) {
                last = in[x];
                result = destinationIn(color(overlay(last)), qAlpha(last));
            }
            out[x] = result;
        }
    }
    return canvas;
}

// The fills laid source-atop over an image glyph, in order; none keeps the glyph's own colours.
QList<QColor> glyphFills(const ColorizationData& data, const Color& tintColor)
{
    switch (data.iconStyle.type()) {
    case IconStyle::StyleType::vibrant:
        return {glyphUnderFill, toQColor(tintColor, data.intensity)};
    case IconStyle::StyleType::original:
        return {};
    case IconStyle::StyleType::inverted:
        return {glyphUnderFill, toQColor(complement(data.color).color(), data.intensity)};
    case IconStyle::StyleType::color:
        return {toQColor(data.iconStyle.colorValue().color())};
    }
    return {};
}

// Draws the picture at icon size `side` (its longer side) centred on the glyph centre, coloured by the
// style. The glyph is drawn on a layer of its own, so that the fills colour only its pixels; the layer
// covers the glyph's part of the canvas, aligned to whole pixels.
void drawImageGlyph(QPainter& canvasPainter, const GlyphPicture& picture, double side, const ColorizationData& data,
                    const Color& tintColor)
{
    const QSizeF natural = picture.size();
    const double aspect = natural.width() / natural.height();
    const QSizeF glyphSize = aspect <= 1.0 ? QSizeF(side * aspect, side) : QSizeF(side, side / aspect);
    const QRectF glyphRect(ColorizationService::glyphCentre.x() - glyphSize.width() / 2,
                           ColorizationService::glyphCentre.y() - glyphSize.height() / 2, glyphSize.width(),
                           glyphSize.height());
    if (!glyphRect.isValid())
        return;
    const QRect layerRect = glyphRect.toAlignedRect().intersected(canvasRect);
    if (layerRect.isEmpty())
        return;

    QImage layer(layerRect.size(), QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    QPainter painter(&layer);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(-layerRect.topLeft());
    picture.draw(painter, glyphRect);
    painter.resetTransform();
    painter.setCompositionMode(QPainter::CompositionMode_SourceAtop);
    for (const QColor& fill : glyphFills(data, tintColor))
        painter.fillRect(layer.rect(), fill);
    painter.end();

    canvasPainter.drawImage(layerRect.topLeft(), layer);
}

// The colour of an emoji's text and, since the colour font ignores the pen, its opacity.
QColor emojiColor(const ColorizationData& data, const Color& tintColor)
{
    switch (data.iconStyle.type()) {
    case IconStyle::StyleType::vibrant:
        return toQColor(tintColor, data.intensity);
    case IconStyle::StyleType::original:
        return Qt::black;
    case IconStyle::StyleType::inverted:
        return toQColor(complement(data.color).color(), data.intensity);
    case IconStyle::StyleType::color:
        return toQColor(data.iconStyle.colorValue().color());
    }
    return Qt::black;
}

} // namespace

bool ColorizationService::usesBlueBase(const ColorizationData& data)
{
    return data.color.hue == 195 && data.color.saturation == 100 && data.color.lightness == 45 &&
           data.intensity == 0.65;
}

std::optional<QImage> ColorizationService::generateIcon(const ColorizationData& data)
{
    const bool blue = usesBlueBase(data);
    const std::optional<QImage>& base = blue ? blueFolderImage() : neutralFolderImage();
    if (!base)
        return std::nullopt;
    const Color tintColor = data.color.color();

    // Cleared canvas, base drawn source-over, then the tint passes when the base is the neutral one.
    QImage canvas = blue ? *base : tintedBase(*base, tintColor, data.intensity);
    QPainter painter(&canvas);
    if (data.icon) {
        const std::shared_ptr<const GlyphPicture> picture = iconPicture(*data.icon);
        if (picture && data.iconSize) {
            drawImageGlyph(painter, *picture, *data.iconSize, data, tintColor);
            return canvas;
        }
        if (data.icon->emoji)
            drawEmoji(painter, *data.icon->emoji, data.iconSize.value_or(defaultEmojiSize), emojiColor(data, tintColor),
                      ColorizationService::glyphCentre);
    }
    painter.end();
    return canvas;
}

const std::optional<QImage>& ColorizationService::neutralFolderImage()
{
    static const std::optional<QImage> image = loadBaseImage(QStringLiteral("folder-neutral"));
    return image;
}

const std::optional<QImage>& ColorizationService::blueFolderImage()
{
    static const std::optional<QImage> image = loadBaseImage(QStringLiteral("folder-blue"));
    return image;
}

const QList<QImage>& ColorizationService::loadingIcons()
{
    static const QList<QImage> icons = [] {
        QList<QImage> renders;
        for (int hue = 0; hue < 360; hue += 30) {
            const ColorizationData style{HSL{double(hue), 85, 52}, 0.7, std::nullopt, std::nullopt,
                                         IconStyle::vibrant()};
            if (std::optional<QImage> render = generateIcon(style))
                renders.append(std::move(*render));
        }
        return renders;
    }();
    return icons;
}

} // namespace pigmo
