#include "app/MainWindow.h"

#include "platform/TaskbarHint.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QMenuBar>
#include <QScreen>

namespace pigmo {

MainWindow::MainWindow(QMenuBar* menu, QWidget* parent)
    : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("Pigmo"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    if (menu)
        setMenuBar(menu);
    setContent(new QWidget);
    setContentSize(launchContentSize);
}

void MainWindow::setContent(QWidget* content)
{
    QWidget* previous = takeCentralWidget();
    const bool fixed = content->minimumSize() == content->maximumSize() && !content->minimumSize().isEmpty();
    const QSize size = fixed ? content->minimumSize() : contentSize_;
    setCentralWidget(content);
    content->show(); // in a visible window the layout would show it only later, after the size is taken
    setContentSize(size);
    if (previous) {
        previous->hide();
        previous->deleteLater();
    }
}

void MainWindow::setContentSize(QSize size)
{
    contentSize_ = size;
    if (QWidget* content = centralWidget())
        content->setFixedSize(size);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    adjustSize();
}

void MainWindow::centre()
{
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    adjustSize();
    const QRect available = screen->availableGeometry();
    const QSize frame = frameGeometry().size();
    move(available.x() + (available.width() - frame.width()) / 2,
         available.y() + (available.height() - frame.height()) / 2);
}

void MainWindow::bringToFront()
{
    show();
    raise();
    activateWindow();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // The window is never closed during a run: it hides and keeps its state.
    event->ignore();
    hide();
    Q_EMIT hiddenByClose();
}

void MainWindow::setShownInTaskbar(bool shown)
{
    shownInTaskbar_ = shown;
    applyTaskbarHint();
}

void MainWindow::showEvent(QShowEvent* event)
{
    // Shown before the native window is mapped, so the state is read when it maps.
    applyTaskbarHint();
    QMainWindow::showEvent(event);
}

void MainWindow::applyTaskbarHint()
{
    if (QWindow* handle = windowHandle())
        TaskbarHint::setSkipTaskbar(*handle, !shownInTaskbar_);
}

} // namespace pigmo
