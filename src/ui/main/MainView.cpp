#include "ui/main/MainView.h"

#include "ui/Localized.h"
#include "ui/main/FolderTile.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QListView>
#include <QMimeData>
#include <QPushButton>
#include <QStackedLayout>
#include <QTreeView>
#include <QVBoxLayout>

namespace pigmo {
namespace {

constexpr QSize contentSize{900, 560};
constexpr int columns = 5;

// The URLs, in order, that name existing local directories (a dropped or chosen link is followed).
QList<Folder> foldersOf(const QList<QUrl>& urls)
{
    QList<Folder> folders;
    for (const QUrl& url : urls) {
        if (std::optional<Folder> folder = Folder::fromUrl(url))
            folders.append(*folder);
    }
    return folders;
}

QList<Folder> droppedFolders(const QMimeData* mime)
{
    if (!mime || !mime->hasUrls())
        return {};
    return foldersOf(mime->urls());
}

} // namespace

MainView::MainView(const QList<Folder>& folders, bool fileAboutToBeDropped, FolderStyler* styler, QWidget* parent)
    : MainView(std::make_unique<ColorizationModelsGroup>(folders, true, styler), parent)
{
    setFileAboutToBeDropped(fileAboutToBeDropped);
}

MainView::MainView(ScreenshotScenario scenario, QWidget* parent)
    : MainView(ScreenshotSceneBuilder::buildGroup(scenario), parent)
{
}

MainView::MainView(std::unique_ptr<ColorizationModelsGroup> colorizers, QWidget* parent)
    : QWidget(parent)
    , colorizers_(std::move(colorizers))
{
    buildLayout();
    connect(colorizers_.get(), &ColorizationModelsGroup::modelsChanged, this, &MainView::refresh);
    connect(colorizers_.get(), &ColorizationModelsGroup::currentIndexChanged, this, &MainView::refresh);
    refresh();
}

MainView::~MainView() = default;

QList<Folder> MainView::folders() const
{
    QList<Folder> folders;
    for (const ColorizationModelsGroup::Model& model : colorizers_->models())
        folders.append(model->folder());
    return folders;
}

std::optional<Folder> MainView::currentFolder() const
{
    if (const ColorizationModelsGroup::Model current = colorizers_->currentModel())
        return current->folder();
    return std::nullopt;
}

bool MainView::isShowingDropZone() const
{
    return pages_->currentWidget() == dropZone_;
}

void MainView::buildLayout()
{
    setFixedSize(contentSize);
    setAcceptDrops(true);
    pages_ = new QStackedLayout(this);

    dropZone_ = new QFrame;
    dropZone_->setObjectName(QStringLiteral("dropZone"));
    auto* zone = new QVBoxLayout(dropZone_);
    zone->setSpacing(20);
    zone->addStretch();
    auto* hint = new QLabel(ui::localized(u"drag_drop_here"_key));
    hint->setAlignment(Qt::AlignCenter);
    hint->setForegroundRole(QPalette::PlaceholderText);
    zone->addWidget(hint);
    auto* select = new QPushButton(ui::localized(u"select_folder"_key));
    connect(select, &QPushButton::clicked, this, &MainView::selectFolders);
    zone->addWidget(select, 0, Qt::AlignHCenter);
    zone->addStretch();
    pages_->addWidget(dropZone_);

    foldersPage_ = new QWidget;
    auto* page = new QVBoxLayout(foldersPage_);
    folderGrid_ = new QGridLayout;
    folderGrid_->setSpacing(16);
    page->addStretch();
    page->addLayout(folderGrid_);
    page->addStretch();
    pages_->addWidget(foldersPage_);
    refresh();
}

void MainView::refresh()
{
    while (QLayoutItem* item = folderGrid_->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    const QList<ColorizationModelsGroup::Model>& models = colorizers_->models();
    const std::optional<int> current = colorizers_->currentIndex();
    for (int i = 0; i < models.size(); ++i) {
        auto* tile = new FolderTile(models.at(i), current == i);
        connect(tile, &FolderTile::clicked, colorizers_.get(), &ColorizationModelsGroup::select);
        folderGrid_->addWidget(tile, i / columns, i % columns);
    }
    pages_->setCurrentWidget(models.isEmpty() ? static_cast<QWidget*>(dropZone_) : foldersPage_);
    setFileAboutToBeDropped(fileAboutToBeDropped_);
}

void MainView::setFileAboutToBeDropped(bool hovering)
{
    fileAboutToBeDropped_ = hovering;
    dropZone_->setStyleSheet(
        hovering
            ? QStringLiteral("QFrame#dropZone { border: 3px dashed palette(mid); border-radius: 12px; margin: 20px; }")
            : QString());
}

void MainView::dragEnterEvent(QDragEnterEvent* event)
{
    if (droppedFolders(event->mimeData()).isEmpty())
        return;
    event->acceptProposedAction();
    setFileAboutToBeDropped(true);
}

void MainView::dragLeaveEvent(QDragLeaveEvent*)
{
    setFileAboutToBeDropped(false);
}

void MainView::dropEvent(QDropEvent* event)
{
    setFileAboutToBeDropped(false);
    const QList<Folder> folders = droppedFolders(event->mimeData());
    if (folders.isEmpty())
        return;
    event->acceptProposedAction();
    colorizers_->addFolders(folders);
}

void MainView::confirmAndAddFolders(const QList<Folder>& folders)
{
    if (folders.isEmpty())
        return;
    const QString start = QFileInfo(folders.first().path()).absolutePath();
    const QList<Folder> chosen = runDirectoryPanel(ui::localized(u"confirm_folders_edit"_key), start);
    if (chosen.isEmpty())
        return;
    colorizers_->addFolders(chosen);
    if (chosen.size() == 1)
        colorizers_->select(chosen.first());
}

void MainView::selectFolders()
{
    const QList<Folder> chosen = runDirectoryPanel(QString(), QDir::homePath());
    if (!chosen.isEmpty())
        colorizers_->addFolders(chosen);
}

// A modal panel that chooses directories only, several at once. Qt's own dialog is used because the
// portal and native dialogs choose at most one directory. Empty when the user cancels.
QList<Folder> MainView::runDirectoryPanel(const QString& message, const QString& startDirectory)
{
    QFileDialog panel(this, message, startDirectory);
    panel.setFileMode(QFileDialog::Directory);
    panel.setOption(QFileDialog::ShowDirsOnly, true);
    panel.setOption(QFileDialog::DontUseNativeDialog, true);
    for (QAbstractItemView* view : panel.findChildren<QAbstractItemView*>()) {
        if (qobject_cast<QListView*>(view) || qobject_cast<QTreeView*>(view))
            view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    }
    Q_EMIT directoryPanelOpened(&panel);
    if (panel.exec() != QDialog::Accepted)
        return {};
    return foldersOf(panel.selectedUrls());
}

} // namespace pigmo
