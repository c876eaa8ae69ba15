#include "app/MainMenu.h"

#include "platform/Product.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>

namespace pigmo {
namespace {

// An Edit action sent to the widget that has the keyboard focus, as to a first responder: text fields
// and text views have slots of these names; any other widget ignores it.
void addEditAction(QMenu* menu, const QString& title, QKeySequence::StandardKey key, const char* slot)
{
    QAction* action = menu->addAction(title);
    action->setShortcut(key);
    QObject::connect(action, &QAction::triggered, menu, [slot] {
        QWidget* focus = QApplication::focusWidget();
        if (focus && focus->metaObject()->indexOfMethod(QByteArray(slot) + "()") >= 0)
            QMetaObject::invokeMethod(focus, slot);
    });
}

} // namespace

QMenuBar* MainMenu::build() const
{
    auto* bar = new QMenuBar;
    QMenu* application = bar->addMenu(QLatin1String(product::displayName));
    QAction* updates = application->addAction(QStringLiteral("Check for Updates…"));
    QObject::connect(updates, &QAction::triggered, bar, [f = checkForUpdates] {
        if (f)
            f();
    });
    application->addSeparator();
    QAction* quitAction = application->addAction(QStringLiteral("Quit ") + QLatin1String(product::displayName));
    quitAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    quitAction->setShortcutContext(Qt::ApplicationShortcut);
    QObject::connect(quitAction, &QAction::triggered, bar, [f = quit] {
        if (f)
            f();
    });

    QMenu* edit = bar->addMenu(QStringLiteral("Edit"));
    addEditAction(edit, QStringLiteral("Cut"), QKeySequence::Cut, "cut");
    addEditAction(edit, QStringLiteral("Copy"), QKeySequence::Copy, "copy");
    addEditAction(edit, QStringLiteral("Paste"), QKeySequence::Paste, "paste");
    edit->addSeparator();
    addEditAction(edit, QStringLiteral("Select All"), QKeySequence::SelectAll, "selectAll");
    return bar;
}

} // namespace pigmo
