#pragma once

#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointF>
#include <QTest>
#include <QWidget>

namespace pigmo::test {

// Pointer input delivered straight to a widget, as the window system delivers it during a drag: a press,
// moves with the left button held, a release. Positions are in the widget's coordinates.
inline void sendMouse(QWidget* widget, QEvent::Type type, QPointF at, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent event(type, at, widget->mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

inline void press(QWidget* widget, QPointF at)
{
    sendMouse(widget, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
}

inline void moveHeld(QWidget* widget, QPointF at)
{
    sendMouse(widget, QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton);
}

inline void release(QWidget* widget, QPointF at)
{
    sendMouse(widget, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
}

// Press at `from`, move to `to`, release there.
inline void drag(QWidget* widget, QPointF from, QPointF to)
{
    press(widget, from);
    moveHeld(widget, to);
    release(widget, to);
}

// Replaces a field's whole text as a user does: focus, select all, erase, type key by key.
inline void retype(QLineEdit* field, const QString& text)
{
    field->setFocus();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, text);
}

} // namespace pigmo::test
