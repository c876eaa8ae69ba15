#include "ui/history/HistoryView.h"

#include "base/Executors.h"
#include "services/LocalizationManager.h"
#include "storage/ColorizationHistoryStore.h"
#include "ui/Localized.h"
#include "ui/controls/ControlStyle.h"
#include "ui/controls/LocalizedText.h"
#include "ui/controls/SymbolView.h"
#include "ui/controls/TextTint.h"
#include "ui/history/HistoryModels.h"
#include "ui/history/Thumbnails.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListView>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QStackedWidget>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include <cmath>

namespace pigmo {
namespace {

constexpr int logThumbnail = 40;
constexpr int cellThumbnail = 46;
constexpr int logRowHeight = logThumbnail + 16 + 1; // padding 8 above and below, then the divider
constexpr int groupPadding = 12;
constexpr int groupHeader = 16;
constexpr int groupSpacing = 8;
constexpr int cellSpacing = 12;
constexpr int cellNameHeight = 13;
constexpr int cellHeight = cellThumbnail + 4 + cellNameHeight;
constexpr int groupGap = 20;

void paintThumbnail(QPainter& painter, const QRectF& rect, const QImage& picture, const QWidget& widget)
{
    if (!picture.isNull()) {
        painter.drawImage(rect, picture);
        return;
    }
    painter.fillPath(ui::continuousRoundedRect(rect, 4), ui::primaryColor(widget, 0.05));
}

QString lastComponent(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    return name.isEmpty() ? path : name;
}

// One log entry: thumbnail, name over "~" path, date at the right; a divider indented 60 below.
class LogDelegate : public QStyledItemDelegate {
public:
    LogDelegate(HistoryLogModel& model, Thumbnails& thumbnails, LocalizationManager& localization, QListView& view)
        : QStyledItemDelegate(&view)
        , model_(model)
        , thumbnails_(thumbnails)
        , localization_(localization)
        , view_(view)
    {
    }

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override { return {0, logRowHeight}; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const HistoryLogEntry& entry = model_.entry(index.row());
        const QWidget& widget = *view_.viewport();
        const QRect row = option.rect;
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setRenderHint(QPainter::SmoothPixmapTransform);
        const QRectF thumbnail(row.left() + 16, row.top() + 8, logThumbnail, logThumbnail);
        paintThumbnail(*painter, thumbnail, thumbnails_.picture(model_.key(index.row()), entry.data), widget);

        const QString date = historyDateText(entry.timestamp, localization_.currentLanguage());
        const QFont dateFont = ui::systemFont(11);
        const int dateWidth = QFontMetrics(dateFont).horizontalAdvance(date);
        const int right = row.right() - 16;
        painter->setFont(dateFont);
        painter->setPen(ui::tertiaryColor(widget));
        painter->drawText(QRect(right - dateWidth, row.top(), dateWidth, logRowHeight - 1),
                          Qt::AlignVCenter | Qt::AlignRight, date);

        const int textLeft = int(thumbnail.right()) + 12;
        const int textWidth = std::max(0, right - dateWidth - 12 - textLeft);
        const QFont nameFont = ui::systemFont(13, QFont::Medium);
        const QFont pathFont = ui::systemFont(11);
        const QFontMetrics nameMetrics(nameFont);
        const QFontMetrics pathMetrics(pathFont);
        const int block = nameMetrics.height() + 3 + pathMetrics.height();
        const int top = row.top() + (logRowHeight - 1 - block) / 2;
        painter->setFont(nameFont);
        painter->setPen(ui::primaryColor(widget));
        painter->drawText(QRect(textLeft, top, textWidth, nameMetrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
                          nameMetrics.elidedText(lastComponent(entry.folderPath), Qt::ElideRight, textWidth));
        painter->setFont(pathFont);
        painter->setPen(ui::secondaryColor(widget));
        painter->drawText(
            QRect(textLeft, top + nameMetrics.height() + 3, textWidth, pathMetrics.height()),
            Qt::AlignLeft | Qt::AlignVCenter,
            pathMetrics.elidedText(displayPath(entry.folderPath, QDir::homePath()), Qt::ElideMiddle, textWidth));
        painter->fillRect(QRectF(row.left() + 60, row.bottom(), row.width() - 60, 1), ui::quaternaryColor(widget));
        painter->restore();
    }

private:
    HistoryLogModel& model_;
    Thumbnails& thumbnails_;
    LocalizationManager& localization_;
    QListView& view_;
};

// Where the parts of a group stand inside its item rectangle. The list is padded 16 on every side: the
// first group's item carries the top padding, every item the sides and the 20 below its card.
struct GroupGeometry {
    static constexpr int listPadding = 16;

    QRect card;
    double columnWidth = 0;

    GroupGeometry(const QRect& item, bool first)
        : card(item.adjusted(listPadding, first ? listPadding : 0, -listPadding, -groupGap))
        , columnWidth(
              std::max(10.0, (card.width() - 2 * groupPadding - (FolderStylesModel::columns - 1) * cellSpacing) /
                                 double(FolderStylesModel::columns)))
    {
    }

    static int height(int folders, bool first)
    {
        const int rows = (folders + FolderStylesModel::columns - 1) / FolderStylesModel::columns;
        return (first ? listPadding : 0) + groupPadding + groupHeader + groupSpacing + rows * cellHeight +
               std::max(0, rows - 1) * cellSpacing + groupPadding + groupGap;
    }

    QRectF cell(int position) const
    {
        const int column = position % FolderStylesModel::columns;
        const int row = position / FolderStylesModel::columns;
        const double left = card.left() + groupPadding + column * (columnWidth + cellSpacing);
        const double top = card.top() + groupPadding + groupHeader + groupSpacing + row * (cellHeight + cellSpacing);
        return {left, top, columnWidth, double(cellHeight)};
    }
};

// One parent folder: its "~" path over a grid of five columns of thumbnails and names.
class GroupDelegate : public QStyledItemDelegate {
public:
    GroupDelegate(FolderStylesModel& model, Thumbnails& thumbnails, QListView& view)
        : QStyledItemDelegate(&view)
        , model_(model)
        , thumbnails_(thumbnails)
        , view_(view)
    {
    }

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const override
    {
        return {view_.viewport()->width(),
                GroupGeometry::height(int(model_.group(index.row()).folders.size()), index.row() == 0)};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const ColorizationHistoryStore::FolderGroup& group = model_.group(index.row());
        const QWidget& widget = *view_.viewport();
        const GroupGeometry geometry(option.rect, index.row() == 0);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setRenderHint(QPainter::SmoothPixmapTransform);
        painter->fillPath(ui::continuousRoundedRect(QRectF(geometry.card), 10), ui::primaryColor(widget, 0.03));

        const QRect header(geometry.card.left() + groupPadding, geometry.card.top() + groupPadding,
                           geometry.card.width() - 2 * groupPadding, groupHeader);
        if (folderSymbol_)
            folderSymbol_->draw(*painter, QRectF(header.left(), header.center().y() - 5.5, 11, 11),
                                ui::secondaryColor(widget));
        const QFont headerFont = ui::systemFont(12, QFont::Medium);
        const QFontMetrics headerMetrics(headerFont);
        const QRect headerText = header.adjusted(11 + 6, 0, 0, 0);
        painter->setFont(headerFont);
        painter->setPen(ui::secondaryColor(widget));
        painter->drawText(headerText, Qt::AlignLeft | Qt::AlignVCenter,
                          headerMetrics.elidedText(displayPath(group.parentPath, QDir::homePath()), Qt::ElideMiddle,
                                                   headerText.width()));

        const QFont nameFont = ui::systemFont(10);
        const QFontMetrics nameMetrics(nameFont);
        painter->setFont(nameFont);
        for (int position = 0; position < group.folders.size(); ++position) {
            const ColorizationHistoryStore::StyledFolder& folder = group.folders[position];
            const QRectF cell = geometry.cell(position);
            const QRectF picture(cell.center().x() - cellThumbnail / 2.0, cell.top(), cellThumbnail, cellThumbnail);
            paintThumbnail(*painter, picture, thumbnails_.picture(folder.path, folder.data), widget);
            painter->setPen(ui::primaryColor(widget, 0.7));
            const QRectF name(cell.left(), cell.top() + cellThumbnail + 4, cell.width(), cellNameHeight);
            painter->drawText(name, Qt::AlignHCenter | Qt::AlignVCenter,
                              nameMetrics.elidedText(folder.name, Qt::ElideMiddle, int(cell.width())));
        }
        painter->restore();
    }

private:
    FolderStylesModel& model_;
    Thumbnails& thumbnails_;
    QListView& view_;
    std::optional<TemplateImage> folderSymbol_ = symbolImage(QStringLiteral("folder"));
};

// A one-point rule in the text colour at 10 %.
class Divider : public QWidget {
public:
    Divider() { setFixedHeight(1); }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), ui::quaternaryColor(*this)); }
};

QListView* makeList()
{
    auto* list = new QListView;
    list->setFrameShape(QFrame::NoFrame);
    list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setSelectionMode(QAbstractItemView::NoSelection);
    list->setFocusPolicy(Qt::StrongFocus);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setResizeMode(QListView::Adjust);
    list->setMouseTracking(false);
    list->viewport()->setAutoFillBackground(false);
    list->setAutoFillBackground(false);
    list->viewport()->setCursor(Qt::PointingHandCursor);
    return list;
}

// Repaints the row that shows `key` when its picture arrives.
void repaintOnPicture(Thumbnails& thumbnails, QListView& list, std::function<int(const QString&)> rowOfKey)
{
    QObject::connect(&thumbnails, &Thumbnails::pictureReady, &list, [&list, rowOfKey](const QString& key) {
        const int row = rowOfKey(key);
        if (row >= 0)
            list.viewport()->update(list.visualRect(list.model()->index(row, 0)));
    });
}

} // namespace

HistoryView::HistoryView(ColorizationHistoryStore& store, LocalizationManager& localization, Executors& executors,
                         QWidget* parent)
    : QWidget(parent)
    , store_(store)
    , localization_(localization)
{
    const qreal ratio = devicePixelRatioF();
    logThumbnails_ = new Thumbnails(executors.cpu(), logThumbnail, ratio, this);
    styleThumbnails_ = new Thumbnails(executors.cpu(), cellThumbnail, ratio, this);
    logModel_ = new HistoryLogModel(store_, this);
    stylesModel_ = new FolderStylesModel(store_, this);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(buildTabBar());
    column->addWidget(new Divider);

    pages_ = new QStackedWidget;
    logList_ = makeList();
    logList_->setUniformItemSizes(true);
    logList_->setModel(logModel_);
    logList_->setItemDelegate(new LogDelegate(*logModel_, *logThumbnails_, localization_, *logList_));
    stylesList_ = makeList();
    stylesList_->setModel(stylesModel_);
    stylesList_->setItemDelegate(new GroupDelegate(*stylesModel_, *styleThumbnails_, *stylesList_));
    noHistory_ = buildEmptyState(u"no_history"_key);
    noStyles_ = buildEmptyState(u"no_styled_folders"_key);
    for (QWidget* page : {static_cast<QWidget*>(logList_), noHistory_, static_cast<QWidget*>(stylesList_), noStyles_})
        pages_->addWidget(page);
    pages_->addWidget(new QWidget); // while the log loads
    column->addWidget(pages_, 1);
    logList_->viewport()->installEventFilter(this);
    logList_->installEventFilter(this); // Return on the current row opens it as a click does
    stylesList_->viewport()->installEventFilter(this);

    repaintOnPicture(*logThumbnails_, *logList_, [this](const QString& key) { return logModel_->rowOfKey(key); });
    repaintOnPicture(*styleThumbnails_, *stylesList_,
                     [this](const QString& key) { return stylesModel_->rowOfFolder(key); });
    // A folder styled again gets a new picture.
    connect(&store_, &ColorizationHistoryStore::folderStylesChanged, styleThumbnails_, &Thumbnails::clear);
    connect(logModel_, &QAbstractItemModel::modelReset, logThumbnails_, &Thumbnails::clear);
    for (QAbstractItemModel* model :
         {static_cast<QAbstractItemModel*>(logModel_), static_cast<QAbstractItemModel*>(stylesModel_)}) {
        connect(model, &QAbstractItemModel::modelReset, this, &HistoryView::refreshPages);
        connect(model, &QAbstractItemModel::rowsInserted, this, &HistoryView::refreshPages);
    }
    // Dates follow the interface language.
    connect(&localization_, &LocalizationManager::currentLanguageChanged, logList_->viewport(),
            qOverload<>(&QWidget::update));
    const auto nameLists = [this] {
        logList_->setAccessibleName(localization_.string(u"all_changes"_key));
        stylesList_->setAccessibleName(localization_.string(u"current_styles"_key));
    };
    nameLists();
    connect(&localization_, &LocalizationManager::currentLanguageChanged, this, nameLists);
    refreshTabs();
    refreshPages();
}

HistoryView::~HistoryView() = default;

QWidget* HistoryView::buildTabBar()
{
    auto* bar = new TabBar;
    setLocalizedAccessibleName(*bar, localization_, u"history"_key);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(16, 16, 16, 12);
    row->setSpacing(0);
    row->addStretch(1);
    const std::pair<const char*, QString> tabs[] = {{"clock", u"all_changes"_key}, {"folder", u"current_styles"_key}};
    for (int index = 0; index < 2; ++index) {
        auto* button = new TabButton;
        auto* face = new QHBoxLayout(button);
        face->setContentsMargins(16, 8, 16, 8);
        face->setSpacing(6);
        face->addWidget(new SymbolView(QString::fromLatin1(tabs[index].first), 12, ui::primary()), 0, Qt::AlignVCenter);
        auto* title = new LocalizedText(localization_, tabs[index].second);
        title->setFont(ui::systemFont(13, QFont::Medium));
        face->addWidget(title, 0, Qt::AlignVCenter);
        button->makeChildrenTransparent();
        button->setAccessibleName(title->text());
        connect(&localization_, &LocalizationManager::currentLanguageChanged, button,
                [button, title] { button->setAccessibleName(title->text()); });
        const Tab tab = index == 0 ? Tab::chronological : Tab::folderStyles;
        connect(button, &QAbstractButton::clicked, this, [this, tab] { setCurrentTab(tab); });
        tabButtons_[index] = button;
        row->addWidget(button);
    }
    row->addStretch(1);
    return bar;
}

QWidget* HistoryView::buildEmptyState(const QString& titleKey)
{
    auto* page = new QWidget;
    auto* column = new QVBoxLayout(page);
    column->setSpacing(6);
    column->addStretch(1);
    auto* title = new LocalizedText(localization_, titleKey);
    title->setFont(ui::systemFont(14));
    title->setAlignment(Qt::AlignCenter);
    ui::setTextOpacity(*title, 0.5);
    column->addWidget(title);
    auto* hint = new LocalizedText(localization_, u"colorize_to_see"_key);
    hint->setFont(ui::systemFont(12));
    hint->setAlignment(Qt::AlignCenter);
    ui::setTextOpacity(*hint, 0.25);
    column->addWidget(hint);
    column->addStretch(1);
    return page;
}

PlainButton* HistoryView::tabButton(Tab tab) const
{
    return tabButtons_[tab == Tab::chronological ? 0 : 1];
}

void HistoryView::setCurrentTab(Tab tab)
{
    currentTab_ = tab;
    refreshTabs();
    refreshPages();
}

void HistoryView::refreshTabs()
{
    for (Tab tab : {Tab::chronological, Tab::folderStyles}) {
        PlainButton* button = tabButton(tab);
        const bool current = tab == currentTab_;
        button->setChecked(current);
        button->setBackground(current ? std::optional(ui::primary(0.1)) : std::nullopt, 8);
        const double opacity = current ? 1.0 : 0.5;
        for (SymbolView* symbol : button->findChildren<SymbolView*>())
            symbol->setColor(ui::primary(opacity));
        for (LocalizedText* title : button->findChildren<LocalizedText*>())
            ui::setTextOpacity(*title, opacity);
    }
}

void HistoryView::refreshPages()
{
    if (currentTab_ == Tab::chronological) {
        if (!store_.chronologicalLogLoaded())
            pages_->setCurrentIndex(4);
        else
            pages_->setCurrentWidget(logModel_->rowCount() > 0 ? static_cast<QWidget*>(logList_) : noHistory_);
        return;
    }
    pages_->setCurrentWidget(stylesModel_->rowCount() > 0 ? static_cast<QWidget*>(stylesList_) : noStyles_);
}

QWidget* HistoryView::emptyState() const
{
    QWidget* page = pages_->currentWidget();
    return page == noHistory_ || page == noStyles_ ? page : nullptr;
}

// The log is read from disk once per run, on a worker, when the page first shows; the page shows its loading
// state until the store publishes the log (the models follow it and refresh the pages).
void HistoryView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!store_.chronologicalLogLoaded())
        store_.loadChronologicalLogInBackground();
}

bool HistoryView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == logList_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && logList_->currentIndex().isValid()) {
            select(logModel_->entry(logList_->currentIndex().row()).folderPath);
            return true;
        }
    }
    if (event->type() == QEvent::MouseButtonRelease &&
        (watched == logList_->viewport() || watched == stylesList_->viewport())) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton)
            activateAt(mouse->position().toPoint());
    }
    return QWidget::eventFilter(watched, event);
}

void HistoryView::activateAt(const QPoint& position)
{
    if (currentTab_ == Tab::chronological) {
        const QModelIndex index = logList_->indexAt(position);
        if (index.isValid())
            select(logModel_->entry(index.row()).folderPath);
        return;
    }
    const QModelIndex index = stylesList_->indexAt(position);
    if (!index.isValid())
        return;
    const GroupGeometry geometry(stylesList_->visualRect(index), index.row() == 0);
    const QList<ColorizationHistoryStore::StyledFolder>& folders = stylesModel_->group(index.row()).folders;
    for (int cell = 0; cell < folders.size(); ++cell) {
        if (geometry.cell(cell).contains(position)) {
            select(folders[cell].path);
            return;
        }
    }
}

// A folder that was deleted or moved away since is not opened.
void HistoryView::select(const QString& path)
{
    if (!QFileInfo::exists(path))
        return;
    if (const std::optional<Folder> folder = Folder::fromPath(path))
        Q_EMIT folderSelected(*folder);
}

} // namespace pigmo
