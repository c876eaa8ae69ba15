#include "ui/controls/TextTint.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace pigmo::ui {
namespace {

// Lives as a child of the widget it tints.
class TextTint : public QObject {
public:
    TextTint(QWidget& widget, double opacity)
        : QObject(&widget)
        , widget_(widget)
        , opacity_(opacity)
    {
        setObjectName(QStringLiteral("pigmo-text-tint"));
        widget.installEventFilter(this);
        apply();
    }

    void setOpacity(double opacity)
    {
        opacity_ = opacity;
        apply();
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        // A new application palette reaches a child as the change of the palette it inherits.
        if (!applying_ && (event->type() == QEvent::ApplicationPaletteChange || event->type() == QEvent::PaletteChange))
            apply();
        return false;
    }

private:
    void apply()
    {
        applying_ = true;
        QColor color = QApplication::palette(&widget_).color(QPalette::WindowText);
        color.setAlphaF(float(color.alphaF() * opacity_));
        QPalette palette = widget_.palette();
        palette.setColor(QPalette::WindowText, color);
        palette.setColor(QPalette::Text, color);
        palette.setColor(QPalette::ButtonText, color);
        widget_.setPalette(palette);
        applying_ = false;
    }

    QWidget& widget_;
    double opacity_;
    bool applying_ = false;
};

} // namespace

void setTextOpacity(QWidget& widget, double opacity)
{
    if (QObject* tint = widget.findChild<QObject*>(QStringLiteral("pigmo-text-tint"), Qt::FindDirectChildrenOnly)) {
        static_cast<TextTint*>(tint)->setOpacity(opacity);
        return;
    }
    new TextTint(widget, opacity);
}

} // namespace pigmo::ui
