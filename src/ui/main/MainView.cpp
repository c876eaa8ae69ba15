#include "ui/main/MainView.h"

#include "catalogue/IconsModel.h"
#include "services/ApplyJob.h"
#include "services/LocalizationManager.h"
#include "services/PalettesManager.h"
#include "smart/SmartIconService.h"
#include "storage/ColorizationHistoryStore.h"
#include "ui/Localized.h"
#include "ui/controls/ControlStyle.h"
#include "ui/controls/MainToolbar.h"
#include "ui/controls/WidgetRemoval.h"
#include "ui/editor/FolderColorizerView.h"
#include "ui/editor/PillButton.h"
#include "ui/history/HistoryView.h"
#include "ui/main/ApplySequencer.h"
#include "ui/main/BottomBar.h"

#include <QDragEnterEvent>
#include <QFileDialog>
#include <QMessageBox>
#include <QMimeData>
#include <QStackedLayout>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace pigmo {
namespace {

QList<Folder> droppedFolders(const QMimeData* mime)
{
    return mime && mime->hasUrls() ? Folder::fromUrls(mime->urls()) : QList<Folder>();
}

} // namespace

MainView::MainView(const QList<Folder>& folders, bool fileAboutToBeDropped, FolderStyler* styler,
                   const EditorServices& services, QWidget* parent)
    : MainView(std::make_unique<ColorizationModelsGroup>(folders, true, services.colorization(styler)), services,
               parent)
{
    setFileAboutToBeDropped(fileAboutToBeDropped);
}

MainView::MainView(ScreenshotScenario scenario, const EditorServices& services, QWidget* parent)
    : MainView(ScreenshotSceneBuilder::buildGroup(scenario, services), services, parent)
{
}

MainView::MainView(std::unique_ptr<ColorizationModelsGroup> colorizers, const EditorServices& services, QWidget* parent)
    : QWidget(parent)
    , services_(services)
    , colorizers_(std::move(colorizers))
    , dialogs_(*this, services.localization)
    , designSaver_(*this, services.localization, dialogs_)
{
    connect(&dialogs_, &WindowDialogs::panelOpened, this, &MainView::directoryPanelOpened);
    connect(&dialogs_, &WindowDialogs::questionOpened, this, &MainView::questionOpened);
    buildLayout(services);
    connect(colorizers_.get(), &ColorizationModelsGroup::modelsChanged, this, &MainView::route);
    connect(colorizers_.get(), &ColorizationModelsGroup::currentIndexChanged, this, &MainView::route);
    connect(colorizers_.get(), &ColorizationModelsGroup::changed, this, [this] {
        if (editor_->previewColumn()->isVisible() || page() == Page::editor)
            editor_->previewColumn()->setPreviews(FolderPreviewColumn::previewsOf(*colorizers_));
    });
    connect(this, &MainView::pigmoTestApplyAnimation, this, &MainView::playTestApplyAnimation);
    route();
}

MainView::~MainView() = default;

QList<Folder> MainView::folders() const
{
    QList<Folder> folders;
    for (const ColorizationModelsGroup::Model& model : colorizers_->models())
        folders.append(model->folder());
    return folders;
}

FolderColorizerView* MainView::colorizerView() const
{
    return colorizerView_;
}

std::optional<Folder> MainView::currentFolder() const
{
    if (const ColorizationModelsGroup::Model current = colorizers_->currentModel())
        return current->folder();
    return std::nullopt;
}

// --- Layout and routing

void MainView::buildLayout(const EditorServices& services)
{
    setFixedSize(contentSize);
    setAcceptDrops(true);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    toolbar_ = new MainToolbar({[this] { return isSettingsOpened_; }, [this](bool v) { setSettingsOpened(v); }},
                               {[this] { return isHistoryOpened_; }, [this](bool v) { setHistoryOpened(v); }},
                               services.localization);
    titleBar_ = new TitleBar(
        toolbar_, [this] { askToDiscard(); }, services.localization, toolbarHeight, this);
    column->addWidget(titleBar_);
    pages_ = new QStackedLayout;
    column->addLayout(pages_, 1);
    settingsPage_ = new QWidget;
    historyPage_ = new QWidget;
    pages_->addWidget(settingsPage_);
    pages_->addWidget(historyPage_);
    dropZone_ = new DropZone(services.localization, [this] { selectFolders(); });
    pages_->addWidget(dropZone_);
    editor_ = new EditorPage(*colorizers_,
                             {[this](const Folder& folder) { reset(folder); }, [this] { resetAll(); },
                              [this] { saveDesigns(); }, [this] { applyAll(); }},
                             services.localization, services.executors, int(contentSize.width() * previewShare));
    pages_->addWidget(editor_);
    overlay_ = new ApplyAnimationOverlay(this);
    overlay_->setStackOffset(20);
    sequencer_ = std::make_unique<ApplySequencer>(*overlay_, services.localization);
}

MainView::Page MainView::page() const
{
    if (isSettingsOpened_)
        return Page::settings;
    if (isHistoryOpened_)
        return Page::history;
    return colorizers_->models().isEmpty() ? Page::dropZone : Page::editor;
}

void MainView::setSettingsOpened(bool opened)
{
    isSettingsOpened_ = opened;
    route();
}

// The history page is made when it is first opened: it loads the history in the background then.
void MainView::setHistoryOpened(bool opened)
{
    if (opened && !historyPageSet_) {
        auto* history = new HistoryView(services_.history, services_.localization, services_.executors);
        connect(history, &HistoryView::folderSelected, this, &MainView::openFromHistory);
        setHistoryPage(history);
    }
    isHistoryOpened_ = opened;
    route();
}

void MainView::setSettingsPage(QWidget* page)
{
    replacePage(settingsPage_, page);
    route();
}

void MainView::setHistoryPage(QWidget* page)
{
    replacePage(historyPage_, page);
    historyPageSet_ = true;
    route();
}

// The new page takes the old one's place in the stack, so that the stack lays it out and shows it only when
// it is current; the old page goes once its pending events are delivered.
void MainView::replacePage(QWidget*& slot, QWidget* page)
{
    pages_->insertWidget(pages_->indexOf(slot), page);
    pages_->removeWidget(slot);
    slot->hide();
    slot->deleteLater();
    slot = page;
}

void MainView::route()
{
    const Page shown = page();
    QWidget* const pages[] = {settingsPage_, historyPage_, dropZone_, editor_};
    pages_->setCurrentWidget(pages[int(shown)]);
    titleBar_->backButton()->setVisible(!isSettingsOpened_ && !isHistoryOpened_ && !colorizers_->models().isEmpty());
    toolbar_->refresh();
    if (shown == Page::editor)
        refreshEditor();
    setFileAboutToBeDropped(fileAboutToBeDropped_);
}

// Shows the current folder's pane (rebuilt only when the current folder changed) and the previews.
void MainView::refreshEditor()
{
    editor_->previewColumn()->setPreviews(FolderPreviewColumn::previewsOf(*colorizers_));
    editor_->bottomBar()->setFolderCount(int(colorizers_->models().size()));
    const ColorizationModelsGroup::Model current = colorizers_->currentModel();
    editor_->pane()->setVisible(bool(current));
    if (current == shownModel_.lock() && colorizerView_)
        return;
    ui::discard(colorizerView_);
    colorizerView_ = nullptr;
    shownModel_ = current;
    if (!current)
        return;
    colorizerView_ = new FolderColorizerView(current, *colorizers_, services_);
    editor_->showEditor(colorizerView_);
    setLoading(isLoading_);
}

void MainView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    overlay_->setGeometry(rect());
}

// --- The drop zone and folders coming in

void MainView::setFileAboutToBeDropped(bool hovering)
{
    fileAboutToBeDropped_ = hovering;
    dropZone_->setMarked(hovering && page() == Page::dropZone);
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
    // Taken only with a local folder in it, as at the drag's entry: web links and lone files are refused.
    if (droppedFolders(event->mimeData()).isEmpty())
        return event->ignore();
    event->acceptProposedAction();
    handleDrop(event->mimeData()->urls());
}

void MainView::handleDrop(const QList<QUrl>& urls)
{
    const QList<Folder> folders = Folder::fromUrls(urls);
    if (!folders.isEmpty())
        colorizers_->addFolders(folders);
}

void MainView::selectFolders()
{
    const QList<Folder> chosen = dialogs_.chooseFolders();
    if (!chosen.isEmpty())
        colorizers_->addFolders(chosen);
}

void MainView::confirmAndAddFolders(const QList<Folder>& incoming)
{
    const QList<Folder> chosen = dialogs_.confirmFolders(incoming);
    if (chosen.isEmpty())
        return;
    colorizers_->addFolders(chosen);
    if (chosen.size() == 1)
        colorizers_->select(chosen.first());
}

void MainView::openFromHistory(const Folder& folder)
{
    colorizers_->addFolders({folder});
    colorizers_->select(folder);
    setHistoryOpened(false);
}

void MainView::askToDiscard()
{
    if (!discardAlert_)
        discardAlert_ = dialogs_.askToDiscard([this] { discardAll(); });
}

void MainView::discardAll()
{
    for (const Folder& folder : folders())
        colorizers_->remove(folder);
}

// --- Bulk actions

void MainView::reset(const Folder& folder)
{
    if (isLoading_)
        return;
    if (const ColorizationModelsGroup::Model model = colorizers_->modelOf(folder))
        model->resetFolderIcon([](bool) {});
}

void MainView::resetAll()
{
    if (!isLoading_)
        colorizers_->resetAll();
}

// --- Applying

void MainView::setLoading(bool loading)
{
    isLoading_ = loading;
    editor_->bottomBar()->showState(isLoading_, isSuccess_);
    editor_->previewColumn()->resetButton()->setEnabled(!loading);
    if (colorizerView_) {
        colorizerView_->setAttribute(Qt::WA_TransparentForMouseEvents, loading);
        ui::setOpacity(*colorizerView_, loading ? 0.8 : 1.0);
    }
}

void MainView::applyAll()
{
    if (isLoading_)
        return;
    const QList<ColorizationModelsGroup::Model> models = colorizers_->models();
    setLoading(true);
    if (models.isEmpty()) {
        QTimer::singleShot(0, this, [this] {
            setLoading(false);
            Q_EMIT applyFinished();
        });
        return;
    }
    QList<ApplyAnimationItem> items;
    QList<Folder> animated;
    for (const ColorizationModelsGroup::Model& model : models.mid(0, ApplyTimings::maximumItems)) {
        ApplyAnimationItem item;
        if (model->smartLoadingState() != SmartLoadingState::loading)
            item.after = model->image();
        items.append(item);
        animated.append(model->folder());
    }
    const int generation = sequencer_->run(items);
    if (applyJob_)
        applyJob_.release()->deleteLater(); // it may still be delivering its end
    applyJob_ = std::make_unique<ApplyJob>(models, colorizers_->styler());
    connect(applyJob_.get(), &ApplyJob::iconsBefore, this,
            [this, generation](const QList<QImage>& icons) { sequencer_->setBeforeImages(generation, icons); });
    connect(applyJob_.get(), &ApplyJob::finished, this,
            [this, generation](const QList<Folder>& failures) { finishApply(generation, failures); });
    applyJob_->start(animated);
}

// Ends on the checkmark when every folder took its icon, else on a failure badge naming the others; an alert
// follows when the apply's history cannot be written (its batch has ended: its write is handed over).
void MainView::finishApply(int generation, const QList<Folder>& failures)
{
    services_.history.whenWritten(this, [this](const Done& written) {
        if (!written)
            sayHistoryNotWritten(written.error());
    });
    lastApplyFailures_ = failures;
    QStringList names;
    for (const Folder& failed : failures)
        names.append(failed.name());
    sequencer_->finish(generation, names);
    setLoading(false);
    Q_EMIT applyFinished();
}

void MainView::sayHistoryNotWritten(const QString& error)
{
    if (historyAlert_)
        return;
    const QString title = services_.localization.string(u"history_not_saved"_key);
    auto* alert = new QMessageBox(QMessageBox::Warning, title, title, QMessageBox::Ok, this);
    alert->setInformativeText(services_.localization.string(u"history_saved_with_next_change"_key));
    alert->setDetailedText(error);
    alert->setAttribute(Qt::WA_DeleteOnClose);
    historyAlert_ = alert;
    alert->open();
}

void MainView::playTestApplyAnimation()
{
    setSettingsOpened(false);
    sequencer_->playSample();
}

// --- Saving designs

void MainView::setSuccess(bool success)
{
    isSuccess_ = success;
    editor_->bottomBar()->showState(isLoading_, isSuccess_);
}

// Each success keeps the badge up for its full time: an earlier success's timer never hides a later one.
void MainView::showSaveSuccess()
{
    const int generation = ++successGeneration_;
    setSuccess(true);
    QTimer::singleShot(successDisplayMilliseconds, this, [this, generation] {
        if (generation == successGeneration_)
            setSuccess(false);
    });
}

void MainView::saveDesigns()
{
    if (designSaver_.save(colorizers_->models()))
        showSaveSuccess();
}

} // namespace pigmo
