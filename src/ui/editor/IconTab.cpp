#include "ui/editor/IconTab.h"

#include "base/Executors.h"
#include "catalogue/IconsModel.h"
#include "services/LocalizationManager.h"
#include "smart/SmartIconService.h"
#include "storage/ColorizationHistoryStore.h"
#include "ui/Localized.h"
#include "ui/controls/ControlStyle.h"
#include "ui/controls/FocusRing.h"
#include "ui/controls/LocalizedText.h"
#include "ui/controls/PaletteView.h"
#include "ui/controls/SearchBar.h"
#include "ui/controls/WidgetRemoval.h"
#include "ui/editor/CustomIconView.h"
#include "ui/editor/GlyphGrid.h"
#include "ui/editor/LazyImageCache.h"
#include "ui/editor/TabLabel.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QScrollArea>
#include <QSet>
#include <QStackedLayout>
#include <QVBoxLayout>

namespace pigmo {
namespace {

// Made when asked, never before the application: a font made earlier resolves to another family than the
// one it is drawn in, and the labels would be measured too small.
TabLabel subTabLook()
{
    return {ui::systemFont(13, QFont::Medium), QMarginsF(0, 2, 6, 2)};
}

// A bar aligned to the leading edge of the full width, padded 16 points left and right.
QWidget* leadingRow(QWidget* content)
{
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(16, 0, 16, 0);
    layout->addWidget(content);
    layout->addStretch(1);
    return row;
}

QList<Icon> iconsOf(const QList<SmartIconService::IconMatch>& matches)
{
    QList<Icon> icons;
    icons.reserve(matches.size());
    for (const auto& match : matches)
        icons.append(match.icon);
    return icons;
}

} // namespace

IconTab::IconTab(Binding<std::optional<Icon>> selectedIcon, QString folderName, const EditorServices& services,
                 LazyImageCache* imageCache, QWidget* parent)
    : QWidget(parent)
    , selectedIcon_(std::move(selectedIcon))
    , folderName_(std::move(folderName))
    , services_(services)
    , ownCache_(imageCache ? nullptr : std::make_unique<LazyImageCache>(services.executors.cpu()))
    , cache_(imageCache ? imageCache : ownCache_.get())
{
    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(12);

    LocalizationManager* localization = &services_.localization;
    subTabBar_ = makeTabBar<TopTab>(
        {[this] { return topTab_; }, [this](const TopTab& tab) { setTopTab(tab); }},
        {TopTab::suggested, TopTab::search, TopTab::custom},
        [localization](const TopTab& tab) { return localization->string(key(tab)); }, subTabLook());
    setLocalizedAccessibleName(*subTabBar_, *localization, u"icon"_key);
    connect(localization, &LocalizationManager::currentLanguageChanged, subTabBar_, [this] {
        subTabBar_->updateGeometry();
        subTabBar_->update();
    });
    stack->addWidget(leadingRow(subTabBar_));

    // In the tab before any page goes in: a page shown without a parent would open a window of its own.
    pages_ = new QStackedLayout;
    stack->addLayout(pages_, 1);
    suggestedPage_ = makeSuggestedPage();
    searchPage_ = makeSearchPage();
    customView_ = new CustomIconView(selectedIcon_, *localization);
    pages_->addWidget(suggestedPage_);
    pages_->addWidget(searchPage_);
    pages_->addWidget(customView_);

    if (services_.history.chronologicalLogLoaded())
        recent_ = recentIcons(services_.history.chronologicalLog());
    else
        services_.history.loadChronologicalLogInBackground();
    connect(&services_.history, &ColorizationHistoryStore::chronologicalLogChanged, this, &IconTab::updateRecent);

    updateSearchGrid();
    showTopTab();
}

IconTab::~IconTab() = default;

QString IconTab::key(TopTab tab)
{
    switch (tab) {
    case TopTab::suggested:
        return u"suggested"_key;
    case TopTab::search:
        return u"search"_key;
    case TopTab::custom:
        return u"custom"_key;
    }
    return {};
}

QString IconTab::label(IconLibrary library)
{
    switch (library) {
    case IconLibrary::lucide:
        return QStringLiteral("Lucide");
    case IconLibrary::sf:
        return QStringLiteral("Symbols");
    case IconLibrary::emoji:
        return QStringLiteral("Emojis");
    case IconLibrary::custom:
        break;
    }
    return {};
}

QList<Icon> IconTab::recentIcons(const QList<HistoryLogEntry>& log)
{
    QList<Icon> recent;
    QSet<QString> names;
    for (auto entry = log.crbegin(); entry != log.crend() && recent.size() < recentLimit; ++entry) {
        const std::optional<Icon>& icon = entry->data.icon;
        if (!icon || names.contains(icon->name))
            continue;
        names.insert(icon->name);
        recent.append(*icon);
    }
    return recent;
}

QList<Icon> IconTab::suggestedIcons(LibraryFilter library) const
{
    if (folderName_.isEmpty())
        return {};
    return iconsOf(services_.smartIcons.searchIcons(folderName_, suggestionLimit, library, false));
}

QList<Icon> IconTab::searchResults() const
{
    if (searchText_.isEmpty())
        return {};
    return iconsOf(services_.smartIcons.searchIcons(searchText_, searchLimit, filterFor(library_), true));
}

void IconTab::setTopTab(TopTab tab)
{
    topTab_ = tab;
    showTopTab();
    subTabBar_->update();
    // Typing goes into the search at once; a keyboard user moving along the tabs keeps the focus on them.
    if (tab == TopTab::search && !ui::hasKeyboardFocus(*subTabBar_))
        searchBar_->field()->setFocus(Qt::OtherFocusReason);
}

void IconTab::setSearchLibrary(IconLibrary library)
{
    library_ = library;
    libraryBar_->update();
    updateSearchGrid();
}

void IconTab::setSearchText(const QString& text)
{
    if (text == searchText_)
        return;
    searchText_ = text;
    searchBar_->refresh();
    updateSearchGrid();
}

void IconTab::refresh()
{
    customView_->refresh();
}

void IconTab::showTopTab()
{
    switch (topTab_) {
    case TopTab::suggested:
        rebuildSuggestions(); // worked out afresh each time they are shown
        pages_->setCurrentWidget(suggestedPage_);
        break;
    case TopTab::search:
        pages_->setCurrentWidget(searchPage_);
        break;
    case TopTab::custom:
        customView_->refresh();
        pages_->setCurrentWidget(customView_);
        break;
    }
}

QScrollArea* IconTab::makeScrollArea(QWidget* content)
{
    auto* scroll = new QScrollArea;
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setFocusPolicy(Qt::NoFocus); // its controls take the focus, and it scrolls to them
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scroll->viewport()->setAutoFillBackground(false);
    ui::useSlimScrollBar(scroll);
    content->setAutoFillBackground(false);
    scroll->setWidget(content);
    PaletteView::applyBottomFade(scroll);
    return scroll;
}

GlyphGrid* IconTab::makeGrid()
{
    auto* grid = new GlyphGrid(*cache_);
    connect(grid, &GlyphGrid::chosen, this, [this](const Icon& icon) { selectedIcon_.set(icon); });
    return grid;
}

QWidget* IconTab::makeSuggestedPage()
{
    auto* content = new QWidget;
    suggestions_ = new QVBoxLayout(content);
    suggestions_->setContentsMargins(12, 4, 12, 40);
    suggestions_->setSpacing(16);
    return makeScrollArea(content);
}

void IconTab::addSection(const QString& titleKey, const QList<Icon>& icons, GlyphGrid** grid)
{
    auto* section = new QWidget;
    auto* layout = new QVBoxLayout(section);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    auto* caption = new LocalizedText(services_.localization, titleKey);
    caption->setFont(ui::systemFont(11, QFont::Medium));
    caption->setContentsMargins(4, 0, 0, 0);
    caption->setForeground(ui::primary(0.25));
    layout->addWidget(caption);
    *grid = makeGrid();
    setLocalizedAccessibleName(**grid, services_.localization, titleKey); // named as its section
    (*grid)->setIcons(icons);
    layout->addWidget(*grid, 0, Qt::AlignLeft);
    suggestions_->addWidget(section);
}

void IconTab::rebuildSuggestions()
{
    while (QLayoutItem* item = suggestions_->takeAt(0)) {
        ui::discard(item->widget());
        delete item;
    }
    lucideGrid_ = emojiGrid_ = symbolGrid_ = recentGrid_ = nullptr;
    noSuggestions_ = nullptr;
    const QList<Icon> lucide = suggestedIcons(LibraryFilter::lucide);
    const QList<Icon> emoji = suggestedIcons(LibraryFilter::emoji);
    const QList<Icon> symbols = suggestedIcons(LibraryFilter::sf);
    if (!lucide.isEmpty())
        addSection(u"library_lucide"_key, lucide, &lucideGrid_);
    if (!emoji.isEmpty())
        addSection(u"library_emojis"_key, emoji, &emojiGrid_);
    if (!symbols.isEmpty())
        addSection(u"library_sf_symbols"_key, symbols, &symbolGrid_);
    if (lucide.isEmpty() && emoji.isEmpty() && symbols.isEmpty()) {
        auto* message = new LocalizedText(services_.localization, u"no_suggested_icon"_key);
        message->setFont(ui::systemFont(12));
        message->setWordWrap(true);
        message->setContentsMargins(4, 20, 0, 30);
        message->setForeground(ui::primary(0.25));
        suggestions_->addWidget(message);
        noSuggestions_ = message;
    }
    if (!recent_.isEmpty())
        addSection(u"recently_used"_key, recent_, &recentGrid_);
    suggestions_->addStretch(1);
}

GlyphGrid* IconTab::suggestionGrid(LibraryFilter library) const
{
    switch (library) {
    case LibraryFilter::lucide:
        return lucideGrid_;
    case LibraryFilter::emoji:
        return emojiGrid_;
    case LibraryFilter::sf:
        return symbolGrid_;
    case LibraryFilter::all:
        break;
    }
    return nullptr;
}

QWidget* IconTab::makeSearchPage()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    searchBar_ = new SearchBar({[this] { return searchText_; }, [this](const QString& text) { setSearchText(text); }},
                               u"search_icon"_key, services_.localization);
    auto* barRow = new QWidget;
    auto* barLayout = new QHBoxLayout(barRow);
    barLayout->setContentsMargins(16, 0, 16, 0);
    barLayout->addWidget(searchBar_);
    layout->addWidget(barRow);

    libraryBar_ = makeTabBar<IconLibrary>(
        {[this] { return library_; }, [this](const IconLibrary& library) { setSearchLibrary(library); }},
        {IconLibrary::lucide, IconLibrary::sf, IconLibrary::emoji},
        [](const IconLibrary& library) { return label(library); }, subTabLook());
    setLocalizedAccessibleName(*libraryBar_, services_.localization, u"search_icon"_key);
    layout->addWidget(leadingRow(libraryBar_));

    auto* content = new QWidget;
    auto* contentLayout = new QVBoxLayout(content);
    contentLayout->setContentsMargins(12, 4, 12, 40);
    searchGrid_ = makeGrid();
    contentLayout->addWidget(searchGrid_, 0, Qt::AlignLeft);
    contentLayout->addStretch(1);
    searchScroll_ = makeScrollArea(content);
    layout->addWidget(searchScroll_, 1);
    return page;
}

void IconTab::updateSearchGrid()
{
    searchGrid_->setAccessibleName(label(library_)); // named as the library it shows
    searchGrid_->setIcons(searchText_.isEmpty() ? services_.icons.icons(library_) : searchResults());
}

void IconTab::updateRecent()
{
    recent_ = recentIcons(services_.history.chronologicalLog());
    if (topTab_ == TopTab::suggested)
        rebuildSuggestions();
}

} // namespace pigmo
