#pragma once

#include "ui/controls/ControlStyle.h"

#include <QWidget>

namespace pigmo {

// A one-line plain text, shortened with an ellipsis where `mode` says when it does not fit. It is shortened
// when drawn, from the width the widget has then, so it never depends on a width the layout had earlier. Its
// colour is resolved from the widget each time it is drawn, so it follows the light and dark appearance.
class ElidedLabel : public QWidget {
    Q_OBJECT
public:
    ElidedLabel(QString text, Qt::TextElideMode mode, QWidget* parent = nullptr);

    const QString& text() const { return text_; }
    // Also the accessible name.
    void setText(const QString& text);
    // What is drawn at the current width (inside the contents margins).
    QString shownText() const;
    void setColor(ui::ThemeColor color);
    // The colour the text is drawn in now.
    QColor color() const { return color_(*this); }
    void setAlignment(Qt::Alignment alignment);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
    Qt::TextElideMode mode_;
    Qt::Alignment alignment_ = Qt::AlignLeft | Qt::AlignVCenter;
    ui::ThemeColor color_;
};

} // namespace pigmo
