// The gallery's pictures of the editor pane (each tab and sub-tab), the preview column with its siblings and
// smart-styling marks, and three frames of the apply overlay.

#include "GalleryScene.h"

#include "catalogue/IconsModel.h"
#include "render/ColorizationService.h"
#include "render/IconImage.h"
#include "services/ColorizationModelsGroup.h"
#include "smart/SmartIconService.h"
#include "ui/editor/ApplyAnimationOverlay.h"
#include "ui/editor/FolderColorizerView.h"
#include "ui/editor/FolderPreviewColumn.h"
#include "ui/editor/IconTab.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QPainter>
#include <QVBoxLayout>

namespace pigmo::gallery {
namespace {

// The keyword index, ready (the suggestions need it).
SmartIconService& readyIndex(GalleryContext& c)
{
    SmartIconService& index = c.smartIcons;
    index.buildIndexIfNeeded();
    const QDeadlineTimer deadline(60000);
    while (!index.isReady() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return index;
}

// A pane that owns its group of one folder (the sample folder unless one is given).
QWidget* pane(GalleryContext& c, const std::function<void(FolderColorizerView&)>& state,
              std::shared_ptr<ColorizationViewModel> model = nullptr)
{
    auto* holder = new QWidget;
    if (!model)
        model = c.sampleFolder();
    auto* group = new ColorizationModelsGroup({}, false, c.colorization(), holder);
    group->appendModels({model});
    auto* view = new FolderColorizerView(
        model, *group, {c.localization, c.history, c.palettes, c.icons, readyIndex(c), c.attributes, c.executors},
        holder);
    auto* layout = new QVBoxLayout(holder);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view);
    state(*view);
    return holder;
}

// A history that used more distinct glyphs than the icon tab shows: Lucide ones and two emoji, newest last.
void recordRecentGlyphs(GalleryContext& c)
{
    QList<Icon> used;
    for (const char* name :
         {"house",  "camera",   "book-open", "briefcase", "film",      "image",          "code",
          "heart",  "star",     "globe",     "plane",     "gamepad-2", "graduation-cap", "shopping-cart",
          "wallet", "calendar", "archive",   "palette",   "leaf",      "coffee"})
        if (std::optional<Icon> icon = c.icons.lucideIcon(QLatin1String(name)))
            used.append(*icon);
    for (const Icon& icon : c.icons.emojisIcons())
        if (icon.emoji == QStringLiteral("📷") || icon.emoji == QStringLiteral("🎧"))
            used.append(icon);
    double hue = 0;
    for (const Icon& icon : used) {
        c.history.record(QDir::homePath() + QStringLiteral("/Recent/") + icon.name,
                         ColorizationData{HSL{hue, 70, 55}, 0.6, icon, std::nullopt, IconStyle::vibrant()});
        hue += 17;
    }
}

// A history of tints, one a 30° step of hue apart, newest last.
void recordRecentColours(ColorizationHistoryStore& history)
{
    for (int step = 0; step < 8; ++step)
        history.record(
            QDir::homePath() + QStringLiteral("/Tinted/%1").arg(step),
            ColorizationData{HSL{step * 30.0 + 10, 70, 55}, 0.6, std::nullopt, std::nullopt, IconStyle::vibrant()});
}

// A folder whose glyph is an image the user dropped.
std::shared_ptr<ColorizationViewModel> customImageFolder(GalleryContext& c)
{
    std::shared_ptr<ColorizationViewModel> model = c.sampleFolder();
    QImage image(240, 240, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(250, 180, 40));
    painter.drawEllipse(QRectF(20, 20, 200, 200));
    painter.setBrush(QColor(40, 40, 60));
    painter.drawEllipse(QRectF(75, 80, 28, 36));
    painter.drawEllipse(QRectF(137, 80, 28, 36));
    painter.setPen(QPen(QColor(40, 40, 60), 12, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(QRectF(65, 90, 110, 90), 200 * 16, 140 * 16);
    painter.end();
    model->setIcon(iconFromCustomImage(image));
    return model;
}

QList<Folder> sampleSiblings()
{
    const QString parent = QDir::homePath() + QStringLiteral("/Projects");
    for (const char* name : {"Music", "Invoices", "Travel", "Archive", "Code", "Photos", "旅行", "Recipes", ".cache"})
        QDir().mkpath(parent + u'/' + QString::fromUtf8(name));
    return {Folder::unchecked(parent + QStringLiteral("/Music")),
            Folder::unchecked(parent + QStringLiteral("/Invoices")),
            Folder::unchecked(parent + QStringLiteral("/Travel"))};
}

QWidget* column(GalleryContext& c)
{
    auto* holder = new QWidget;
    auto* group = new ColorizationModelsGroup(sampleSiblings(), false, c.colorization(), holder);
    group->models()[0]->setIcon(c.icons.lucideIcon(QStringLiteral("guitar")));
    group->models()[1]->setColor({30, 80, 50});
    group->select(group->models()[0]->folder());
    QList<PreviewData> previews = FolderPreviewColumn::previewsOf(*group);
    previews[1].smartLoadingState = SmartLoadingState::loading;
    previews[2].smartLoadingState = SmartLoadingState::success;
    const auto none = [] {};
    const auto one = [](const PreviewData&) {};
    auto* view =
        new FolderPreviewColumn({one, one, [](const QList<QUrl>&) {}, none, none, one, one, one, none, none, none},
                                c.localization, c.executors, holder);
    view->setPreviews(previews);
    auto* layout = new QVBoxLayout(holder);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view);
    return holder;
}

QWidget* overlay(int count, ApplyAnimationPhase phase, bool checkmark)
{
    auto* view = new ApplyAnimationOverlay;
    QList<ApplyAnimationItem> items;
    const double hues[] = {200, 30, 140};
    for (int i = 0; i < count; ++i) {
        ApplyAnimationItem item;
        item.before = ColorizationService::neutralFolderImage().value_or(QImage());
        item.after = ColorizationService::generateIcon(
                         ColorizationData{HSL{hues[i], 80, 50}, 0.7, std::nullopt, std::nullopt, IconStyle::vibrant()})
                         .value_or(QImage());
        // The front card leads; once the badge shows, every card has settled.
        item.phase = i == 0 || checkmark ? phase : ApplyAnimationPhase::rising;
        items.append(item);
    }
    view->setItems(items);
    view->setShowCheckmark(checkmark);
    return view;
}

} // namespace

QList<GalleryScene> paneScenes()
{
    using Tab = FolderColorizerView::Tab;
    return {
        {QStringLiteral("pane-color"), 400, 560,
         [](GalleryContext& c) {
             recordRecentColours(c.history);
             return pane(c, [](FolderColorizerView& v) { v.setCurrentTab(Tab::color); });
         }},
        {QStringLiteral("pane-details"), 400, 560,
         [](GalleryContext& c) { return pane(c, [](FolderColorizerView& v) { v.setCurrentTab(Tab::details); }); }},
        {QStringLiteral("pane-icon-suggested"), 400, 560,
         [](GalleryContext& c) {
             recordRecentGlyphs(c);
             return pane(
                 c, [](FolderColorizerView& v) { v.setCurrentTab(Tab::icon); }, c.namedFolder(QStringLiteral("Music")));
         }},
        {QStringLiteral("pane-icon-search-catalogue"), 400, 560,
         [](GalleryContext& c) {
             return pane(c, [](FolderColorizerView& v) {
                 v.setCurrentTab(Tab::icon);
                 v.iconTab()->setTopTab(IconTab::TopTab::search);
                 v.iconTab()->setSearchLibrary(IconLibrary::emoji);
             });
         }},
        {QStringLiteral("pane-icon-search-results"), 400, 560,
         [](GalleryContext& c) {
             return pane(c, [](FolderColorizerView& v) {
                 v.setCurrentTab(Tab::icon);
                 v.iconTab()->setTopTab(IconTab::TopTab::search);
                 v.iconTab()->setSearchText(QStringLiteral("calen"));
             });
         }},
        {QStringLiteral("pane-icon-custom"), 400, 560,
         [](GalleryContext& c) {
             return pane(c, [](FolderColorizerView& v) {
                 v.setCurrentTab(Tab::icon);
                 v.iconTab()->setTopTab(IconTab::TopTab::custom);
             });
         }},
        {QStringLiteral("pane-icon-custom-image"), 400, 560,
         [](GalleryContext& c) {
             return pane(
                 c,
                 [](FolderColorizerView& v) {
                     v.setCurrentTab(Tab::icon);
                     v.iconTab()->setTopTab(IconTab::TopTab::custom);
                 },
                 customImageFolder(c));
         }},
        {QStringLiteral("column-siblings-loading-success"), 340, 520, [](GalleryContext& c) { return column(c); }},
        {QStringLiteral("overlay-one-rising"), 560, 420,
         [](GalleryContext&) { return overlay(1, ApplyAnimationPhase::rising, false); }},
        {QStringLiteral("overlay-three-crossing"), 560, 420,
         [](GalleryContext&) { return overlay(3, ApplyAnimationPhase::crossing, false); }},
        {QStringLiteral("overlay-three-done"), 560, 420,
         [](GalleryContext&) { return overlay(3, ApplyAnimationPhase::settled, true); }},
    };
}

} // namespace pigmo::gallery
