#pragma once

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QLineEdit>
#include <QStringList>
#include <QTest>
#include <QWidget>

#include <optional>

namespace pigmo::test {

// A control a user can click or type into: the stock ones, and any custom one that takes the keyboard focus.
inline bool isControl(const QWidget* widget)
{
    return qobject_cast<const QAbstractButton*>(widget) || qobject_cast<const QAbstractSlider*>(widget) ||
           qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QComboBox*>(widget) ||
           qobject_cast<const QAbstractSpinBox*>(widget) || widget->focusPolicy() != Qt::NoFocus;
}

// The part of `widget` that its ancestors up to `top` leave in view, in `top`'s coordinates.
inline QRect shownRect(const QWidget* widget, const QWidget* top)
{
    QRect shown(widget->mapTo(top, QPoint(0, 0)), widget->size());
    for (const QWidget* ancestor = widget->parentWidget(); ancestor && ancestor != top;
         ancestor = ancestor->parentWidget())
        shown &= QRect(ancestor->mapTo(top, QPoint(0, 0)), ancestor->size());
    return shown & top->rect();
}

// Whether `hit`, drawn over `control`, belongs to a widget laid over the whole of one of the control's
// ancestors: a curtain such as the apply animation, which hides what it is laid over while it shows.
inline bool isUnderCurtain(const QWidget* control, const QWidget* hit)
{
    for (const QWidget* layer = hit; layer && layer->parentWidget(); layer = layer->parentWidget()) {
        const QWidget* parent = layer->parentWidget();
        if (parent->isAncestorOf(control))
            return layer->geometry() == parent->rect();
    }
    return false;
}

// The visible controls of `top` that another widget covers: the widget a click at the centre of the control
// would reach is neither the control nor one of its children, nor a curtain over the whole of a view.
// Controls that their ancestors show only in part (scrolled partly out of a list) are left out: a user
// scrolls them into view first. Layouts are settled first, as before the window is drawn. One line each, naming the
// control and what covers it.
inline QStringList coveredControls(QWidget* top)
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QStringList covered;
    for (const QWidget* control : top->findChildren<QWidget*>()) {
        if (!control->isVisibleTo(top) || control->window() != top->window() || !isControl(control) ||
            control->testAttribute(Qt::WA_TransparentForMouseEvents))
            continue;
        const QRect shown = shownRect(control, top);
        if (shown.isEmpty() || shown.size() != control->size())
            continue; // not laid out yet, scrolled out of view, or only partly in it
        const QWidget* hit = top->childAt(shown.center());
        if (hit == control || (hit && control->isAncestorOf(hit)) || isUnderCurtain(control, hit))
            continue;
        const auto describe = [](const QWidget* w) {
            if (!w)
                return QStringLiteral("nothing");
            const QString name = !w->accessibleName().isEmpty() ? w->accessibleName() : w->objectName();
            return QString::fromLatin1(w->metaObject()->className()) + (name.isEmpty() ? QString() : u' ' + name);
        };
        covered.append(describe(control) + QStringLiteral(" is covered by ") + describe(hit));
    }
    return covered;
}

// A click where `control` is drawn (at `point` of it, or at the centre of what is shown of it), delivered to
// whatever widget of its window is on top there, as a user's click is. False when nothing of the control is
// shown there.
inline bool clickWhereDrawn(QWidget* control, std::optional<QPoint> point = std::nullopt)
{
    QWidget* window = control->window();
    const QRect shown = shownRect(control, window);
    const QPoint at = point ? control->mapTo(window, *point) : shown.center();
    if (!shown.contains(at))
        return false;
    QWidget* hit = window->childAt(at);
    if (!hit)
        hit = window;
    QTest::mouseClick(hit, Qt::LeftButton, Qt::NoModifier, hit->mapFrom(window, at));
    return true;
}

// The widget of `control`'s window on top where the control is drawn (its centre): where a drag over the
// control arrives. nullptr when nothing of the control is shown. Layouts are settled first.
inline QWidget* widgetWhereDrawn(QWidget* control)
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QWidget* window = control->window();
    const QRect shown = shownRect(control, window);
    if (shown.isEmpty())
        return nullptr;
    QWidget* hit = window->childAt(shown.center());
    return hit ? hit : window;
}

// A drag of `data` entering `at` at its centre, as its window delivers it: the application offers it to `at`
// and then to its ancestors, until one that takes drops accepts it; a move follows when one did. Whether
// the drag was accepted.
inline bool dragEnter(QWidget* at, const QMimeData& data)
{
    const QPoint centre = at->rect().center();
    QDragEnterEvent enter(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(at, &enter);
    if (!enter.isAccepted())
        return false;
    QDragMoveEvent move(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(at, &move);
    return true;
}

// `data` dropped at the centre of `at`: the application hands it to the widget that accepted the drag's
// entry, if any. Whether the drop was taken.
inline bool drop(QWidget* at, const QMimeData& data)
{
    QDropEvent dropped(QPointF(at->rect().center()), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(at, &dropped);
    return dropped.isAccepted();
}

} // namespace pigmo::test
