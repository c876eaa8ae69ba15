#pragma once

#include "base/Folder.h"

#include <QList>
#include <QObject>

#include <functional>

class QFileDialog;
class QMessageBox;
class QWidget;

namespace pigmo {

class LocalizationManager;

// The modal panels and questions of the main window. Directory panels are Qt's own dialog, which chooses
// several folders at once (the portal and native dialogs choose at most one directory). Each panel and
// question is announced before it runs, so that tests can answer it. GUI thread.
class WindowDialogs : public QObject {
    Q_OBJECT

public:
    // The dialogs open over `window`; both outlive this object.
    WindowDialogs(QWidget& window, const LocalizationManager& localization);

    // The drop zone's panel, opened in the home directory: the folders chosen.
    QList<Folder> chooseFolders();
    // Folders handed over: a panel opened in their deepest common parent with those directly in it selected
    // (folders deeper down cannot be selected from there); the folders chosen.
    QList<Folder> confirmFolders(const QList<Folder>& incoming);
    // Runs `panel`: the file chosen in a save panel, else the folders chosen (several at once unless the
    // caller set otherwise). Empty when cancelled.
    QList<Folder> run(QFileDialog& panel);
    // Runs `question`: true when its accepting button was clicked.
    bool ask(QMessageBox& question);
    // Opens, without waiting, the question whether to discard the edited folders; `discard` runs when the
    // user says so. The question deletes itself when closed.
    QMessageBox* askToDiscard(std::function<void()> discard);

Q_SIGNALS:
    void panelOpened(QFileDialog* panel);
    void questionOpened(QMessageBox* question);

private:
    QWidget& window_;
    const LocalizationManager& localization_;
};

} // namespace pigmo
