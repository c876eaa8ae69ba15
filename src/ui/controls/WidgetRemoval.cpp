#include "ui/controls/WidgetRemoval.h"

#include <QLayout>
#include <QWidget>

namespace pigmo::ui {
namespace {

bool removeFrom(QLayout& layout, QWidget* widget)
{
    for (int index = 0; index < layout.count(); ++index) {
        QLayoutItem* item = layout.itemAt(index);
        if (item->widget() == widget) {
            delete layout.takeAt(index);
            return true;
        }
        if (item->layout() && removeFrom(*item->layout(), widget))
            return true;
    }
    return false;
}

} // namespace

void discard(QWidget* widget)
{
    if (!widget)
        return;
    widget->hide();
    if (QWidget* parent = widget->parentWidget(); parent && parent->layout())
        removeFrom(*parent->layout(), widget);
    widget->deleteLater();
}

} // namespace pigmo::ui
