#include "ui/editor/IconTab.h"

#include "EditorTestServices.h"
#include "platform/Appearance.h"
#include "render/IconImage.h"
#include "support/LogCapture.h"
#include "support/WidgetInput.h"
#include "ui/controls/ColorSwatch.h"
#include "ui/controls/ControlStyle.h"
#include "ui/controls/LocalizedText.h"
#include "ui/controls/SearchBar.h"
#include "ui/editor/CustomIconView.h"
#include "ui/editor/GlyphGrid.h"
#include "ui/editor/LazyImageCache.h"
#include "ui/editor/PillButton.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace pigmo;

namespace {

QStringList namesOf(const QList<Icon>& icons)
{
    QStringList names;
    for (const Icon& icon : icons)
        names.append(icon.emoji.value_or(icon.name));
    return names;
}

Icon lucide(const QString& name)
{
    return test::EditorTestServices::icons().lucideIcon(name).value_or(Icon{});
}

HistoryLogEntry used(const Icon& icon)
{
    return {QStringLiteral("/tmp/folder"), ColorizationData{HSL{10, 60, 50}, 0.6, icon, 170, IconStyle::vibrant()},
            historyTimestampNow()};
}

QImage sampleImage(QColor color = Qt::red)
{
    QImage image(64, 48, QImage::Format_ARGB32);
    image.fill(color);
    return image;
}

struct IconTabTest : ::testing::Test {
    test::EditorTestServices services;
    std::optional<Icon> selected;

    std::unique_ptr<IconTab> makeTab(const QString& folderName)
    {
        auto tab =
            std::make_unique<IconTab>(Binding<std::optional<Icon>>::of(selected), folderName, services.services());
        tab->resize(400, 560);
        tab->show();
        return tab;
    }
};

} // namespace

TEST_F(IconTabTest, SuggestionsFollowTheFolderNameInEveryLanguage)
{
    ASSERT_TRUE(services.smartIcons().isReady());
    const struct {
        const char* name;
        const char* lucide;  // a Lucide icon the suggestions hold
        const char* emoji;   // an emoji they hold
        const char* symbols; // a symbol they hold, or none
    } examples[] = {{"Music", "file-music", "🎵", "folder.music"},
                    {"Rechnungen", "receipt", "🧾", nullptr},
                    {"旅行", "plane", "✈️", nullptr}};
    for (const auto& example : examples) {
        SCOPED_TRACE(example.name);
        auto tab = makeTab(QString::fromUtf8(example.name));
        const QList<Icon> lucideIcons = tab->suggestedIcons(LibraryFilter::lucide);
        const QList<Icon> emoji = tab->suggestedIcons(LibraryFilter::emoji);
        const QList<Icon> symbols = tab->suggestedIcons(LibraryFilter::sf);
        EXPECT_TRUE(namesOf(lucideIcons).contains(QString::fromUtf8(example.lucide)));
        EXPECT_TRUE(namesOf(emoji).contains(QString::fromUtf8(example.emoji)));
        if (example.symbols) {
            EXPECT_TRUE(namesOf(symbols).contains(QString::fromUtf8(example.symbols)));
        }
        for (const auto& list : {lucideIcons, emoji, symbols})
            EXPECT_LE(list.size(), IconTab::suggestionLimit);
        // Each non-empty list is a section of its own, in the order Lucide, emoji, symbols.
        ASSERT_NE(tab->suggestionGrid(LibraryFilter::lucide), nullptr);
        EXPECT_EQ(tab->suggestionGrid(LibraryFilter::lucide)->icons(), lucideIcons);
        ASSERT_NE(tab->suggestionGrid(LibraryFilter::emoji), nullptr);
        EXPECT_EQ(tab->suggestionGrid(LibraryFilter::emoji)->icons(), emoji);
        EXPECT_EQ(tab->suggestionGrid(LibraryFilter::sf) != nullptr, !symbols.isEmpty());
        EXPECT_LT(tab->suggestionGrid(LibraryFilter::lucide)->mapTo(tab.get(), QPoint()).y(),
                  tab->suggestionGrid(LibraryFilter::emoji)->mapTo(tab.get(), QPoint()).y());
        EXPECT_EQ(tab->noSuggestionsMessage(), nullptr);
    }
}

TEST_F(IconTabTest, AnEmptyFolderNameSuggestsNothingAndSaysSo)
{
    auto tab = makeTab(QString());
    for (LibraryFilter library : {LibraryFilter::lucide, LibraryFilter::emoji, LibraryFilter::sf}) {
        EXPECT_TRUE(tab->suggestedIcons(library).isEmpty());
        EXPECT_EQ(tab->suggestionGrid(library), nullptr);
    }
    ASSERT_NE(tab->noSuggestionsMessage(), nullptr);
    EXPECT_TRUE(tab->noSuggestionsMessage()->isVisible());
}

TEST_F(IconTabTest, RecentGlyphsAreDistinctByNameNewestFirstAndAtMost18)
{
    QList<HistoryLogEntry> log;
    for (int i = 0; i < 30; ++i)
        log.append(used(lucide(QStringLiteral("guitar"))));
    EXPECT_EQ(namesOf(IconTab::recentIcons(log)), QStringList{QStringLiteral("guitar")});

    Icon older = lucide(QStringLiteral("star"));
    Icon newer = older;
    newer.url = QUrl::fromLocalFile(QStringLiteral("/elsewhere/star.svg"));
    log = {used(lucide(QStringLiteral("house"))), used(older), used(newer), used(lucide(QStringLiteral("camera")))};
    const QList<Icon> recent = IconTab::recentIcons(log);
    ASSERT_EQ(recent.size(), 3);
    EXPECT_EQ(recent[0].name, QStringLiteral("camera"));
    EXPECT_EQ(recent[1], newer); // the newer of two glyphs sharing a name
    EXPECT_EQ(recent[2].name, QStringLiteral("house"));

    log.clear();
    log.append(HistoryLogEntry{QStringLiteral("/tmp/plain"), ColorizationData{}, historyTimestampNow()}); // no glyph
    const QList<Icon>& catalogue = test::EditorTestServices::icons().lucideIcons();
    for (int i = 0; i < 40; ++i)
        log.append(used(catalogue[i]));
    const QList<Icon> many = IconTab::recentIcons(log);
    ASSERT_EQ(many.size(), IconTab::recentLimit);
    EXPECT_EQ(many.first(), catalogue[39]);
}

TEST_F(IconTabTest, TheHistoryIsReadOnceOffTheGuiThreadAndTheRecentGlyphsFollowIt)
{
    {
        ColorizationHistoryStore writer; // another store writes the log file the tab's store reads
        writer.record(QStringLiteral("/tmp/a"), used(lucide(QStringLiteral("anchor"))).data);
        writer.record(QStringLiteral("/tmp/b"), used(lucide(QStringLiteral("bell"))).data);
    }
    ColorizationHistoryStore store;
    EditorServices editor{
        services.localization, store, services.palettes, services.icons(), services.smartIcons(), services.attributes,
        services.executors};
    test::LogCapture log;
    IconTab tab(Binding<std::optional<Icon>>::of(selected), QStringLiteral("Music"), editor);
    EXPECT_FALSE(store.chronologicalLogLoaded()); // not read on the GUI thread while the tab was made
    EXPECT_TRUE(store.isLoadingChronologicalLog());
    EXPECT_EQ(tab.recentGrid(), nullptr);
    QTRY_VERIFY(store.chronologicalLogLoaded());
    ASSERT_NE(tab.recentGrid(), nullptr);
    EXPECT_EQ(namesOf(tab.recentGrid()->icons()), (QStringList{QStringLiteral("bell"), QStringLiteral("anchor")}));
    EXPECT_EQ(log.count(QStringLiteral("chronological history entries")), 1);

    // Switching sub-tabs reads nothing again; a new record shows at once.
    tab.setTopTab(IconTab::TopTab::search);
    tab.setTopTab(IconTab::TopTab::suggested);
    store.record(QStringLiteral("/tmp/c"), used(lucide(QStringLiteral("camera"))).data);
    EXPECT_EQ(namesOf(tab.recentGrid()->icons()).first(), QStringLiteral("camera"));
    EXPECT_EQ(log.count(QStringLiteral("chronological history entries")), 1);
}

TEST_F(IconTabTest, ClickingAGlyphWritesItUnchanged)
{
    auto tab = makeTab(QStringLiteral("Music"));
    GlyphGrid* grid = tab->suggestionGrid(LibraryFilter::lucide);
    ASSERT_NE(grid, nullptr);
    ASSERT_FALSE(grid->icons().isEmpty());
    QTest::mouseClick(grid, Qt::LeftButton, {}, grid->cellRect(1).center().toPoint());
    ASSERT_TRUE(selected);
    EXPECT_EQ(*selected, grid->icons()[1]);
    selected.reset();
    QTest::mouseClick(grid, Qt::LeftButton, {}, grid->cellRect(1).center().toPoint()); // no toggle off
    EXPECT_EQ(*selected, grid->icons()[1]);
    // The keyboard reaches the same cells.
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Right);
    QTest::keyClick(grid, Qt::Key_Return);
    EXPECT_EQ(*selected, grid->icons()[2]);
}

TEST_F(IconTabTest, SearchingWithAndWithoutPrefixesAndBrowsingTheCatalogue)
{
    auto tab = makeTab(QStringLiteral("Music"));
    tab->subTabBar()->setFocus();
    QTest::keyClick(tab->subTabBar(), Qt::Key_Right); // the keyboard reaches the search sub-tab
    ASSERT_EQ(tab->topTab(), IconTab::TopTab::search);
    const QList<Icon>& lucideCatalogue = test::EditorTestServices::icons().lucideIcons();
    EXPECT_EQ(tab->searchGrid()->icons().size(), lucideCatalogue.size()); // empty text: the whole catalogue

    test::retype(tab->searchBar()->field(), QStringLiteral("fold"));
    EXPECT_EQ(tab->searchText(), QStringLiteral("fold"));
    const QStringList prefixed = namesOf(tab->searchGrid()->icons());
    EXPECT_TRUE(prefixed.contains(QStringLiteral("folder"))) << prefixed.join(u' ').toStdString();
    EXPECT_LE(prefixed.size(), IconTab::searchLimit);

    tab->setSearchText(QStringLiteral("folder"));
    EXPECT_EQ(namesOf(tab->searchGrid()->icons()).first(), QStringLiteral("folder"));

    tab->setSearchLibrary(IconLibrary::emoji); // the text searches the new library
    const QList<Icon> emoji = tab->searchGrid()->icons();
    ASSERT_FALSE(emoji.isEmpty());
    EXPECT_TRUE(std::all_of(emoji.begin(), emoji.end(), [](const Icon& icon) { return icon.emoji.has_value(); }));
    EXPECT_TRUE(namesOf(emoji).contains(QStringLiteral("📁")));

    tab->setSearchText(QString());
    EXPECT_EQ(tab->searchGrid()->icons().size(), test::EditorTestServices::icons().emojisIcons().size());

    tab->setSearchText(QStringLiteral("zzqqxx"));
    EXPECT_TRUE(tab->searchGrid()->icons().isEmpty()); // no results: an empty grid, no message

    tab->setTopTab(IconTab::TopTab::custom); // switching sub-tabs keeps the text and the library
    tab->setTopTab(IconTab::TopTab::search);
    EXPECT_EQ(tab->searchText(), QStringLiteral("zzqqxx"));
    EXPECT_EQ(tab->searchLibrary(), IconLibrary::emoji);
}

TEST_F(IconTabTest, OnlyTheVisibleCellsOfACatalogueAreDrawnAndAGlyphWithoutPictureClosesUp)
{
    auto tab = makeTab(QString());
    tab->setTopTab(IconTab::TopTab::search);
    tab->setSearchLibrary(IconLibrary::emoji);
    QTest::qWait(20);
    GlyphGrid* grid = tab->searchGrid();
    const int rows = (int(grid->icons().size()) + GlyphGrid::columns - 1) / GlyphGrid::columns;
    EXPECT_GT(rows, 100);
    grid->repaint();
    EXPECT_GT(grid->paintedCellCount(), 0);
    EXPECT_LT(grid->paintedCellCount(), 20 * GlyphGrid::columns);
    EXPECT_LT(tab->imageCache().madeCount(), 20 * GlyphGrid::columns);
    ASSERT_TRUE(tab->imageCache().waitUntilIdle(10000));

    Icon missing;
    missing.name = QStringLiteral("gone");
    missing.systemName = QStringLiteral("no.such.symbol.anywhere");
    Icon bare;
    bare.name = QStringLiteral("nothing");
    const Icon star = lucide(QStringLiteral("star"));
    grid->setIcons({missing, bare, star});
    EXPECT_EQ(grid->icons().size(), 2); // a glyph with neither picture nor emoji takes no cell
    grid->repaint();
    ASSERT_TRUE(tab->imageCache().waitUntilIdle(5000));
    EXPECT_EQ(grid->icons(), QList<Icon>{star}); // the symbol that cannot be drawn left its cell
}

TEST_F(IconTabTest, GlyphsAreMadeAtTheDensityOfWhatTheyArePaintedOn)
{
    auto tab = makeTab(QStringLiteral("Music"));
    QTRY_VERIFY(services.history.chronologicalLogLoaded()); // the suggestions are rebuilt when it is published
    GlyphGrid* grid = tab->suggestionGrid(LibraryFilter::lucide);
    ASSERT_NE(grid, nullptr);
    ASSERT_FALSE(grid->icons().isEmpty());
    const Icon first = grid->icons().first();
    const QColor colour = ui::primaryColor(*grid);
    const auto renderAtTwice = [grid] {
        QImage picture(grid->size() * 2, QImage::Format_ARGB32_Premultiplied);
        picture.setDevicePixelRatio(2);
        picture.fill(Qt::transparent);
        grid->render(&picture, {}, {}, QWidget::DrawChildren); // on no background
        return picture;
    };
    renderAtTwice();
    ASSERT_TRUE(tab->imageCache().waitUntilIdle(5000));
    EXPECT_TRUE(tab->imageCache().contains(GlyphGrid::imageKey(first, colour, 2)));

    // The cell holds the glyph made at twice the density, pixel for pixel.
    const QImage picture = renderAtTwice();
    const QPoint cell = grid->cellRect(0).toRect().topLeft() * 2;
    const QImage made = *GlyphGrid::makeImage(first, colour, 2);
    ASSERT_EQ(made.size(), QSize(48, 48));
    int differing = 0;
    for (int y = 0; y < made.height(); ++y)
        for (int x = 0; x < made.width(); ++x)
            differing += qAbs(qAlpha(picture.pixel(cell.x() + x, cell.y() + y)) - qAlpha(made.pixel(x, y))) > 8;
    EXPECT_EQ(differing, 0);
}

TEST_F(IconTabTest, CaptionsFollowTheAppearanceWhileTheTabIsOpen)
{
    QApplication::setPalette(Appearance::lightPalette());
    auto tab = makeTab(QStringLiteral("Music"));
    QTRY_VERIFY(services.history.chronologicalLogLoaded()); // the suggestions are rebuilt when it is published
    QList<LocalizedText*> captions;                         // the caption above each library's suggestions
    for (LibraryFilter library : {LibraryFilter::lucide, LibraryFilter::emoji}) {
        ASSERT_NE(tab->suggestionGrid(library), nullptr);
        captions.append(tab->suggestionGrid(library)->parentWidget()->findChild<LocalizedText*>());
        ASSERT_NE(captions.last(), nullptr);
    }
    const auto tertiary = [](QColor color) {
        color.setAlphaF(float(color.alphaF() * 0.25));
        return color;
    };
    for (const LocalizedText* caption : captions)
        EXPECT_EQ(caption->palette().color(QPalette::WindowText),
                  tertiary(Appearance::lightPalette().color(QPalette::WindowText)))
            << caption->text().toStdString();
    QApplication::setPalette(Appearance::darkPalette());
    QApplication::processEvents();
    for (const LocalizedText* caption : captions)
        EXPECT_EQ(caption->palette().color(QPalette::WindowText),
                  tertiary(Appearance::darkPalette().color(QPalette::WindowText)))
            << caption->text().toStdString();
    QApplication::setPalette(Appearance::lightPalette());
}

TEST_F(IconTabTest, TheCustomImageIsDrawnAtTheDensityOfWhatItIsPaintedOn)
{
    // Stripes one pixel wide: drawn at twice the density from a picture of twice the size, they stay apart.
    QImage stripes(240, 240, QImage::Format_ARGB32_Premultiplied);
    for (int x = 0; x < stripes.width(); ++x)
        for (int y = 0; y < stripes.height(); ++y)
            stripes.setPixelColor(x, y, x % 2 ? Qt::black : Qt::white);
    FittedPicture picture(CustomIconView::maximumImageSide);
    picture.setPicture(stripes);
    picture.resize(picture.sizeHint());
    ASSERT_EQ(picture.size(), QSize(120, 120));
    QImage dense(240, 240, QImage::Format_ARGB32_Premultiplied);
    dense.setDevicePixelRatio(2);
    dense.fill(Qt::transparent);
    picture.render(&dense, {}, {}, QWidget::DrawChildren);
    int changes = 0;
    for (int x = 1; x < dense.width(); ++x)
        changes += dense.pixelColor(x, 120) != dense.pixelColor(x - 1, 120);
    EXPECT_EQ(changes, 239);
}

TEST_F(IconTabTest, TheCustomImageIsShownRemovedAndChosen)
{
    selected = iconFromCustomImage(sampleImage());
    ASSERT_TRUE(selected);
    auto tab = makeTab(QStringLiteral("Photos"));
    tab->setTopTab(IconTab::TopTab::custom);
    CustomIconView* custom = tab->customView();
    ASSERT_TRUE(custom->isShowingImage());
    // 64 × 48 fitted into 120 × 120 points, and drawn from the whole picture at a higher density.
    FittedPicture* shown = custom->imageView();
    EXPECT_EQ(shown->shownSize(), QSizeF(120, 90));
    QApplication::processEvents(); // lays the picture out
    QImage dense(shown->size() * 2, QImage::Format_ARGB32_Premultiplied);
    dense.setDevicePixelRatio(2);
    dense.fill(Qt::transparent);
    shown->render(&dense, {}, {}, QWidget::DrawChildren);
    const QRect area = shown->contentsRect();
    const QPoint centre = area.center() * 2;
    EXPECT_EQ(dense.pixelColor(centre), QColor(Qt::red));
    EXPECT_EQ(dense.pixelColor(centre + QPoint(118, 0)), QColor(Qt::red)); // 240 device pixels wide
    EXPECT_EQ(dense.pixelColor(centre + QPoint(124, 0)).alpha(), 0);
    QTest::mouseClick(custom->removeButton(), Qt::LeftButton);
    EXPECT_FALSE(selected.has_value());
    EXPECT_FALSE(custom->isShowingImage());

    Icon broken;
    broken.name = Icon::customName;
    broken.imageData = QByteArray("not an image");
    selected = broken;
    custom->refresh();
    EXPECT_FALSE(custom->isShowingImage()); // the prompt, not the image

    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("glyph.png"));
    ASSERT_TRUE(sampleImage(Qt::blue).save(file));
    QString answer;
    CustomIconView chooser(Binding<std::optional<Icon>>::of(selected), services.localization,
                           [&answer](QWidget*) { return answer; });
    QTest::mouseClick(chooser.chooseButton(), Qt::LeftButton); // cancelled
    EXPECT_EQ(selected, broken);
    answer = folder.filePath(QStringLiteral("missing.png"));
    chooser.chooseImage(); // unreadable
    EXPECT_EQ(selected, broken);
    answer = file;
    chooser.chooseImage();
    ASSERT_TRUE(selected);
    EXPECT_EQ(selected->name, Icon::customName);
    EXPECT_TRUE(chooser.isShowingImage());
}

TEST_F(IconTabTest, TheImageDialogSaysWhatTheImageIsFor)
{
    CustomIconView chooser(Binding<std::optional<Icon>>::of(selected), services.localization);
    QString title;
    QTimer closer; // cancels the program's own dialog once it is up
    QObject::connect(&closer, &QTimer::timeout, [&] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<QFileDialog*>(window); dialog && dialog->isVisible()) {
                title = dialog->windowTitle();
                dialog->reject();
            }
        }
    });
    closer.start(10);
    QTest::mouseClick(chooser.chooseButton(), Qt::LeftButton);
    EXPECT_EQ(title, QStringLiteral("Choose an image to use as the icon"));
    EXPECT_FALSE(selected);
}

TEST_F(IconTabTest, BuildingTheTabInAWindowOpensNoWindowOfItsOwn)
{
    QWidget window;
    window.resize(400, 560);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    auto* tab = new IconTab(Binding<std::optional<Icon>>::of(selected), QStringLiteral("Music"), services.services(),
                            nullptr, &window);
    tab->show();
    QApplication::processEvents();
    EXPECT_EQ(QApplication::activeWindow(), &window);
    for (QWidget* top : QApplication::topLevelWidgets())
        EXPECT_FALSE(top != &window && top->isVisible()) << top->metaObject()->className();
}

TEST_F(IconTabTest, OpeningTheSearchFocusesItsFieldUnlessTheKeyboardMovesAlongTheTabs)
{
    auto tab = makeTab(QStringLiteral("Music"));
    ASSERT_TRUE(QTest::qWaitForWindowActive(tab.get()));
    SegmentedPickerBase* tabs = tab->subTabBar();
    const auto clickTab = [tabs](IconTab::TopTab topTab) {
        QTest::mouseClick(tabs, Qt::LeftButton, Qt::NoModifier, tabs->segmentRect(int(topTab)).center());
    };
    clickTab(IconTab::TopTab::search);
    ASSERT_EQ(tab->topTab(), IconTab::TopTab::search);
    EXPECT_EQ(QApplication::focusWidget(), tab->searchBar()->field());
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("star"));
    EXPECT_EQ(tab->searchText(), QStringLiteral("star"));

    clickTab(IconTab::TopTab::suggested);
    tabs->clearFocus();
    tabs->setFocus(Qt::TabFocusReason); // the keyboard reaches the tabs
    QTest::keyClick(tabs, Qt::Key_Right);
    EXPECT_EQ(tab->topTab(), IconTab::TopTab::search);
    EXPECT_EQ(QApplication::focusWidget(), tabs);
    QTest::keyClick(tabs, Qt::Key_Right);
    EXPECT_EQ(tab->topTab(), IconTab::TopTab::custom);
}
