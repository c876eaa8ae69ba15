#pragma once

#include <QMainWindow>
#include <QSize>

class QMenuBar;

namespace pigmo {

// The program's one main window. It is created once and lives for the whole run: closing it only hides
// it. Its content area has a fixed size (the window cannot be resized); the content widget is replaced
// when the onboarding ends and whenever folders are shown.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    static constexpr QSize launchContentSize{780, 480};

    // Takes ownership of `menu` (may be null: no menu bar).
    explicit MainWindow(QMenuBar* menu, QWidget* parent = nullptr);

    // Replaces the content and deletes the previous one later. A content of fixed size (minimum equal to
    // maximum) sets the content area's size; any other content takes the current size.
    void setContent(QWidget* content);
    QWidget* content() const { return centralWidget(); }

    // The content area's fixed size; the window's frame follows.
    void setContentSize(QSize size);
    QSize contentSize() const { return contentSize_; }

    // Lays the window out, then puts its frame in the middle of its screen's available area (the area
    // without panels). Without a screen the window keeps its position.
    void centre();

    // Shows the window, raised and with the keyboard focus.
    void bringToFront();

    // Whether the window has a taskbar entry. Kept out of the taskbar only where the window system allows
    // it (X11); the choice is applied again each time the window is shown.
    void setShownInTaskbar(bool shown);
    bool isShownInTaskbar() const { return shownInTaskbar_; }

Q_SIGNALS:
    // The user closed the window; it is hidden already.
    void hiddenByClose();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void applyTaskbarHint();

    QSize contentSize_ = launchContentSize;
    bool shownInTaskbar_ = true;
};

} // namespace pigmo
