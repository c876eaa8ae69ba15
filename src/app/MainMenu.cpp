#include "app/MainMenu.h"

#include "base/Product.h"
#include "services/LocalizationManager.h"
#include "ui/Localized.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>

namespace pigmo {
namespace {

// A menu of `bar` titled with a key's text, now and at every change of the interface language.
QMenu* addMenu(QMenuBar* bar, const LocalizationManager& localization, const QString& key)
{
    QMenu* menu = bar->addMenu(localization.string(key));
    QObject::connect(&localization, &LocalizationManager::currentLanguageChanged, menu,
                     [menu, &localization, key] { menu->setTitle(localization.string(key)); });
    return menu;
}

// An entry of `menu` titled with a key's text, now and at every change of the interface language.
QAction* addAction(QMenu* menu, const LocalizationManager& localization, const QString& key)
{
    QAction* action = menu->addAction(localization.string(key));
    QObject::connect(&localization, &LocalizationManager::currentLanguageChanged, action,
                     [action, &localization, key] { action->setText(localization.string(key)); });
    return action;
}

// An Edit action sent to the widget that has the keyboard focus, as to a first responder: text fields
// and text views have slots of these names; any other widget ignores it.
void addEditAction(QMenu* menu, const LocalizationManager& localization, const QString& key,
                   QKeySequence::StandardKey shortcut, const char* slot)
{
    QAction* action = addAction(menu, localization, key);
    action->setShortcut(shortcut);
    QObject::connect(action, &QAction::triggered, menu, [slot] {
        QWidget* focus = QApplication::focusWidget();
        if (focus && focus->metaObject()->indexOfMethod(QByteArray(slot) + "()") >= 0)
            QMetaObject::invokeMethod(focus, slot);
    });
}

} // namespace

QMenuBar* MainMenu::build(const LocalizationManager& localization) const
{
    auto* bar = new QMenuBar;
    QMenu* application = bar->addMenu(QLatin1String(product::displayName));
    QAction* updates = addAction(application, localization, u"check_for_updates"_key);
    QObject::connect(updates, &QAction::triggered, bar, [f = checkForUpdates] {
        if (f)
            f();
    });
    application->addSeparator();
    QAction* quitAction = addAction(application, localization, u"quit_app"_key);
    quitAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    quitAction->setShortcutContext(Qt::ApplicationShortcut);
    QObject::connect(quitAction, &QAction::triggered, bar, [f = quit] {
        if (f)
            f();
    });

    QMenu* edit = addMenu(bar, localization, u"menu_edit"_key);
    addEditAction(edit, localization, u"cut"_key, QKeySequence::Cut, "cut");
    addEditAction(edit, localization, u"copy"_key, QKeySequence::Copy, "copy");
    addEditAction(edit, localization, u"paste"_key, QKeySequence::Paste, "paste");
    edit->addSeparator();
    addEditAction(edit, localization, u"select_all"_key, QKeySequence::SelectAll, "selectAll");
    return bar;
}

} // namespace pigmo
