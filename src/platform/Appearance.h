#pragma once

#include <QColor>
#include <QPalette>
#include <QString>

#include <optional>

namespace pigmo {

// The desktop's colour preference, as xdg-desktop-portal reports it.
enum class ColorScheme { noPreference, dark, light };

// The program's own palettes for the Fusion style, and the helpers that decide between them.
class Appearance {
public:
    static QPalette lightPalette();
    static QPalette darkPalette();
    // The window background of the dark appearance: a grey of white level 0.08.
    static QColor darkWindowBackground();

    // Whether "system" means dark: the portal's answer when it gave one ("no preference" is light), else
    // whether `current` (the palette in effect) is a dark one.
    static bool systemPrefersDark(std::optional<ColorScheme> scheme, const QPalette& current);
};

} // namespace pigmo
