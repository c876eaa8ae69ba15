#include "ui/editor/FolderColorizerView.h"

#include "EditorTestServices.h"
#include "services/ColorizationModelsGroup.h"
#include "support/LogCapture.h"
#include "ui/editor/ColorTab.h"
#include "ui/editor/CustomIconView.h"
#include "ui/editor/DashedOutline.h"
#include "ui/editor/DetailsTab.h"
#include "ui/editor/IconTab.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDragEnterEvent>
#include <QGraphicsOpacityEffect>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace pigmo;

namespace {

QImage solid(QColor color, QSize size = {40, 30})
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(color);
    return image;
}

struct FolderColorizerViewTest : ::testing::Test {
    test::EditorTestServices services;
    QTemporaryDir folders;
    ColorizationModelsGroup group{{Folder::unchecked(folders.path())}, false, services.services().colorization()};
    std::shared_ptr<ColorizationViewModel> model = group.models().first();
    FolderColorizerView pane{model, group, services.services()};

    void show()
    {
        pane.resize(420, 620);
        pane.show();
        QApplication::processEvents();
    }
    QString imageFile(const QString& name, QColor color)
    {
        const QString path = folders.filePath(name);
        EXPECT_TRUE(solid(color).save(path));
        return path;
    }
    // Drops and waits until the load has come back.
    bool drop(const QMimeData& data)
    {
        QSignalSpy done(&pane, &FolderColorizerView::imageDropFinished);
        const bool accepted = pane.handleImageDrop(data);
        if (accepted) {
            EXPECT_TRUE(done.wait(5000));
        }
        return accepted;
    }
    QColor customColor() const
    {
        if (!model->icon() || model->icon()->name != Icon::customName || !model->icon()->imageData)
            return {};
        return QImage::fromData(*model->icon()->imageData).pixelColor(0, 0);
    }
};

} // namespace

TEST_F(FolderColorizerViewTest, StartsOnTheColourTabAndEachTabShowsItsView)
{
    show();
    EXPECT_EQ(pane.currentTab(), FolderColorizerView::Tab::color);
    EXPECT_NE(pane.colorTab(), nullptr);
    pane.tabBar()->setFocus();
    QTest::keyClick(pane.tabBar(), Qt::Key_Right);
    EXPECT_EQ(pane.currentTab(), FolderColorizerView::Tab::icon);
    ASSERT_NE(pane.iconTab(), nullptr);
    pane.iconTab()->setSearchText(QStringLiteral("tree"));
    QTest::mouseClick(pane.tabBar(), Qt::LeftButton, {}, pane.tabBar()->segmentRect(2).center());
    EXPECT_EQ(pane.currentTab(), FolderColorizerView::Tab::details);
    EXPECT_NE(pane.detailsTab(), nullptr);
    EXPECT_EQ(pane.iconTab(), nullptr);
    pane.setCurrentTab(FolderColorizerView::Tab::icon);
    EXPECT_TRUE(pane.iconTab()->searchText().isEmpty()); // the icon tab starts afresh
    EXPECT_EQ(pane.iconTab()->topTab(), IconTab::TopTab::suggested);
    EXPECT_EQ(FolderColorizerView::key(FolderColorizerView::Tab::details), QStringLiteral("details"));
}

TEST_F(FolderColorizerViewTest, ADroppedImageFileOrImageDataBecomesTheCustomGlyph)
{
    show();
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(imageFile("first.png", Qt::red)),
                   QUrl::fromLocalFile(imageFile("second.png", Qt::green)),
                   QUrl::fromLocalFile(imageFile("third.png", Qt::blue))});
    EXPECT_TRUE(drop(files));
    EXPECT_EQ(customColor(), QColor(Qt::red));                     // the first of three only
    EXPECT_EQ(pane.currentTab(), FolderColorizerView::Tab::color); // the tab stays

    QMimeData data;
    data.setImageData(solid(Qt::yellow));
    pane.setCurrentTab(FolderColorizerView::Tab::details);
    EXPECT_TRUE(drop(data));
    EXPECT_EQ(customColor(), QColor(Qt::yellow));

    // The icon tab's custom sub-tab shows the dropped picture with its remove button.
    pane.setCurrentTab(FolderColorizerView::Tab::icon);
    pane.iconTab()->setTopTab(IconTab::TopTab::custom);
    EXPECT_TRUE(pane.iconTab()->customView()->isShowingImage());
    QMimeData more;
    more.setImageData(solid(Qt::cyan));
    EXPECT_TRUE(drop(more));
    EXPECT_TRUE(pane.iconTab()->customView()->isShowingImage());
    EXPECT_EQ(customColor(), QColor(Qt::cyan));
}

TEST_F(FolderColorizerViewTest, DropsWithoutAnImageAreRefusedAndAFailedLoadChangesNothing)
{
    show();
    model->setIcon(*services.icons().lucideIcon(QStringLiteral("star")));
    const std::optional<Icon> before = model->icon();
    QMimeData text;
    text.setText(QStringLiteral("words"));
    EXPECT_FALSE(pane.handleImageDrop(text));
    QMimeData notImage;
    notImage.setUrls({QUrl::fromLocalFile(folders.filePath("notes.txt"))});
    EXPECT_FALSE(pane.handleImageDrop(notImage));
    QMimeData empty;
    EXPECT_FALSE(pane.handleImageDrop(empty));

    QFile broken(folders.filePath("broken.png"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a picture at all");
    broken.close();
    QMimeData bad;
    bad.setUrls({QUrl::fromLocalFile(broken.fileName())});
    test::LogCapture log;
    EXPECT_TRUE(drop(bad));
    EXPECT_EQ(log.count(QStringLiteral("Error loading dropped icon: ")), 1);
    EXPECT_TRUE(log.lines().first().startsWith(QStringLiteral("Error loading dropped icon: ")));
    EXPECT_EQ(model->icon(), before);
}

TEST_F(FolderColorizerViewTest, AnImageDragDimsTheContentInsideADashedOutlineButNotTheTabBar)
{
    show();
    QWidget* content = pane.tabContent();
    QMimeData image;
    image.setImageData(solid(Qt::red));
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &image, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(content, &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_TRUE(pane.isFileDragging());
    auto* dim = qobject_cast<QGraphicsOpacityEffect*>(pane.colorTab()->graphicsEffect());
    ASSERT_NE(dim, nullptr);
    EXPECT_DOUBLE_EQ(dim->opacity(), FolderColorizerView::draggingOpacity);
    auto* outline = content->findChild<DashedOutline*>();
    ASSERT_NE(outline, nullptr);
    EXPECT_EQ(outline->geometry(), content->rect());
    EXPECT_EQ(outline->inset(), FolderColorizerView::outlineInset);
    EXPECT_EQ(pane.tabBar()->graphicsEffect(), nullptr);

    // The outline is drawn 30 points inside the content's edges and nowhere else.
    const QImage picture = outline->grab().toImage();
    int inked = 0, outside = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (picture.pixelColor(x, y).alpha() == 0)
                continue;
            const bool nearEdge = x < 27 || y < 27 || x >= picture.width() - 27 || y >= picture.height() - 27;
            (nearEdge ? outside : inked) += 1;
        }
    }
    EXPECT_GT(inked, 100);
    EXPECT_EQ(outside, 0);

    QDragLeaveEvent leave;
    QApplication::sendEvent(content, &leave);
    EXPECT_FALSE(pane.isFileDragging());
    EXPECT_EQ(pane.colorTab()->graphicsEffect(), nullptr);
    EXPECT_EQ(content->findChild<DashedOutline*>(), nullptr);

    QMimeData text;
    text.setText(QStringLiteral("words"));
    QDragEnterEvent other(QPoint(50, 50), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(content, &other);
    EXPECT_FALSE(other.isAccepted());
    EXPECT_FALSE(pane.isFileDragging());
}
