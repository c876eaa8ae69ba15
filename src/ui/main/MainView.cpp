#include "ui/main/MainView.h"

#include "catalogue/IconsModel.h"
#include "services/ApplyJob.h"
#include "services/LocalizationManager.h"
#include "services/PalettesManager.h"
#include "smart/SmartIconService.h"
#include "storage/ColorizationHistoryStore.h"
#include "ui/Localized.h"
#include "ui/controls/BundleImage.h"
#include "ui/controls/ControlStyle.h"
#include "ui/controls/LocalizedText.h"
#include "ui/controls/MainToolbar.h"
#include "ui/controls/WidgetRemoval.h"
#include "ui/editor/FolderColorizerView.h"
#include "ui/editor/PillButton.h"
#include "ui/history/HistoryView.h"
#include "ui/main/ApplySequencer.h"
#include "ui/main/BottomBar.h"

#include <QDragEnterEvent>
#include <QFileDialog>
#include <QFrame>
#include <QHBoxLayout>
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
        if (previewColumn_->isVisible() || page() == Page::editor)
            previewColumn_->setPreviews(FolderPreviewColumn::previewsOf(*colorizers_));
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
    column->addWidget(makeToolbar(services));
    pages_ = new QStackedLayout;
    column->addLayout(pages_, 1);
    settingsPage_ = new QWidget;
    historyPage_ = new QWidget;
    pages_->addWidget(settingsPage_);
    pages_->addWidget(historyPage_);
    dropZone_ = new DropZone(services.localization, [this] { selectFolders(); });
    pages_->addWidget(dropZone_);
    pages_->addWidget(makeEditor(services));
    overlay_ = new ApplyAnimationOverlay(this);
    overlay_->setStackOffset(20);
    sequencer_ = std::make_unique<ApplySequencer>(*overlay_, services.localization);
}

QWidget* MainView::makeToolbar(const EditorServices& services)
{
    auto* bar = new QWidget;
    bar->setFixedHeight(toolbarHeight);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(8, 4, 8, 4);
    backButton_ = new QToolButton;
    backButton_->setAutoRaise(true);
    setLocalizedAccessibleName(*backButton_, services.localization, u"onboarding_back"_key, true);
    if (const std::optional<TemplateImage> arrow = loadBundleSVGImage(QStringLiteral("arrow-left")))
        backButton_->setIcon(arrow->pixmap(QSize(16, 16), ui::primaryColor(*this), devicePixelRatioF()));
    backButton_->setIconSize(QSize(16, 16));
    backButton_->setStyleSheet(QStringLiteral("QToolButton { padding: 0 6px; border: none; }"));
    connect(backButton_, &QToolButton::clicked, this, &MainView::askToDiscard);
    row->addWidget(backButton_);
    row->addStretch();
    toolbar_ = new MainToolbar({[this] { return isSettingsOpened_; }, [this](bool v) { setSettingsOpened(v); }},
                               {[this] { return isHistoryOpened_; }, [this](bool v) { setHistoryOpened(v); }},
                               services.localization);
    row->addWidget(toolbar_);
    row->addStretch();
    // Balances the back button so that the toolbar stays centred.
    auto* balance = new QWidget;
    balance->setFixedWidth(backButton_->sizeHint().width());
    row->addWidget(balance);
    return bar;
}

QWidget* MainView::makeEditor(const EditorServices& services)
{
    editor_ = new QWidget;
    auto* row = new QHBoxLayout(editor_);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    previewColumn_ = new FolderPreviewColumn(previewActions(), services.localization);
    previewColumn_->setFixedWidth(int(contentSize.width() * previewShare));
    row->addWidget(previewColumn_);
    auto* divider = new QFrame;
    divider->setFrameShape(QFrame::VLine);
    divider->setFrameShadow(QFrame::Plain);
    divider->setStyleSheet(QStringLiteral("color: palette(mid);"));
    auto* dividerBox = new QVBoxLayout;
    dividerBox->setContentsMargins(0, 0, 0, 20);
    dividerBox->addWidget(divider);
    row->addLayout(dividerBox);

    editorPane_ = new QWidget;
    auto* pane = new QVBoxLayout(editorPane_);
    pane->setContentsMargins(0, 0, 0, 20);
    pane->setSpacing(8);
    auto* barBox = new QHBoxLayout;
    barBox->setContentsMargins(16, 0, 16, 0);
    bottomBar_ = new BottomBar([this] { saveDesigns(); }, [this] { applyAll(); }, services.localization);
    barBox->addWidget(bottomBar_);
    pane->addLayout(barBox);
    row->addWidget(editorPane_, 1);
    return editor_;
}

FolderPreviewColumn::Actions MainView::previewActions()
{
    const auto folderOf = [](const PreviewData& p) { return Folder::unchecked(p.url.toLocalFile()); };
    const auto smartIcon = [](const ColorizationModelsGroup::Model& model) {
        if (model)
            model->runSmartWorkflow();
    };
    ColorizationModelsGroup& group = *colorizers_;
    return {
        [&group, folderOf](const PreviewData& p) { group.remove(folderOf(p)); },
        [&group, folderOf](const PreviewData& p) { group.select(folderOf(p)); },
        [&group](const QList<QUrl>& urls) { group.addFolders(Folder::fromUrls(urls)); },
        [&group] { group.copyColorFromCurrent(); },
        [&group] { group.copyIconFromCurrent(); },
        [&group, folderOf](const PreviewData& p) { group.randomize(folderOf(p)); },
        [this, folderOf](const PreviewData& p) { reset(folderOf(p)); },
        [&group, folderOf, smartIcon](const PreviewData& p) { smartIcon(group.modelOf(folderOf(p))); },
        [&group, smartIcon] { smartIcon(group.currentModel()); },
        [&group] { group.spreadColors(); },
        [this] { resetAll(); },
    };
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
        auto* history = new HistoryView(services_.history, services_.localization);
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
    backButton_->setVisible(!isSettingsOpened_ && !isHistoryOpened_ && !colorizers_->models().isEmpty());
    toolbar_->refresh();
    if (shown == Page::editor)
        refreshEditor();
    setFileAboutToBeDropped(fileAboutToBeDropped_);
}

// Shows the current folder's pane (rebuilt only when the current folder changed) and the previews.
void MainView::refreshEditor()
{
    previewColumn_->setPreviews(FolderPreviewColumn::previewsOf(*colorizers_));
    bottomBar_->setFolderCount(int(colorizers_->models().size()));
    const ColorizationModelsGroup::Model current = colorizers_->currentModel();
    editorPane_->setVisible(bool(current));
    if (current == shownModel_.lock() && colorizerView_)
        return;
    ui::discard(colorizerView_);
    colorizerView_ = nullptr;
    shownModel_ = current;
    if (!current)
        return;
    colorizerView_ = new FolderColorizerView(current, *colorizers_, services_);
    static_cast<QVBoxLayout*>(editorPane_->layout())->insertWidget(0, colorizerView_, 1);
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
    bottomBar_->showState(isLoading_, isSuccess_);
    previewColumn_->resetButton()->setEnabled(!loading);
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

// Ends on the checkmark when every folder took its icon, else on a failure badge naming the others.
void MainView::finishApply(int generation, const QList<Folder>& failures)
{
    lastApplyFailures_ = failures;
    QStringList names;
    for (const Folder& failed : failures)
        names.append(failed.name());
    sequencer_->finish(generation, names);
    setLoading(false);
    Q_EMIT applyFinished();
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
    bottomBar_->showState(isLoading_, isSuccess_);
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
