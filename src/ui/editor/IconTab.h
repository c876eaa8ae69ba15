#pragma once

#include "catalogue/IconLibrary.h"
#include "model/ColorizationData.h"
#include "storage/HistoryLogEntry.h"
#include "ui/controls/Binding.h"
#include "ui/controls/SegmentedPicker.h"
#include "ui/editor/EditorServices.h"

#include <QList>
#include <QWidget>

#include <memory>
#include <optional>

class QScrollArea;
class QStackedLayout;
class QVBoxLayout;

namespace pigmo {

class CustomIconView;
class GlyphGrid;
class LazyImageCache;
class SearchBar;

// The icon tab of the editor: chooses the folder's glyph. Three sub-tabs: the glyphs suggested for the
// folder's name (18 per library) above the 18 glyphs used most recently; a browser of one library's
// catalogue that searches it while a text is typed (50 results, prefixes of words matching too); and the
// custom image. Choosing a glyph writes the whole glyph into `selectedIcon`; the tab writes nothing else.
//
// The recently used glyphs are worked out when the tab is made and again only when the history log
// changes. When the log is not loaded yet, the tab asks the store to load it off the GUI thread and shows
// the recent glyphs once it is published. Suggestions are asked of the keyword index when the suggestions
// are shown; while the index is not ready there are none. GUI thread only.
class IconTab : public QWidget {
    Q_OBJECT

public:
    enum class TopTab { suggested, search, custom };

    static constexpr int suggestionLimit = 18;
    static constexpr int recentLimit = 18;
    static constexpr int searchLimit = 50;

    // `imageCache`: where the grids keep the glyph pictures they make; the tab makes its own when none is
    // given.
    IconTab(Binding<std::optional<Icon>> selectedIcon, QString folderName, const EditorServices& services,
            LazyImageCache* imageCache = nullptr, QWidget* parent = nullptr);
    ~IconTab() override;

    static QString key(TopTab tab);
    // "Lucide", "Symbols", "Emojis": names of their own, never translated.
    static QString label(IconLibrary library);
    // The distinct glyphs of a log, newest first, at most 18: a glyph whose name came before is skipped.
    static QList<Icon> recentIcons(const QList<HistoryLogEntry>& log);

    // At most 18 glyphs of one library for the folder's name, best first; empty for an empty name.
    QList<Icon> suggestedIcons(LibraryFilter library) const;
    const QList<Icon>& recentIcons() const { return recent_; }
    // At most 50 glyphs matching the search text in the selected library; empty for an empty text.
    QList<Icon> searchResults() const;

    TopTab topTab() const { return topTab_; }
    IconLibrary searchLibrary() const { return library_; }
    const QString& searchText() const { return searchText_; }
    // Shows a sub-tab; the search focuses its field, unless the tab bar has keyboard focus.
    void setTopTab(TopTab tab);
    void setSearchLibrary(IconLibrary library);
    void setSearchText(const QString& text);
    // Shows a glyph set elsewhere (a dropped image); writes nothing.
    void refresh();

    // The grids on screen: the suggestions of a library (nullptr when there are none), the recent glyphs,
    // the search grid.
    GlyphGrid* suggestionGrid(LibraryFilter library) const;
    GlyphGrid* recentGrid() const { return recentGrid_; }
    GlyphGrid* searchGrid() const { return searchGrid_; }
    QWidget* noSuggestionsMessage() const { return noSuggestions_; }
    QScrollArea* searchScrollArea() const { return searchScroll_; }
    SearchBar* searchBar() const { return searchBar_; }
    CustomIconView* customView() const { return customView_; }
    SegmentedPickerBase* subTabBar() const { return subTabBar_; }
    SegmentedPickerBase* libraryBar() const { return libraryBar_; }
    LazyImageCache& imageCache() const { return *cache_; }

private:
    QWidget* makeSuggestedPage();
    QWidget* makeSearchPage();
    QScrollArea* makeScrollArea(QWidget* content);
    GlyphGrid* makeGrid();
    void rebuildSuggestions();
    void addSection(const QString& titleKey, const QList<Icon>& icons, GlyphGrid** grid);
    void updateSearchGrid();
    void updateRecent();
    void showTopTab();

    Binding<std::optional<Icon>> selectedIcon_;
    QString folderName_;
    EditorServices services_;
    std::unique_ptr<LazyImageCache> ownCache_;
    LazyImageCache* cache_ = nullptr;
    TopTab topTab_ = TopTab::suggested;
    IconLibrary library_ = IconLibrary::lucide;
    QString searchText_;
    QList<Icon> recent_;

    SegmentedPickerBase* subTabBar_ = nullptr;
    SegmentedPickerBase* libraryBar_ = nullptr;
    QStackedLayout* pages_ = nullptr;
    QWidget* suggestedPage_ = nullptr;
    QWidget* searchPage_ = nullptr;
    QVBoxLayout* suggestions_ = nullptr;
    GlyphGrid* lucideGrid_ = nullptr;
    GlyphGrid* emojiGrid_ = nullptr;
    GlyphGrid* symbolGrid_ = nullptr;
    GlyphGrid* recentGrid_ = nullptr;
    QWidget* noSuggestions_ = nullptr;
    SearchBar* searchBar_ = nullptr;
    QScrollArea* searchScroll_ = nullptr;
    GlyphGrid* searchGrid_ = nullptr;
    CustomIconView* customView_ = nullptr;
};

} // namespace pigmo
