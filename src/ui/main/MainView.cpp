#include "ui/main/MainView.h"

#include "render/ColorizationService.h"
#include "services/LocalizationManager.h"
#include "storage/ExtendedAttributesManager.h"
#include "ui/Localized.h"

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
constexpr int previewSide = 128;
constexpr int columns = 5;

// The dragged URLs that name existing local directories, in order.
QList<QUrl> droppedFolders(const QMimeData* mime)
{
    QList<QUrl> folders;
    if (!mime || !mime->hasUrls())
        return folders;
    for (const QUrl& url : mime->urls()) {
        if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isDir())
            folders.append(url);
    }
    return folders;
}

// The folder's stored style, else the default one.
ColorizationData storedStyle(const QUrl& folder)
{
    if (std::optional<ColorizationData> stored = ExtendedAttributesManager::shared().readSettings(folder))
        return *stored;
    return ColorizationData{HSL{195, 100, 50}, 0.6, std::nullopt, 170.0, IconStyle::vibrant()};
}

QString folderName(const QUrl& url)
{
    return QFileInfo(url.toLocalFile()).fileName();
}

} // namespace

MainView::MainView(const QList<QUrl>& urls, bool fileAboutToBeDropped, QWidget* parent)
    : QWidget(parent)
    , fileAboutToBeDropped_(fileAboutToBeDropped)
{
    buildLayout();
    addFolders(urls);
}

MainView::MainView(ScreenshotScenario scenario, QWidget* parent)
    : QWidget(parent)
{
    buildLayout();
    const std::optional<StringTable> names =
        StringTable::load(LocalizationManager::shared().currentLanguage(), QStringLiteral("Screenshots"));
    QList<QUrl> urls;
    for (const DemoScene& scene : ScreenshotSceneBuilder::buildScenes(
             scenario, [&names](const QString& key) { return names ? names->text(key) : key; })) {
        urls.append(scene.first);
        styles_.insert(scene.first, scene.second);
    }
    addFolders(urls);
}

MainView::~MainView() = default;

QList<QUrl> MainView::folderURLs() const
{
    return folders_;
}

std::optional<QUrl> MainView::currentFolder() const
{
    if (!currentIndex_ || *currentIndex_ >= folders_.size())
        return std::nullopt;
    return folders_.at(*currentIndex_);
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
    auto* hint = new QLabel(ui::localized(QStringLiteral("drag_drop_here")));
    hint->setAlignment(Qt::AlignCenter);
    hint->setForegroundRole(QPalette::PlaceholderText);
    zone->addWidget(hint);
    auto* select = new QPushButton(ui::localized(QStringLiteral("select_folder")));
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

void MainView::addFolders(const QList<QUrl>& urls)
{
    const QList<QUrl> present = folders_;
    for (const QUrl& url : urls) {
        if (!present.contains(url))
            folders_.append(url);
    }
    if (!currentIndex_ && !folders_.isEmpty())
        currentIndex_ = 0;
    refresh();
}

QPixmap MainView::previewOf(const QUrl& folder)
{
    if (!styles_.contains(folder))
        styles_.insert(folder, storedStyle(folder));
    const std::optional<QImage> image = ColorizationService::generateIcon(styles_.value(folder));
    if (!image)
        return {};
    return QPixmap::fromImage(image->scaled(previewSide, previewSide, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

void MainView::select(const QUrl& url)
{
    const qsizetype index = folders_.indexOf(url);
    if (index >= 0)
        currentIndex_ = index;
    refresh();
}

void MainView::refresh()
{
    while (QLayoutItem* item = folderGrid_->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    for (qsizetype i = 0; i < folders_.size(); ++i) {
        auto* tile = new QWidget;
        auto* tileLayout = new QVBoxLayout(tile);
        auto* preview = new QLabel;
        preview->setPixmap(previewOf(folders_.at(i)));
        preview->setAlignment(Qt::AlignCenter);
        auto* name = new QLabel(folderName(folders_.at(i)));
        name->setAlignment(Qt::AlignCenter);
        QFont font = name->font();
        font.setBold(currentIndex_ == i);
        name->setFont(font);
        tileLayout->addWidget(preview);
        tileLayout->addWidget(name);
        folderGrid_->addWidget(tile, static_cast<int>(i / columns), static_cast<int>(i % columns));
    }
    pages_->setCurrentWidget(folders_.isEmpty() ? dropZone_ : foldersPage_);
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
    const QList<QUrl> folders = droppedFolders(event->mimeData());
    if (folders.isEmpty())
        return;
    event->acceptProposedAction();
    addFolders(folders);
}

void MainView::confirmAndAddFolders(const QList<QUrl>& urls)
{
    if (urls.isEmpty())
        return;
    const QString start = QFileInfo(urls.first().toLocalFile()).absolutePath();
    const QList<QUrl> chosen = runDirectoryPanel(ui::localized(QStringLiteral("confirm_folders_edit")), start);
    if (chosen.isEmpty())
        return;
    addFolders(chosen);
    if (chosen.size() == 1)
        select(chosen.first());
}

void MainView::selectFolders()
{
    const QList<QUrl> chosen = runDirectoryPanel(QString(), QDir::homePath());
    if (!chosen.isEmpty())
        addFolders(chosen);
}

// A modal panel that chooses directories only, several at once. Qt's own dialog is used because the
// portal and native dialogs choose at most one directory. Empty when the user cancels.
QList<QUrl> MainView::runDirectoryPanel(const QString& message, const QString& startDirectory)
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
    return panel.selectedUrls();
}

} // namespace pigmo
