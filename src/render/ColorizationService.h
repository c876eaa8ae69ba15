#pragma once

#include "model/ColorizationData.h"

#include <QImage>
#include <QList>
#include <QPointF>

#include <optional>

namespace pigmo {

// Turns a folder style into its 512 × 512 folder image: the folder base tinted in the style's colour, with
// the glyph (an image or an emoji) centred 30 pixels below the canvas centre.
//
// Renders on any thread: every call draws into images of its own. The base images and the loading renders
// are made once, by whichever thread reads them first, and are never changed afterwards.
class ColorizationService {
public:
    ColorizationService() = delete;

    static constexpr int canvasSize = 512;
    // Centre of an image glyph and of an emoji, in image coordinates (origin top left).
    static constexpr QPointF glyphCentre{256, 286};
    // The glyph style colour pass runs at this fraction of the intensity (0.53 / 0.65).
    static constexpr double colorPassFactor = 0.8153846153846154;
    static constexpr double defaultEmojiSize = 120;

    // A new ARGB32-premultiplied image of the style, owned by the caller; nothing only when the base image
    // the style needs is missing. Reads the base image and, through `iconPicture`, the glyph's file.
    static std::optional<QImage> generateIcon(const ColorizationData& data);

    // The base images "folder-neutral" and "folder-blue" of the bundle, 512 × 512; absent when missing.
    static const std::optional<QImage>& neutralFolderImage();
    static const std::optional<QImage>& blueFolderImage();

    // The loading-animation renders: hues 0, 30, ..., 330 at saturation 85, lightness 52, intensity 0.7,
    // without glyph. Empty when "folder-neutral" is missing.
    static const QList<QImage>& loadingIcons();

    // True exactly when the style is drawn on the untinted "folder-blue" base: HSL(195, 100, 45) at
    // intensity 0.65, each compared exactly.
    static bool usesBlueBase(const ColorizationData& data);
};

} // namespace pigmo
