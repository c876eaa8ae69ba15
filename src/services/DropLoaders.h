#pragma once

#include "base/Result.h"

#include <QImage>
#include <QList>
#include <QMimeData>
#include <QUrl>

// What dropped or pasted items become. Failures carry the texts below (their source is told by the function:
// "loadImage" or "loadFolders"); callers log them.
namespace pigmo::drop {

inline const QString couldNotConvertItemToURL = QStringLiteral("Could not convert item to URL");
inline const QString couldNotLoadImageData = QStringLiteral("Could not load image data");
inline const QString couldNotCreateImage = QStringLiteral("Could not create image from data");

// One dropped item as an image: the file its first URL names when that file is an image, else the image data
// it carries. An item whose first URL is not a local file fails with `couldNotConvertItemToURL`; no image
// data with `couldNotLoadImageData`; undecodable data with `couldNotCreateImage`.
Result<QImage> loadImage(const QMimeData& item);

// The folders among dropped items, in drop order. Items that are no directory are skipped with the line
// "Not a directory!!", so folders dropped together with other items are kept. Fails with
// `couldNotConvertItemToURL` only when the drop carries something but no URL at all; an empty drop gives an
// empty list.
Result<QList<QUrl>> loadFolders(const QMimeData& items);

} // namespace pigmo::drop
