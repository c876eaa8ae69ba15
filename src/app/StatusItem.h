#pragma once

#include <QObject>

#include <memory>

class QMenu;
class QSystemTrayIcon;

namespace pigmo {

// The program's tray icon: a click toggles the main window, its context menu holds one entry that
// quits. Folders cannot be dropped on it (the tray protocol has no drop); the window's drop zone, Open
// With and the file-manager entries take them instead. When no tray host runs, the icon exists but is
// never shown (`isAvailable()` is false).
class StatusItem : public QObject {
    Q_OBJECT
public:
    // `quitTitle` is the context menu entry's text (the localised "quit").
    explicit StatusItem(const QString& quitTitle, QObject* parent = nullptr);
    ~StatusItem() override;

    // Whether a tray host runs and can show the icon.
    static bool isAvailable();

    // Shown or hidden as the display mode decides; never shown without a tray host.
    void setVisible(bool visible);
    bool isVisible() const;

    QSystemTrayIcon* trayIcon() const { return tray_.get(); }
    QMenu* menu() const { return menu_.get(); }

Q_SIGNALS:
    void clicked();
    void quitRequested();

private:
    std::unique_ptr<QMenu> menu_;
    std::unique_ptr<QSystemTrayIcon> tray_;
};

} // namespace pigmo
