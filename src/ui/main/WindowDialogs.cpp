#include "ui/main/WindowDialogs.h"

#include "services/LocalizationManager.h"
#include "ui/Localized.h"

#include <QAbstractItemView>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeView>

namespace pigmo {

namespace {

// The deepest directory holding every one of `folders`.
QString commonParent(const QList<Folder>& folders)
{
    QStringList common = QFileInfo(folders.first().path()).absolutePath().split(u'/');
    for (const Folder& folder : folders) {
        const QStringList parts = QFileInfo(folder.path()).absolutePath().split(u'/');
        qsizetype shared = 0;
        while (shared < common.size() && shared < parts.size() && common[shared] == parts[shared])
            ++shared;
        common = common.mid(0, shared);
    }
    const QString path = common.join(u'/');
    return path.isEmpty() ? QStringLiteral("/") : path;
}

} // namespace

WindowDialogs::WindowDialogs(QWidget& window, const LocalizationManager& localization)
    : window_(window)
    , localization_(localization)
{
}

QList<Folder> WindowDialogs::chooseFolders()
{
    QFileDialog panel(&window_, localization_.string(u"choose_folders_edit"_key), QDir::homePath());
    return run(panel);
}

QList<Folder> WindowDialogs::confirmFolders(const QList<Folder>& incoming)
{
    if (incoming.isEmpty())
        return {};
    const QString parent = commonParent(incoming);
    QFileDialog panel(&window_, localization_.string(u"confirm_folders_edit"_key), parent);
    // The panel's file field lists several names each in quotes.
    QStringList names;
    for (const Folder& each : incoming) {
        const QFileInfo folder(each.path());
        if (folder.absolutePath() == parent)
            names.append(u'"' + folder.fileName() + u'"');
    }
    if (names.size() == 1)
        panel.selectFile(names.first().mid(1, names.first().size() - 2));
    else if (!names.isEmpty())
        panel.selectFile(names.join(u' '));
    return run(panel);
}

QList<Folder> WindowDialogs::run(QFileDialog& panel)
{
    panel.setOption(QFileDialog::DontUseNativeDialog, true);
    if (panel.acceptMode() == QFileDialog::AcceptOpen) {
        panel.setFileMode(QFileDialog::Directory);
        panel.setOption(QFileDialog::ShowDirsOnly, true);
        for (QAbstractItemView* view : panel.findChildren<QAbstractItemView*>()) {
            if (qobject_cast<QListView*>(view) || qobject_cast<QTreeView*>(view))
                view->setSelectionMode(QAbstractItemView::ExtendedSelection);
        }
    }
    Q_EMIT panelOpened(&panel);
    if (panel.exec() != QDialog::Accepted)
        return {};
    if (panel.acceptMode() == QFileDialog::AcceptSave)
        return {Folder::unchecked(panel.selectedFiles().value(0))};
    return Folder::fromUrls(panel.selectedUrls());
}

bool WindowDialogs::ask(QMessageBox& question)
{
    Q_EMIT questionOpened(&question);
    question.exec();
    return question.buttonRole(question.clickedButton()) == QMessageBox::AcceptRole;
}

QMessageBox* WindowDialogs::askToDiscard(std::function<void()> discard)
{
    auto* alert = new QMessageBox(QMessageBox::Warning, localization_.string(u"discard_changes"_key),
                                  localization_.string(u"discard_changes"_key), QMessageBox::NoButton, &window_);
    alert->setInformativeText(localization_.string(u"discard_unsaved_message"_key));
    QPushButton* discarding = alert->addButton(localization_.string(u"discard"_key), QMessageBox::DestructiveRole);
    alert->addButton(localization_.string(u"cancel"_key), QMessageBox::RejectRole);
    alert->setAttribute(Qt::WA_DeleteOnClose);
    connect(alert, &QMessageBox::buttonClicked, &window_,
            [discarding, discard = std::move(discard)](QAbstractButton* button) {
                if (button == discarding)
                    discard();
            });
    alert->open();
    return alert;
}

} // namespace pigmo
