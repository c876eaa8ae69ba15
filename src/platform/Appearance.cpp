#include "platform/Appearance.h"

namespace pigmo {
namespace {

struct Colors {
    QColor window, windowText, base, alternateBase, text, button, buttonText, highlight, highlightedText, link,
        toolTipBase, toolTipText, placeholder, disabledText, light, mid, dark, shadow;
};

QPalette paletteOf(const Colors& c)
{
    QPalette palette;
    palette.setColor(QPalette::Window, c.window);
    palette.setColor(QPalette::WindowText, c.windowText);
    palette.setColor(QPalette::Base, c.base);
    palette.setColor(QPalette::AlternateBase, c.alternateBase);
    palette.setColor(QPalette::Text, c.text);
    palette.setColor(QPalette::Button, c.button);
    palette.setColor(QPalette::ButtonText, c.buttonText);
    palette.setColor(QPalette::BrightText, Qt::red);
    palette.setColor(QPalette::Highlight, c.highlight);
    palette.setColor(QPalette::HighlightedText, c.highlightedText);
    palette.setColor(QPalette::Link, c.link);
    palette.setColor(QPalette::LinkVisited, c.link.darker(120));
    palette.setColor(QPalette::ToolTipBase, c.toolTipBase);
    palette.setColor(QPalette::ToolTipText, c.toolTipText);
    palette.setColor(QPalette::PlaceholderText, c.placeholder);
    palette.setColor(QPalette::Light, c.light);
    palette.setColor(QPalette::Midlight, c.light);
    palette.setColor(QPalette::Mid, c.mid);
    palette.setColor(QPalette::Dark, c.dark);
    palette.setColor(QPalette::Shadow, c.shadow);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, c.disabledText);
    palette.setColor(QPalette::Disabled, QPalette::Highlight, c.mid);
    return palette;
}

} // namespace

QColor Appearance::darkWindowBackground()
{
    return QColor::fromRgbF(0.08f, 0.08f, 0.08f, 1.0f);
}

QPalette Appearance::lightPalette()
{
    return paletteOf({.window = QColor(236, 236, 236),
                      .windowText = QColor(0, 0, 0, 216),
                      .base = Qt::white,
                      .alternateBase = QColor(244, 245, 245),
                      .text = QColor(0, 0, 0, 216),
                      .button = QColor(250, 250, 250),
                      .buttonText = QColor(0, 0, 0, 216),
                      .highlight = QColor(0, 122, 255),
                      .highlightedText = Qt::white,
                      .link = QColor(0, 104, 218),
                      .toolTipBase = QColor(255, 255, 240),
                      .toolTipText = Qt::black,
                      .placeholder = QColor(0, 0, 0, 64),
                      .disabledText = QColor(0, 0, 0, 64),
                      .light = Qt::white,
                      .mid = QColor(200, 200, 200),
                      .dark = QColor(160, 160, 160),
                      .shadow = QColor(0, 0, 0, 80)});
}

QPalette Appearance::darkPalette()
{
    return paletteOf({.window = darkWindowBackground(),
                      .windowText = QColor(255, 255, 255, 216),
                      .base = QColor(30, 30, 30),
                      .alternateBase = QColor(38, 38, 38),
                      .text = QColor(255, 255, 255, 216),
                      .button = QColor(52, 52, 52),
                      .buttonText = QColor(255, 255, 255, 216),
                      .highlight = QColor(10, 132, 255),
                      .highlightedText = Qt::white,
                      .link = QColor(65, 156, 255),
                      .toolTipBase = QColor(44, 44, 44),
                      .toolTipText = QColor(255, 255, 255, 216),
                      .placeholder = QColor(255, 255, 255, 64),
                      .disabledText = QColor(255, 255, 255, 64),
                      .light = QColor(70, 70, 70),
                      .mid = QColor(60, 60, 60),
                      .dark = QColor(12, 12, 12),
                      .shadow = QColor(0, 0, 0, 160)});
}

bool Appearance::systemPrefersDark(std::optional<ColorScheme> scheme, const QPalette& current)
{
    if (scheme == ColorScheme::dark)
        return true;
    if (scheme)
        return false; // light, or no preference: applications default to light
    return current.color(QPalette::Window).lightness() < current.color(QPalette::WindowText).lightness();
}

} // namespace pigmo
