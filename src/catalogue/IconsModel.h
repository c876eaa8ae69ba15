#pragma once

#include "catalogue/IconLibrary.h"
#include "model/ColorizationData.h"

#include <QHash>
#include <QList>
#include <QString>

#include <mutex>
#include <optional>

namespace pigmo {

// The three glyph catalogues the user picks from and the smart styling draws on: the Lucide icons, the
// platform symbols and the emoji, each a list of `Icon` in the order of its source.
//
// Reads files only (Qt Core): safe to create and to read from any thread. The catalogues are loaded on the
// first question, by whichever thread asks first (a keyword index build, as a rule), while the others wait;
// they never change afterwards, so every reader sees them whole.
class IconsModel {
public:
    // The catalogues of one resources directory: "lucide/*.svg", "catalogues/sf_symbols.txt" and
    // "catalogues/emojis.txt" below it, in that order. Reads nothing yet.
    explicit IconsModel(const QString& resourcesDirectory);
    IconsModel(const IconsModel&) = delete;
    IconsModel& operator=(const IconsModel&) = delete;

    const QList<Icon>& lucideIcons() const { return loaded().lucide; }
    const QList<Icon>& sfIcons() const { return loaded().sf; }
    const QList<Icon>& emojisIcons() const { return loaded().emoji; }

    // The catalogue of a library; an empty list for `custom`, which has none.
    const QList<Icon>& icons(IconLibrary library) const;

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
    struct Catalogues {
        QList<Icon> lucide;
        QList<Icon> sf;
        QList<Icon> emoji;
        QHash<QString, qsizetype> lucideByName; // first entry of each name
    };
    // Loads the catalogues once.
    const Catalogues& loaded() const;

    QString resourcesDirectory_;
    mutable std::once_flag loading_;
    mutable Catalogues catalogues_;
};

} // namespace pigmo
