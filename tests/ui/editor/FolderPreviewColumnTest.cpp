#include "ui/editor/FolderPreviewColumn.h"

#include "base/Executors.h"
#include "platform/Appearance.h"
#include "services/LocalizationManager.h"
#include "support/LogCapture.h"
#include "ui/controls/ColorSwatch.h"
#include "ui/controls/ElidedLabel.h"
#include "ui/controls/LocalizedText.h"
#include "ui/editor/CellGrid.h"
#include "ui/editor/FolderLocation.h"
#include "ui/editor/PillButton.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace pigmo;

namespace {

struct Calls {
    QStringList log; // "<action> <folder name>" in call order
    QList<QUrl> added;
};

QString nameOf(const PreviewData& preview)
{
    return QDir(preview.url.toLocalFile()).dirName();
}

FolderPreviewColumn::Actions recording(Calls& calls)
{
    const auto one = [&calls](const char* name) {
        return [&calls, name](const PreviewData& p) { calls.log.append(QString::fromLatin1(name) + u' ' + nameOf(p)); };
    };
    const auto none = [&calls](const char* name) {
        return [&calls, name] { calls.log.append(QString::fromLatin1(name)); };
    };
    return {one("remove"),       one("current"),   [&calls](const QList<QUrl>& urls) { calls.added += urls; },
            none("copyColor"),   none("copyIcon"), one("randomize"),
            one("reset"),        one("smartIcon"), none("smartCurrent"),
            none("smartColors"), none("resetAll")};
}

QImage solid(QColor color)
{
    QImage image(64, 64, QImage::Format_ARGB32_Premultiplied);
    image.fill(color);
    return image;
}

struct FolderPreviewColumnTest : ::testing::Test {
    QTemporaryDir root{QDir::homePath() + QStringLiteral("/column-XXXXXX")};
    LocalizationManager localization{QStringList{QStringLiteral("en")}};
    Calls calls;
    Executors executors;
    FolderPreviewColumn column{recording(calls), localization, executors};

    QString make(const QString& relative)
    {
        const QString path = root.filePath(relative);
        EXPECT_TRUE(QDir().mkpath(path));
        return path;
    }
    PreviewData preview(const QString& path, bool selected = false, QImage image = {})
    {
        return {std::move(image), QUrl::fromLocalFile(path), selected, SmartLoadingState::idle};
    }
    void show()
    {
        column.resize(360, 700);
        column.show();
        QApplication::processEvents();
    }
    QAction* action(QMenu& menu, const QString& key)
    {
        for (QAction* entry : menu.actions()) {
            if (entry->text() == localization.string(key))
                return entry;
        }
        return nullptr;
    }
};

} // namespace

TEST_F(FolderPreviewColumnTest, NoPreviewsShowNoLocationNoButtonsNoSiblingsButADropStillAdds)
{
    show();
    EXPECT_FALSE(column.locationLine()->isVisible());
    EXPECT_TRUE(column.cells().isEmpty());
    EXPECT_FALSE(column.siblingSection()->isVisible());
    EXPECT_EQ(column.locationText(), std::nullopt);

    const QString folder = make("Dropped");
    QMimeData drop;
    drop.setUrls({QUrl::fromLocalFile(folder), QUrl::fromLocalFile(root.filePath("nothing-here"))});
    QSignalSpy done(&column, &FolderPreviewColumn::folderDropFinished);
    test::LogCapture log;
    EXPECT_TRUE(column.handleFolderDrop(drop)); // accepted at once
    EXPECT_TRUE(calls.added.isEmpty());
    QTRY_COMPARE(done.count(), 1);
    EXPECT_EQ(calls.added, QList<QUrl>{QUrl::fromLocalFile(folder)});
    EXPECT_EQ(log.count(QStringLiteral("Not a directory!!")), 1);

    QMimeData text;
    text.setText(QStringLiteral("not a file"));
    EXPECT_FALSE(column.handleFolderDrop(text));
}

TEST_F(FolderPreviewColumnTest, DraggingFilesHighlightsTheColumnAndOtherDragsDoNot)
{
    show();
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(make("A"))});
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&column, &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_TRUE(column.isFileAboutToBeDropped());
    QDragLeaveEvent leave;
    QApplication::sendEvent(&column, &leave);
    EXPECT_FALSE(column.isFileAboutToBeDropped());

    QMimeData text;
    text.setText(QStringLiteral("words"));
    QDragEnterEvent other(QPoint(20, 20), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&column, &other);
    EXPECT_FALSE(other.isAccepted());
    EXPECT_FALSE(column.isFileAboutToBeDropped());

    // A web link is a URL but no file: refused on entry and at the drop.
    QMimeData web;
    web.setUrls({QUrl(QStringLiteral("https://example.com/photos/"))});
    QDragEnterEvent link(QPoint(20, 20), Qt::CopyAction, &web, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&column, &link);
    EXPECT_FALSE(link.isAccepted());
    EXPECT_FALSE(column.isFileAboutToBeDropped());
    EXPECT_FALSE(column.handleFolderDrop(web));
}

TEST_F(FolderPreviewColumnTest, ClickingSelectsRemovingRemovesAndTheCurrentOneIsMarked)
{
    const QString a = make("Parent/Alpha"), b = make("Parent/Beta");
    column.setPreviews({preview(a, true), preview(b)});
    show();
    ASSERT_EQ(column.cells().size(), 2);
    PreviewCell* beta = column.cells()[1];
    QTest::mouseClick(beta, Qt::LeftButton, {}, QPoint(beta->width() / 2, beta->height() / 2));
    EXPECT_EQ(calls.log, QStringList{"current Beta"});
    EXPECT_EQ(column.cells()[0]->nameLabel()->color(), column.palette().color(QPalette::WindowText));
    EXPECT_LT(beta->nameLabel()->color().alphaF(), 0.6);

    QTest::mouseClick(column.cells()[0]->removeButton(), Qt::LeftButton);
    beta->setFocus();
    QTest::keyClick(beta, Qt::Key_Delete);
    EXPECT_EQ(calls.log, (QStringList{"current Beta", "remove Alpha", "remove Beta"}));

    // A new list keeps the cells of folders still shown.
    column.setPreviews({preview(b, true)});
    ASSERT_EQ(column.cells().size(), 1);
    EXPECT_EQ(column.cells()[0], beta);
    EXPECT_TRUE(beta->preview().isSelected);
}

TEST_F(FolderPreviewColumnTest, ResetAllAsksFirstAndOnlyItsDestructiveButtonResets)
{
    column.setPreviews({preview(make("P/One"))});
    show();
    QTest::mouseClick(column.resetButton(), Qt::LeftButton);
    ASSERT_NE(column.resetConfirmation(), nullptr);
    EXPECT_TRUE(calls.log.isEmpty());
    QMessageBox* box = column.resetConfirmation();
    EXPECT_EQ(box->text(), localization.string(QStringLiteral("reset_all_folders")));
    EXPECT_EQ(box->informativeText(), localization.string(QStringLiteral("reset_all_folders_message")));
    QTest::keyClick(box, Qt::Key_Escape);
    QTRY_VERIFY(column.resetConfirmation() == nullptr);
    EXPECT_TRUE(calls.log.isEmpty());

    QTest::mouseClick(column.resetButton(), Qt::LeftButton);
    box = column.resetConfirmation();
    ASSERT_NE(box, nullptr);
    QAbstractButton* reset = nullptr;
    for (QAbstractButton* button : box->buttons()) {
        if (box->buttonRole(button) == QMessageBox::DestructiveRole)
            reset = button;
    }
    ASSERT_NE(reset, nullptr);
    EXPECT_EQ(reset->text(), localization.string(QStringLiteral("reset")));
    QTest::mouseClick(reset, Qt::LeftButton);
    QTRY_VERIFY(column.resetConfirmation() == nullptr);
    EXPECT_EQ(calls.log, QStringList{"resetAll"});

    QTest::mouseClick(column.autoButton(), Qt::LeftButton);
    QTest::mouseClick(column.colorsButton(), Qt::LeftButton);
    EXPECT_EQ(calls.log, (QStringList{"resetAll", "smartCurrent", "smartColors"}));
    EXPECT_TRUE(column.autoButton()->hasIcon());
}

TEST_F(FolderPreviewColumnTest, TheContextMenuMakesTheCellCurrentBeforeCopying)
{
    const QString a = make("P/Alpha"), b = make("P/Beta");
    column.setPreviews({preview(a, true), preview(b)});
    show();
    std::unique_ptr<QMenu> menu = column.contextMenu(column.cells()[1]->preview());
    QStringList labels;
    for (QAction* entry : menu->actions())
        labels.append(entry->isSeparator() ? QStringLiteral("-") : entry->text());
    EXPECT_EQ(labels, (QStringList{"Choose Icon Automatically", "-", "Copy Color to Other Folders",
                                   "Copy Icon to Other Folders", "-", "Randomize", "Reset", "-", "Remove"}));
    action(*menu, "copy_color_to_others")->trigger();
    action(*menu, "copy_icon_to_others")->trigger();
    action(*menu, "set_auto_icon")->trigger();
    action(*menu, "randomize")->trigger();
    action(*menu, "reset")->trigger();
    action(*menu, "remove")->trigger();
    EXPECT_EQ(calls.log, (QStringList{"current Beta", "copyColor", "current Beta", "copyIcon", "smartIcon Beta",
                                      "randomize Beta", "reset Beta", "remove Beta"}));
}

TEST_F(FolderPreviewColumnTest, SiblingsLeaveOutEditedAndHiddenFoldersAndAClickAddsOne)
{
    const QString edited = make("P/Edited");
    make("P/.hidden");
    const QString apple = make("P/apple");
    make("P/Banana");
    column.setPreviews({preview(edited, true)});
    show();
    QTRY_VERIFY(!column.siblings().isListing());
    QApplication::processEvents();
    QStringList names;
    for (const QString& path : column.siblingFolders())
        names.append(QDir(path).dirName());
    EXPECT_EQ(names, (QStringList{"apple", "Banana"}));
    ASSERT_TRUE(column.siblingSection()->isVisible());
    CellGrid* grid = column.siblingGrid();
    ASSERT_EQ(grid->count(), 2);
    QTest::mouseClick(grid, Qt::LeftButton, {}, grid->cellRect(0).center().toPoint());
    EXPECT_EQ(calls.added, QList<QUrl>{QUrl::fromLocalFile(apple)});

    // Once added, it leaves the siblings; with every folder edited there is no section.
    column.setPreviews({preview(edited, true), preview(apple), preview(root.filePath("P/Banana"))});
    QTRY_VERIFY(!column.siblings().isListing());
    QApplication::processEvents();
    EXPECT_TRUE(column.siblingFolders().isEmpty());
    EXPECT_FALSE(column.siblingSection()->isVisible());
}

TEST_F(FolderPreviewColumnTest, TheLocationLineShowsHomeAsTildeAndSaysWhenFoldersLiveApart)
{
    const QString a = make("Work/Alpha");
    column.setPreviews({preview(a)});
    show();
    const QString rootName = QDir(root.path()).dirName();
    const QString expected =
        QStringLiteral("~") + FolderLocation::separator + rootName + FolderLocation::separator + QStringLiteral("Work");
    EXPECT_EQ(column.locationText(), expected);
    EXPECT_TRUE(column.locationLine()->isVisible());
    EXPECT_EQ(column.locationLabel()->toolTip(), expected);

    QTemporaryDir elsewhere;
    column.setPreviews({preview(a), preview(elsewhere.path())});
    EXPECT_EQ(column.locationText(), QStringLiteral("Multiple locations"));
    EXPECT_EQ(column.locationLabel()->toolTip(), QStringLiteral("Multiple locations"));
    // Cut at its head, from the width the label has when it is drawn, however the layout came to it.
    ElidedLabel* label = column.locationLabel();
    const auto fits = [label] {
        return QFontMetrics(label->font()).horizontalAdvance(label->shownText()) <= label->contentsRect().width();
    };
    column.resize(900, 700);
    QApplication::processEvents();
    EXPECT_EQ(label->shownText(), QStringLiteral("Multiple locations"));
    column.resize(330, 700);
    QApplication::processEvents();
    EXPECT_TRUE(fits());
    EXPECT_TRUE(label->shownText().startsWith(QChar(0x2026)));
    EXPECT_TRUE(QStringLiteral("Multiple locations").endsWith(label->shownText().mid(1))); // its tail stays
    EXPECT_LE(label->geometry().right(), column.autoButton()->geometry().left());
    QTRY_VERIFY(!column.siblings().isListing());
    EXPECT_FALSE(column.siblingSection()->isVisible());
}

TEST_F(FolderPreviewColumnTest, TextsFollowTheAppearanceWhileTheColumnIsOpen)
{
    QApplication::setPalette(Appearance::lightPalette());
    make("Parent/Beta");
    column.setPreviews({preview(make("Parent/Alpha"), true), preview(make("Parent/Gamma"))});
    show();
    QTRY_VERIFY(column.siblingSection()->isVisible());
    const auto* hint = column.siblingSection()->findChild<LocalizedText*>();
    ASSERT_NE(hint, nullptr);
    const auto at = [](QColor color, double opacity) {
        color.setAlphaF(float(color.alphaF() * opacity));
        return color;
    };
    const QColor lightText = Appearance::lightPalette().color(QPalette::WindowText);
    EXPECT_EQ(column.locationLabel()->color(), at(lightText, 0.5));
    EXPECT_EQ(hint->palette().color(QPalette::WindowText), at(lightText, 0.25));
    EXPECT_EQ(column.cells()[1]->nameLabel()->color(), at(lightText, 0.5));

    QApplication::setPalette(Appearance::darkPalette());
    QApplication::processEvents();
    const QColor darkText = Appearance::darkPalette().color(QPalette::WindowText);
    ASSERT_NE(darkText.rgb(), lightText.rgb());
    EXPECT_EQ(column.locationLabel()->color(), at(darkText, 0.5));
    EXPECT_EQ(hint->palette().color(QPalette::WindowText), at(darkText, 0.25));
    EXPECT_EQ(column.cells()[0]->nameLabel()->color(), darkText);
    EXPECT_EQ(column.cells()[1]->nameLabel()->color(), at(darkText, 0.5));
    // And drawn so: the location's pixels are light on the dark window.
    const QImage picture = column.locationLabel()->grab().toImage();
    int brightest = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            brightest = std::max(brightest, qGray(picture.pixel(x, y)));
    EXPECT_GT(brightest, 110);
    QApplication::setPalette(Appearance::lightPalette());
}

TEST_F(FolderPreviewColumnTest, LoadingDimsTheImageUnderASpinnerAndSuccessGrowsTheMark)
{
    PreviewData p = preview(make("P/Alpha"), false, solid(Qt::red));
    column.setPreviews({p});
    show();
    PreviewCell* cell = column.cells()[0];
    const QPoint probe = cell->thumbnailRect().topLeft().toPoint() + QPoint(3, 3);
    const QColor idle = cell->grab().toImage().pixelColor(probe);
    EXPECT_EQ(idle, QColor(Qt::red));
    EXPECT_FALSE(cell->spinner()->isVisible());

    p.smartLoadingState = SmartLoadingState::loading;
    column.setPreviews({p});
    EXPECT_TRUE(cell->spinner()->isVisible());
    const QColor loading = cell->grab().toImage().pixelColor(probe);
    const QColor window = column.palette().color(QPalette::Window);
    EXPECT_NEAR(loading.redF(), 0.55 + 0.45 * window.redF(), 0.02);
    EXPECT_NEAR(loading.greenF(), 0.45 * window.greenF(), 0.02);

    p.smartLoadingState = SmartLoadingState::success;
    column.setPreviews({p});
    EXPECT_FALSE(cell->spinner()->isVisible());
    QTRY_COMPARE(cell->successMarkAmount(), 1.0);
    const QImage marked = cell->grab().toImage();
    EXPECT_EQ(marked.pixelColor(cell->thumbnailRect().center().toPoint() + QPoint(-8, 5 - 8)), QColor(Qt::black));

    p.smartLoadingState = SmartLoadingState::idle;
    column.setPreviews({p});
    QTRY_COMPARE(cell->successMarkAmount(), 0.0);
}
