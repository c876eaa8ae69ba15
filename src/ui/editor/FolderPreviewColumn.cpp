#include "ui/editor/FolderPreviewColumn.h"

#include "base/Executors.h"
#include "base/Folder.h"
#include "base/Log.h"
#include "services/ColorizationModelsGroup.h"
#include "services/FolderStyler.h"
#include "services/LocalizationManager.h"
#include "ui/Localized.h"
#include "ui/controls/ColorSwatch.h"
#include "ui/controls/ControlStyle.h"
#include "ui/controls/ElidedLabel.h"
#include "ui/controls/FocusRing.h"
#include "ui/controls/LocalizedText.h"
#include "ui/controls/PopupPlacement.h"
#include "ui/controls/Spinner.h"
#include "ui/controls/WidgetRemoval.h"
#include "ui/editor/CellGrid.h"
#include "ui/editor/DashedOutline.h"
#include "ui/editor/FolderLocation.h"
#include "ui/editor/LazyImageCache.h"
#include "ui/editor/PillButton.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QFutureWatcher>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPromise>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QVariantAnimation>

#include <cmath>

namespace pigmo {
namespace {

constexpr double thumbnailPadding = 14;
constexpr double cellPadding = 4;
constexpr double nameSpacing = 2;
constexpr double removeSide = 16;
constexpr double siblingIconPadding = 18;

double nameHeight(double pointSize)
{
    return std::ceil(QFontMetricsF(ui::systemFont(pointSize)).height());
}

// The folder's name: its path's last component.
QString folderName(const QUrl& url)
{
    const QString path = FolderLocation::standardized(url.toLocalFile());
    return path == QStringLiteral("/") ? path : path.mid(path.lastIndexOf(u'/') + 1);
}

// The file URLs a drag carries, in order; web links and other URLs are left out.
QList<QUrl> fileUrls(const QMimeData& data)
{
    QList<QUrl> files;
    if (!data.hasUrls())
        return files;
    for (const QUrl& url : data.urls()) {
        if (url.isLocalFile())
            files.append(url);
    }
    return files;
}

} // namespace

// ---- PreviewCell ----

PreviewCell::PreviewCell(PreviewData preview, LocalizationManager& localization, QWidget* parent)
    : QWidget(parent)
    , preview_(std::move(preview))
{
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    setFocusPolicy(Qt::StrongFocus);
    ui::followKeyboardFocus(*this);
    setCursor(Qt::PointingHandCursor);

    name_ = new ElidedLabel({}, Qt::ElideMiddle, this);
    name_->setFont(ui::systemFont(10));
    name_->setAlignment(Qt::AlignCenter);
    auto* remove = new SymbolButton(QStringLiteral("xmark"), removeSide, 8, this);
    remove->setSymbolOpacity(0.4);
    remove->setBackgroundOpacity(0.1);
    setLocalizedAccessibleName(*remove, localization, u"remove"_key);
    connect(remove, &QAbstractButton::clicked, this, &PreviewCell::removeClicked);
    remove_ = remove;
    spinner_ = new Spinner(22, this);
    spinner_->hide();
    markAnimation_ = new QVariantAnimation(this);
    markAnimation_->setDuration(200);
    markAnimation_->setEasingCurve(QEasingCurve::InOutQuad);
    connect(markAnimation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        markAmount_ = value.toDouble();
        update();
    });
    setPreview(preview_);
    updateMark(SmartLoadingState::idle);
}

void PreviewCell::setPreview(const PreviewData& preview)
{
    const SmartLoadingState previous = preview_.smartLoadingState;
    preview_ = preview;
    const QString name = folderName(preview_.url);
    setAccessibleName(name);
    name_->setText(name);
    name_->setToolTip(name);
    name_->setColor(ui::primary(preview_.isSelected ? 1.0 : 0.5));
    if (previous != preview_.smartLoadingState)
        updateMark(previous);
    update();
}

QRectF PreviewCell::thumbnailRect() const
{
    const double side = std::max(1.0, width() - 2 * thumbnailPadding);
    return {thumbnailPadding, cellPadding, side, side};
}

void PreviewCell::updateMark(SmartLoadingState previous)
{
    const SmartLoadingState state = preview_.smartLoadingState;
    spinner_->setVisible(state == SmartLoadingState::loading);
    placeSpinner();
    if (state == SmartLoadingState::success) {
        markAnimation_->stop();
        markAnimation_->setStartValue(0.0);
        markAnimation_->setEndValue(1.0);
        markAnimation_->start();
    } else if (previous == SmartLoadingState::success) {
        markAnimation_->stop();
        markAnimation_->setStartValue(markAmount_);
        markAnimation_->setEndValue(0.0);
        markAnimation_->start();
    }
}

void PreviewCell::placeSpinner()
{
    const QRectF thumb = thumbnailRect();
    spinner_->move(int(thumb.center().x() - spinner_->width() / 2.0),
                   int(thumb.center().y() + 5 - spinner_->height() / 2.0));
}

void PreviewCell::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const QRectF thumb = thumbnailRect();
    name_->setGeometry(2, int(thumb.bottom() + nameSpacing), width() - 4, int(nameHeight(10)));
    remove_->setGeometry(int(width() - cellPadding - removeSide), int(cellPadding), int(removeSide), int(removeSide));
    placeSpinner();
}

void PreviewCell::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (preview_.isSelected)
        painter.fillPath(ui::continuousRoundedRect(rect(), 10), ui::primaryColor(*this, 0.08));
    const QRectF thumb = thumbnailRect();
    painter.save();
    painter.setClipPath(ui::continuousRoundedRect(thumb, 4));
    if (preview_.image.isNull()) {
        painter.fillRect(thumb, ui::primaryColor(*this, 0.05));
    } else {
        const QSizeF fitted = QSizeF(preview_.image.size()).scaled(thumb.size(), Qt::KeepAspectRatio);
        painter.setOpacity(
            preview_.smartLoadingState == SmartLoadingState::loading ? FolderPreviewColumn::loadingOpacity : 1.0);
        painter.drawImage(QRectF(thumb.center() - QPointF(fitted.width() / 2, fitted.height() / 2), fitted),
                          preview_.image);
    }
    painter.restore();
    if (markAmount_ > 0) {
        // The success mark: a black disc with a white check, grown in from the centre with a fade.
        const double diameter = 26 * markAmount_;
        const QPointF centre = thumb.center() + QPointF(0, 5);
        painter.setOpacity(markAmount_);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0, 0, 0, 51));
        painter.drawEllipse(centre + QPointF(0, 1), diameter / 2 + 2, diameter / 2 + 2);
        painter.setBrush(Qt::black);
        painter.drawEllipse(centre, diameter / 2, diameter / 2);
        QPen check(Qt::white, std::max(0.5, diameter * 0.11), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        painter.setPen(check);
        const double u = diameter / 26;
        painter.drawPolyline(QList<QPointF>{centre + QPointF(-6 * u, 0.5 * u), centre + QPointF(-1.8 * u, 4.6 * u),
                                            centre + QPointF(6.2 * u, -4.6 * u)});
    }
    ui::drawFocusRing(painter, *this, rect(), 10);
}

int PreviewCell::heightForWidth(int width) const
{
    return int(std::ceil(cellPadding + std::max(1.0, width - 2 * thumbnailPadding) + nameSpacing + nameHeight(10) +
                         cellPadding));
}

QSize PreviewCell::sizeHint() const
{
    return {80, heightForWidth(80)};
}

void PreviewCell::mousePressEvent(QMouseEvent* event)
{
    event->setAccepted(event->button() == Qt::LeftButton);
}

void PreviewCell::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
}

void PreviewCell::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Space)
        return Q_EMIT clicked();
    if (event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace)
        return Q_EMIT removeClicked();
    if (event->key() == Qt::Key_Menu)
        return Q_EMIT contextMenuRequested(mapToGlobal(rect().center()));
    QWidget::keyPressEvent(event);
}

void PreviewCell::contextMenuEvent(QContextMenuEvent* event)
{
    Q_EMIT contextMenuRequested(event->globalPos());
}

// ---- FolderPreviewColumn ----

FolderPreviewColumn::FolderPreviewColumn(Actions actions, LocalizationManager& localization, Executors& executors,
                                         QWidget* parent)
    : QWidget(parent)
    , actions_(std::move(actions))
    , localization_(localization)
    , executors_(executors)
    , siblingIcons_(std::make_unique<LazyImageCache>(executors.io(), 8 * 1024 * 1024))
    , siblings_(new SiblingFolders(executors.io(), this))
{
    setAcceptDrops(true);
    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);
    locationLine_ = makeLocationLine();
    stack->addWidget(locationLine_);

    auto* content = new QWidget;
    content->setAutoFillBackground(false);
    auto* contentStack = new QVBoxLayout(content);
    contentStack->setContentsMargins(0, 0, 0, 0);
    contentStack->setSpacing(0);
    grid_ = new QGridLayout;
    grid_->setContentsMargins(12, 8, 12, 8);
    grid_->setHorizontalSpacing(12);
    grid_->setVerticalSpacing(20);
    for (int column = 0; column < columns; ++column) {
        grid_->setColumnStretch(column, 1);
        grid_->setColumnMinimumWidth(column, 10);
    }
    contentStack->addLayout(grid_);
    siblingSection_ = makeSiblingSection();
    contentStack->addWidget(siblingSection_);
    contentStack->addStretch(1);

    scroll_ = new QScrollArea;
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setFocusPolicy(Qt::NoFocus); // its controls take the focus, and it scrolls to them
    scroll_->setWidgetResizable(true);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->viewport()->setAutoFillBackground(false);
    scroll_->setWidget(content);
    stack->addWidget(scroll_, 1);

    connect(siblings_, &SiblingFolders::changed, this, &FolderPreviewColumn::updateSiblings);
    connect(siblingIcons_.get(), &LazyImageCache::imageReady, siblingGrid_, qOverload<>(&QWidget::update));
    connect(&localization_, &LocalizationManager::currentLanguageChanged, this, &FolderPreviewColumn::updateLocation);
    updateLocation();
    updateSiblings();
}

FolderPreviewColumn::~FolderPreviewColumn() = default;

QList<PreviewData> FolderPreviewColumn::previewsOf(const ColorizationModelsGroup& group)
{
    QList<PreviewData> previews;
    const std::optional<int> current = group.currentIndex();
    for (qsizetype i = 0; i < group.models().size(); ++i) {
        const ColorizationViewModel& model = *group.models()[i];
        previews.append({model.image(), model.folder().url(), current && *current == i, model.smartLoadingState()});
    }
    return previews;
}

QWidget* FolderPreviewColumn::makeLocationLine()
{
    auto* line = new QWidget;
    auto* row = new QHBoxLayout(line);
    row->setContentsMargins(14, 12, 14, 6);
    row->setSpacing(6);
    // One line, cut at its head so that the end of the path stays visible.
    location_ = new ElidedLabel({}, Qt::ElideLeft);
    location_->setFont(ui::systemFont(12, QFont::Medium));
    location_->setColor(ui::primary(0.5));
    row->addWidget(location_, 1);
    const PillButton::Look look{ui::systemFont(13, QFont::Medium), ui::primary(0.5), ui::primary(0.05),
                                QMarginsF(10, 6, 10, 6), 7};
    autoButton_ = new PillButton(QStringLiteral("wand-sparkles"), u"auto"_key, look, localization_);
    resetButton_ = new PillButton(QStringLiteral("trash-2"), u"reset"_key, look, localization_);
    colorsButton_ = new PillButton(QStringLiteral("shuffle"), u"colors"_key, look, localization_);
    connect(autoButton_, &QAbstractButton::clicked, this, [this] { actions_.onSmartIconCurrent(); });
    connect(resetButton_, &QAbstractButton::clicked, this, &FolderPreviewColumn::confirmResetAll);
    connect(colorsButton_, &QAbstractButton::clicked, this, [this] { actions_.onSmartColorAll(); });
    for (PillButton* button : {autoButton_, resetButton_, colorsButton_})
        row->addWidget(button);
    return line;
}

QWidget* FolderPreviewColumn::makeSiblingSection()
{
    auto* section = new QWidget;
    auto* layout = new QVBoxLayout(section);
    layout->setContentsMargins(0, 20, 0, 8);
    layout->setSpacing(8);
    auto* hint = new LocalizedText(localization_, u"sibling_folders_click_add"_key);
    hint->setFont(ui::systemFont(10, QFont::Medium));
    hint->setContentsMargins(14, 0, 14, 0);
    hint->setWordWrap(true);
    hint->setForeground(ui::primary(0.25));
    layout->addWidget(hint);
    const double nameLine = nameHeight(9);
    siblingGrid_ =
        new CellGrid({siblingColumns, 0, 8, 14,
                      [nameLine](double cellWidth) {
                          return 2 + std::max(1.0, cellWidth - 2 * siblingIconPadding) + 2 + nameLine + 2;
                      }},
                     [this](QPainter& painter, const QRectF& rect, int index) { paintSibling(painter, rect, index); });
    setLocalizedAccessibleName(*siblingGrid_, localization_, u"sibling_folders_click_add"_key);
    connect(siblingGrid_, &CellGrid::activated, this, [this](int index) {
        if (index >= 0 && index < shownSiblings_.size())
            actions_.addURLs({QUrl::fromLocalFile(shownSiblings_[index])});
    });
    auto* gridRow = new QHBoxLayout;
    gridRow->setContentsMargins(12, 0, 12, 0);
    gridRow->addWidget(siblingGrid_);
    layout->addLayout(gridRow);
    return section;
}

void FolderPreviewColumn::paintSibling(QPainter& painter, const QRectF& rect, int index)
{
    const QString path = shownSiblings_[index];
    painter.setOpacity(siblingOpacity);
    const QRectF inner = rect.adjusted(0, 2, 0, -2);
    const double side = std::max(1.0, inner.width() - 2 * siblingIconPadding);
    const QRectF iconRect(inner.left() + siblingIconPadding, inner.top(), side, side);
    const int pixels = int(std::ceil(side * ui::paintingPixelRatio(painter)));
    const QImage icon = siblingIcons_->image(QStringLiteral("%1@%2").arg(path).arg(pixels), [path, pixels] {
        const QImage image = FolderStyler::shownIcon(path);
        return image.isNull()
                   ? std::nullopt
                   : std::optional(image.scaled(pixels, pixels, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    });
    if (!icon.isNull()) {
        const QSizeF fitted = QSizeF(icon.size()).scaled(iconRect.size(), Qt::KeepAspectRatio);
        const QRectF placed(iconRect.center() - QPointF(fitted.width() / 2, fitted.height() / 2), fitted);
        painter.save();
        painter.setClipPath(ui::continuousRoundedRect(placed, 4));
        painter.drawImage(placed, icon);
        painter.restore();
    }
    const QFont font = ui::systemFont(9);
    painter.setFont(font);
    painter.setPen(ui::tertiaryColor(*this));
    const QRectF nameRect(inner.left(), iconRect.bottom() + 2, inner.width(), nameHeight(9));
    const QString name =
        QFontMetricsF(font).elidedText(folderName(QUrl::fromLocalFile(path)), Qt::ElideMiddle, nameRect.width());
    painter.drawText(nameRect, Qt::AlignCenter, name);
}

void FolderPreviewColumn::setPreviews(const QList<PreviewData>& previews)
{
    const bool sameFolders = previews.size() == previews_.size() &&
                             std::equal(previews.begin(), previews.end(), previews_.begin(),
                                        [](const PreviewData& a, const PreviewData& b) { return a.url == b.url; });
    previews_ = previews;
    if (sameFolders && previews.size() == cells_.size()) {
        for (qsizetype i = 0; i < previews.size(); ++i)
            cells_[i]->setPreview(previews[i]);
        return;
    }
    forgetSiblingIconsOfLeavingFolders(previews);
    QHash<QUrl, PreviewCell*> kept;
    for (PreviewCell* cell : std::as_const(cells_))
        kept.insert(cell->preview().url, cell);
    QList<PreviewCell*> cells;
    for (const PreviewData& preview : previews) {
        PreviewCell* cell = kept.take(preview.url);
        if (cell) {
            cell->setPreview(preview);
        } else {
            cell = new PreviewCell(preview, localization_);
            connect(cell, &PreviewCell::clicked, this, [this, cell] { actions_.setCurrentPreview(cell->preview()); });
            connect(cell, &PreviewCell::removeClicked, this, [this, cell] { actions_.removePreview(cell->preview()); });
            connect(cell, &PreviewCell::contextMenuRequested, this,
                    [this, cell](const QPoint& at) { ui::popUpMenu(*contextMenu(cell->preview()).release(), at); });
        }
        cells.append(cell);
    }
    for (PreviewCell* cell : std::as_const(kept))
        ui::discard(cell);
    cells_ = cells;
    layoutCells();
    updateLocation();
    QStringList paths;
    QSet<QString> excluded;
    for (const PreviewData& preview : previews_) {
        paths.append(preview.url.toLocalFile());
        excluded.insert(FolderLocation::standardized(preview.url.toLocalFile()));
    }
    siblings_->update(FolderLocation::commonParent(paths), excluded, true);
}

// A folder that leaves the editor may have been styled there: among the siblings it shows the icon it has now,
// not the one kept from before it was added.
void FolderPreviewColumn::forgetSiblingIconsOfLeavingFolders(const QList<PreviewData>& staying)
{
    QSet<QString> leaving;
    for (PreviewCell* cell : std::as_const(cells_))
        leaving.insert(cell->preview().url.toLocalFile() + u'@');
    for (const PreviewData& preview : staying)
        leaving.remove(preview.url.toLocalFile() + u'@');
    if (leaving.isEmpty())
        return;
    siblingIcons_->forget(
        [&leaving](const QString& key) { return leaving.contains(key.left(key.lastIndexOf(u'@') + 1)); });
}

void FolderPreviewColumn::layoutCells()
{
    for (int i = 0; i < cells_.size(); ++i)
        grid_->addWidget(cells_[i], i / columns, i % columns, Qt::AlignTop);
}

std::optional<QString> FolderPreviewColumn::commonParentPath() const
{
    QStringList paths;
    for (const PreviewData& preview : previews_)
        paths.append(preview.url.toLocalFile());
    return FolderLocation::commonParent(paths);
}

std::optional<QString> FolderPreviewColumn::locationText() const
{
    QStringList paths;
    for (const PreviewData& preview : previews_)
        paths.append(preview.url.toLocalFile());
    return FolderLocation::text(paths, QDir::homePath(), localization_.string(u"multiple_locations"_key));
}

QStringList FolderPreviewColumn::siblingFolders() const
{
    return siblings_->folders();
}

void FolderPreviewColumn::updateLocation()
{
    const std::optional<QString> text = locationText();
    locationLine_->setVisible(text.has_value());
    locationText_ = text.value_or(QString());
    location_->setToolTip(locationText_);
    location_->setText(locationText_);
}

void FolderPreviewColumn::updateSiblings()
{
    shownSiblings_ = previews_.isEmpty() ? QStringList() : siblings_->folders();
    siblingGrid_->setCount(int(shownSiblings_.size()));
    siblingSection_->setVisible(!shownSiblings_.isEmpty());
    siblingGrid_->update();
}

std::unique_ptr<QMenu> FolderPreviewColumn::contextMenu(const PreviewData& preview)
{
    auto menu = std::make_unique<QMenu>(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction(localization_.string(u"set_auto_icon"_key), this,
                    [this, preview] { actions_.onSetSmartIcon(preview); });
    menu->addSeparator();
    menu->addAction(localization_.string(u"copy_color_to_others"_key), this, [this, preview] {
        actions_.setCurrentPreview(preview);
        actions_.onCopyColorToOthers();
    });
    menu->addAction(localization_.string(u"copy_icon_to_others"_key), this, [this, preview] {
        actions_.setCurrentPreview(preview);
        actions_.onCopyIconToOthers();
    });
    menu->addSeparator();
    menu->addAction(localization_.string(u"randomize"_key), this, [this, preview] { actions_.onRandomize(preview); });
    menu->addAction(localization_.string(u"reset"_key), this, [this, preview] { actions_.onReset(preview); });
    menu->addSeparator();
    menu->addAction(localization_.string(u"remove"_key), this, [this, preview] { actions_.removePreview(preview); });
    return menu;
}

QList<PreviewCell*> FolderPreviewColumn::cells() const
{
    return cells_;
}

void FolderPreviewColumn::confirmResetAll()
{
    if (confirmation_)
        return;
    // The question is the dialog's text too: some desktops draw dialogs without a title bar.
    const QString question = localization_.string(u"reset_all_folders"_key);
    confirmation_ = new QMessageBox(QMessageBox::Warning, question, question, QMessageBox::NoButton, this);
    confirmation_->setInformativeText(localization_.string(u"reset_all_folders_message"_key));
    confirmation_->setAttribute(Qt::WA_DeleteOnClose);
    QPushButton* reset = confirmation_->addButton(localization_.string(u"reset"_key), QMessageBox::DestructiveRole);
    QPushButton* cancel = confirmation_->addButton(localization_.string(u"cancel"_key), QMessageBox::RejectRole);
    confirmation_->setDefaultButton(cancel);
    confirmation_->setEscapeButton(cancel);
    connect(confirmation_, &QMessageBox::finished, this, [this, reset] {
        const bool confirmed = confirmation_->clickedButton() == reset;
        confirmation_ = nullptr;
        if (confirmed)
            actions_.onResetAll();
    });
    confirmation_->open();
}

void FolderPreviewColumn::setFileAboutToBeDropped(bool value)
{
    fileAboutToBeDropped_ = value;
    if (value && !dropHighlight_) {
        dropHighlight_ = new DashedOutline(this, 8, 0.1);
    } else if (!value) {
        ui::discard(dropHighlight_);
        dropHighlight_ = nullptr;
    }
}

void FolderPreviewColumn::dragEnterEvent(QDragEnterEvent* event)
{
    if (fileUrls(*event->mimeData()).isEmpty())
        return event->ignore();
    event->acceptProposedAction();
    setFileAboutToBeDropped(true);
}

void FolderPreviewColumn::dragMoveEvent(QDragMoveEvent* event)
{
    if (!fileUrls(*event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void FolderPreviewColumn::dragLeaveEvent(QDragLeaveEvent*)
{
    setFileAboutToBeDropped(false);
}

void FolderPreviewColumn::dropEvent(QDropEvent* event)
{
    setFileAboutToBeDropped(false);
    if (handleFolderDrop(*event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

bool FolderPreviewColumn::handleFolderDrop(const QMimeData& data)
{
    const QList<QUrl> urls = fileUrls(data);
    if (urls.isEmpty())
        return false;
    auto promise = std::make_shared<QPromise<QList<QUrl>>>();
    auto* watcher = new QFutureWatcher<QList<QUrl>>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher] {
        const QList<QUrl> folders = watcher->result();
        watcher->deleteLater();
        if (!folders.isEmpty())
            actions_.addURLs(folders);
        Q_EMIT folderDropFinished();
    });
    watcher->setFuture(promise->future());
    promise->start();
    executors_.io().start([urls, promise] {
        QList<QUrl> folders;
        for (const QUrl& url : urls) {
            if (const std::optional<Folder> folder = Folder::fromUrl(url))
                folders.append(folder->url());
            else
                log::print(QStringLiteral("Not a directory!!"));
        }
        promise->addResult(folders);
        promise->finish();
    });
    return true;
}

} // namespace pigmo
