#include "app/StatusItem.h"

#include "storage/BundleResources.h"

#include <QIcon>
#include <QKeySequence>
#include <QMenu>
#include <QSystemTrayIcon>

namespace pigmo {

StatusItem::StatusItem(const QString& quitTitle, QObject* parent)
    : QObject(parent)
    , menu_(std::make_unique<QMenu>())
    , tray_(std::make_unique<QSystemTrayIcon>())
{
    QIcon icon(BundleResources::path(QStringLiteral("images/menu-bar-icon.png")));
    if (!icon.isNull()) {
        icon.setIsMask(true); // a monochrome template: the panel may recolour it
        tray_->setIcon(icon);
    }
    tray_->setToolTip(QStringLiteral("Pigmo"));

    QAction* quit = menu_->addAction(quitTitle);
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(quit, &QAction::triggered, this, &StatusItem::quitRequested);
    tray_->setContextMenu(menu_.get());

    connect(tray_.get(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger)
            Q_EMIT clicked();
    });
}

StatusItem::~StatusItem() = default;

bool StatusItem::isAvailable()
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void StatusItem::setVisible(bool visible)
{
    tray_->setVisible(visible && isAvailable());
}

bool StatusItem::isVisible() const
{
    return tray_->isVisible();
}

} // namespace pigmo
