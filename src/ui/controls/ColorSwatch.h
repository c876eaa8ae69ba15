#pragma once

#include <QAbstractButton>
#include <QColor>

namespace pigmo {

// A patch of one colour: a rounded square (corner radius 4) or a circle, optionally with an inner border
// of 1 point in the text colour. Clicking it emits `clicked` like any button; a decorative swatch takes
// neither clicks nor focus.
class ColorSwatch : public QAbstractButton {
    Q_OBJECT

public:
    enum class Shape { roundedSquare, circle };

    ColorSwatch(Shape shape, double side, QWidget* parent = nullptr);

    QColor color() const { return color_; }
    void setColor(const QColor& color);
    // The opacity of the inner border's text colour; 0 draws none.
    void setBorderOpacity(double opacity);
    // A swatch that only shows its colour: a picture to assistive technologies (call before it is shown).
    void setDecorative();

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Shape shape_;
    double side_;
    QColor color_;
    double borderOpacity_ = 0;
};

// A round or circular button showing one interface symbol (see `symbolImage`) in the text colour: used for
// the toolbar, the "plus" tile of the palette and the search bar's clear button.
class SymbolButton : public QAbstractButton {
    Q_OBJECT

public:
    SymbolButton(const QString& systemName, double side, double symbolSize, QWidget* parent = nullptr);

    // The symbol's colour: the text colour at `opacity`, or `color` itself when it is valid.
    void setSymbolOpacity(double opacity);
    void setSymbolColor(const QColor& color);
    // The circle behind the symbol: the text colour at `opacity` (0: none).
    void setBackgroundOpacity(double opacity);
    double symbolOpacity() const { return symbolOpacity_; }
    double backgroundOpacity() const { return backgroundOpacity_; }
    const QString& systemName() const { return systemName_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString systemName_;
    double side_;
    double symbolSize_;
    double symbolOpacity_ = 1;
    double backgroundOpacity_ = 0;
    QColor symbolColor_;
};

} // namespace pigmo
