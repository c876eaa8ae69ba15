#pragma once

#include <QImage>
#include <QPalette>
#include <QWidget>

namespace pigmo::test {

// Whether `control` draws its focus ring now: the ring is what a control draws in its palette's highlight
// colour, so its picture changes with that colour only while the ring is drawn. (A switch that is on fills
// its track with the highlight colour too: ask it while off.)
inline bool drawsFocusRing(QWidget& control)
{
    const QPalette kept = control.palette();
    const bool ownPalette = control.testAttribute(Qt::WA_SetPalette);
    QImage pictures[2];
    const QColor highlights[2] = {Qt::red, Qt::blue};
    for (int i = 0; i < 2; ++i) {
        QPalette palette = kept;
        palette.setColor(QPalette::Highlight, highlights[i]);
        control.setPalette(palette);
        pictures[i] = control.grab().toImage();
    }
    control.setPalette(ownPalette ? kept : QPalette());
    return pictures[0] != pictures[1];
}

} // namespace pigmo::test
