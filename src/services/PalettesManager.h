#pragma once

#include "model/HSL.h"

#include <QList>
#include <QObject>
#include <QString>

namespace pigmo {

// A named list of colours offered by the colour picker.
struct Palette {
    QString name;
    QList<Color> colors;
};

// The five built-in palettes and the user's own colours. Custom colours are stored under "customColors" as
// the JSON text of an array of six-digit hexadecimal texts. Two colours are the same custom colour when
// their six-digit texts are equal, whatever route made them. GUI thread only.
class PalettesManager : public QObject {
    Q_OBJECT

public:
    // Modern, Pastel, Fiesta, Neon, Ethereal; nine colours each.
    static const QList<Palette>& palettes();

    // Loads the stored custom colours.
    explicit PalettesManager(QObject* parent = nullptr);

    const QList<Color>& customColors() const { return customColors_; }
    // Appends the colour unless one with the same text is listed; saves when it appends.
    void addCustomColor(const Color& color);
    // Removes the first colour with the same text; saves when it removes.
    void removeCustomColor(const Color& color);

    // Unreadable stored data leaves the list as it is; unreadable entries are dropped.
    void loadCustomColors();
    void saveCustomColors();

Q_SIGNALS:
    void customColorsChanged();

private:
    qsizetype indexOf(const Color& color) const;

    QList<Color> customColors_;
};

} // namespace pigmo
