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
        if (event->type() == QEvent::ApplicationPaletteChange)
            apply();
        return false;
    }

private:
    void apply()
    {
        QColor color = QApplication::palette(&widget_).color(QPalette::WindowText);
        color.setAlphaF(float(color.alphaF() * opacity_));
        QPalette palette = widget_.palette();
        palette.setColor(QPalette::WindowText, color);
        palette.setColor(QPalette::Text, color);
        palette.setColor(QPalette::ButtonText, color);
        widget_.setPalette(palette);
    }

    QWidget& widget_;
    double opacity_;
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
