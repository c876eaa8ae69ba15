#include "ui/editor/FolderColorizerView.h"

#include "base/Executors.h"
#include "base/Log.h"
#include "base/Result.h"
#include "render/IconImage.h"
#include "services/ColorizationModelsGroup.h"
#include "services/ColorizationViewModel.h"
#include "services/LocalizationManager.h"
#include "ui/Localized.h"
#include "ui/controls/ControlStyle.h"
#include "ui/controls/LocalizedText.h"
#include "ui/controls/WidgetRemoval.h"
#include "ui/editor/ColorTab.h"
#include "ui/editor/DashedOutline.h"
#include "ui/editor/DetailsTab.h"
#include "ui/editor/IconTab.h"
#include "ui/editor/LazyImageCache.h"
#include "ui/editor/TabLabel.h"

#include <QDragEnterEvent>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QImageReader>
#include <QMimeData>
#include <QMimeDatabase>
#include <QPointer>
#include <QPromise>
#include <QVBoxLayout>

namespace pigmo {
namespace {

const QString couldNotConvertItemToURL = QStringLiteral("Could not convert item to URL");
const QString couldNotLoadImageData = QStringLiteral("Could not load image data");
const QString couldNotCreateImage = QStringLiteral("Could not create image from data");
constexpr int maximumDroppedImageBytes = 256 * 1024 * 1024;

// What a drop hands over, taken on the GUI thread: the first URL, or the image itself.
struct DroppedImage {
    std::optional<QUrl> url;
    QImage image;
};

DroppedImage takeDroppedImage(const QMimeData& data)
{
    if (data.hasUrls() && !data.urls().isEmpty())
        return {data.urls().first(), {}};
    return {std::nullopt, data.hasImage() ? qvariant_cast<QImage>(data.imageData()) : QImage()};
}

// Off the GUI thread: the dropped picture as a custom glyph. `nothing` when the image loaded but is no glyph.
Result<std::optional<Icon>> loadDroppedIcon(const DroppedImage& dropped)
{
    QImage image = dropped.image;
    if (dropped.url) {
        if (!dropped.url->isLocalFile())
            return Result<std::optional<Icon>>::failure(couldNotConvertItemToURL);
        QImageReader reader(dropped.url->toLocalFile());
        reader.setAllocationLimit(maximumDroppedImageBytes / (1024 * 1024));
        image = reader.read();
        if (image.isNull())
            return Result<std::optional<Icon>>::failure(
                reader.error() == QImageReader::FileNotFoundError ? couldNotLoadImageData : couldNotCreateImage);
    } else if (image.isNull()) {
        return Result<std::optional<Icon>>::failure(couldNotLoadImageData);
    }
    return iconFromCustomImage(image);
}

} // namespace

// The tab content: takes image drags and drops, and while an image hovers draws the dashed outline over its
// (dimmed) child.
class FolderColorizerView::DropArea : public QWidget {
public:
    explicit DropArea(FolderColorizerView& pane)
        : pane_(pane)
    {
        setAcceptDrops(true);
    }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override
    {
        if (!carriesImage(*event->mimeData()))
            return event->ignore();
        event->acceptProposedAction();
        pane_.setFileDragging(true);
    }
    void dragMoveEvent(QDragMoveEvent* event) override
    {
        if (carriesImage(*event->mimeData()))
            event->acceptProposedAction();
    }
    void dragLeaveEvent(QDragLeaveEvent*) override { pane_.setFileDragging(false); }
    void dropEvent(QDropEvent* event) override
    {
        pane_.setFileDragging(false);
        if (pane_.handleImageDrop(*event->mimeData()))
            event->acceptProposedAction();
    }
    void paintEvent(QPaintEvent*) override {}

private:
    FolderColorizerView& pane_;
};

FolderColorizerView::FolderColorizerView(std::shared_ptr<ColorizationViewModel> colorizer,
                                         ColorizationModelsGroup& colorizers, const EditorServices& services,
                                         QWidget* parent)
    : QWidget(parent)
    , colorizer_(std::move(colorizer))
    , colorizers_(colorizers)
    , services_(services)
    , glyphImages_(std::make_unique<LazyImageCache>(services.executors.cpu()))
{
    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(16);

    LocalizationManager* localization = &services_.localization;
    tabBar_ = makeTabBar<Tab>(
        {[this] { return currentTab_; }, [this](const Tab& tab) { setCurrentTab(tab); }},
        {Tab::color, Tab::icon, Tab::details},
        [localization](const Tab& tab) { return localization->string(key(tab)); },
        TabLabel{ui::systemFont(13), QMarginsF(16, 8, 16, 8), true, 8});
    setLocalizedAccessibleName(*tabBar_, *localization, u"folder_style"_key);
    connect(localization, &LocalizationManager::currentLanguageChanged, tabBar_, [this] {
        tabBar_->updateGeometry();
        tabBar_->update();
    });
    auto* barRow = new QHBoxLayout;
    barRow->addStretch(1);
    barRow->addWidget(tabBar_);
    barRow->addStretch(1);
    stack->addLayout(barRow);

    content_ = new DropArea(*this);
    auto* contentLayout = new QVBoxLayout(content_);
    contentLayout->setContentsMargins(0, 0, 0, 0);
    stack->addWidget(content_, 1);

    // The custom sub-tab shows a glyph dropped while it is open.
    connect(colorizer_.get(), &ColorizationViewModel::styleChanged, this, [this] {
        if (IconTab* tab = iconTab())
            tab->refresh();
    });
    connect(&colorizers_, &ColorizationModelsGroup::changed, this, [this] { update(); });
    showTab();
}

FolderColorizerView::~FolderColorizerView() = default;

QString FolderColorizerView::key(Tab tab)
{
    switch (tab) {
    case Tab::color:
        return u"color"_key;
    case Tab::icon:
        return u"icon"_key;
    case Tab::details:
        return u"details"_key;
    }
    return {};
}

bool FolderColorizerView::carriesImage(const QMimeData& data)
{
    if (data.hasUrls()) {
        const QList<QUrl> urls = data.urls();
        if (urls.isEmpty() || !urls.first().isLocalFile())
            return false;
        static const QMimeDatabase types;
        return types.mimeTypeForFile(urls.first().toLocalFile(), QMimeDatabase::MatchExtension)
            .name()
            .startsWith(QStringLiteral("image/"));
    }
    return data.hasImage();
}

void FolderColorizerView::setCurrentTab(Tab tab)
{
    if (tab == currentTab_ && tabView_)
        return;
    currentTab_ = tab;
    showTab();
    tabBar_->update();
}

void FolderColorizerView::showTab()
{
    // The tab left behind goes with its state (the icon tab's search text among it).
    ui::discard(tabView_);
    ColorizationViewModel* model = colorizer_.get();
    switch (currentTab_) {
    case Tab::color:
        tabView_ = new ColorTab(colorizer_, services_.history, services_.localization);
        break;
    case Tab::icon:
        tabView_ = new IconTab(
            {[model] { return model->icon(); }, [model](const std::optional<Icon>& icon) { model->setIcon(icon); }},
            model->folder().name(), services_, glyphImages_.get());
        break;
    case Tab::details:
        tabView_ = new DetailsTab(colorizer_, services_.palettes, services_.localization);
        break;
    }
    setLocalizedAccessibleName(*tabView_, services_.localization, key(currentTab_));
    content_->layout()->addWidget(tabView_);
    setFileDragging(isFileDragging_);
}

void FolderColorizerView::setFileDragging(bool dragging)
{
    isFileDragging_ = dragging;
    if (dragging) {
        auto* dim = new QGraphicsOpacityEffect(tabView_);
        dim->setOpacity(draggingOpacity);
        tabView_->setGraphicsEffect(dim);
    } else if (tabView_) {
        tabView_->setGraphicsEffect(nullptr);
    }
    auto* outline = content_->findChild<DashedOutline*>(QString(), Qt::FindDirectChildrenOnly);
    if (dragging && !outline)
        new DashedOutline(content_, outlineInset, 0.2);
    else if (!dragging)
        delete outline;
}

bool FolderColorizerView::handleImageDrop(const QMimeData& data)
{
    if (!carriesImage(data))
        return false;
    const DroppedImage dropped = takeDroppedImage(data);
    auto promise = std::make_shared<QPromise<Result<std::optional<Icon>>>>();
    auto* watcher = new QFutureWatcher<Result<std::optional<Icon>>>(colorizer_.get());
    // The load holds the view model until it ends, also when the pane goes first.
    connect(watcher, &QFutureWatcherBase::finished, colorizer_.get(),
            [watcher, model = colorizer_, pane = QPointer<FolderColorizerView>(this)] {
                const Result<std::optional<Icon>> loaded = watcher->result();
                watcher->deleteLater();
                if (!loaded)
                    log::print(QStringLiteral("Error loading dropped icon: ") + loaded.error());
                else if (*loaded)
                    model->setIcon(*loaded);
                if (pane)
                    Q_EMIT pane->imageDropFinished();
            });
    watcher->setFuture(promise->future());
    promise->start();
    services_.executors.io().start([dropped, promise] {
        promise->addResult(loadDroppedIcon(dropped));
        promise->finish();
    });
    return true;
}

QWidget* FolderColorizerView::tabContent() const
{
    return content_;
}

ColorTab* FolderColorizerView::colorTab() const
{
    return qobject_cast<ColorTab*>(tabView_);
}

IconTab* FolderColorizerView::iconTab() const
{
    return qobject_cast<IconTab*>(tabView_);
}

DetailsTab* FolderColorizerView::detailsTab() const
{
    return qobject_cast<DetailsTab*>(tabView_);
}

} // namespace pigmo
