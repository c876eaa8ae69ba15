#pragma once

#include "model/ColorizationData.h"

#include <QHash>
#include <QList>
#include <QString>

#include <optional>

namespace pigmo {

// The three glyph catalogues the user picks from and the smart styling draws on: the Lucide icons, the
// platform symbols and the emoji, each a list of `Icon` in the order of its source.
//
// Reads files only (Qt Core): safe to create and to read from any thread. The lists are loaded by the
// constructor and never change afterwards, so every reader sees them whole without locking.
class IconsModel {
public:
    // The library codes of `icons(int)`.
    enum Library : int { lucide = 0, emoji = 1, symbols = 2 };

    // Loads the catalogues of one resources directory: "lucide/*.svg", "catalogues/sf_symbols.txt" and
    // "catalogues/emojis.txt" below it, in that order.
    explicit IconsModel(const QString& resourcesDirectory);

    const QList<Icon>& lucideIcons() const { return lucideIcons_; }
    const QList<Icon>& sfIcons() const { return sfIcons_; }
    const QList<Icon>& emojisIcons() const { return emojisIcons_; }

    // Code 0 gives the Lucide icons, 1 the emoji, 2 the platform symbols, any other code an empty list.
    const QList<Icon>& icons(int library) const;

    // A Lucide icon chosen uniformly at random; nothing when the Lucide list is empty. Thread-safe.
    std::optional<Icon> randomIcon() const;

    // The Lucide icon of that name (a file's name up to its first point); nothing when there is none.
    std::optional<Icon> lucideIcon(const QString& name) const;

    // The loaders. Each returns an empty list when its source is missing; a directory that cannot be read
    // prints "Error reading bundle resources: " and the reason.
    static QList<Icon> loadLucideIcons(const QString& directory);
    static QList<Icon> loadSFSymbols(const QString& filePath);
    static QList<Icon> loadEmojis(const QString& filePath);

private:
    QList<Icon> lucideIcons_;
    QList<Icon> sfIcons_;
    QList<Icon> emojisIcons_;
    QHash<QString, qsizetype> lucideByName_; // first entry of each name
};

} // namespace pigmo
