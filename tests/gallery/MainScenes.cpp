// The gallery's pictures of the main view: the drop zone (idle and while a drag hovers), the editor with
// several folders, the bottom bar in each state, frames of the apply animation over the editor with its
// success and failure endings, and the badge shown after designs were saved.

#include "GalleryScene.h"

#include "catalogue/IconsModel.h"
#include "render/ColorizationService.h"
#include "services/ColorizationModelsGroup.h"
#include "smart/SmartIconService.h"
#include "ui/main/ApplySequencer.h"
#include "ui/main/BottomBar.h"
#include "ui/main/MainView.h"

#include <QDir>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

namespace pigmo::gallery {
namespace {

EditorServices servicesOf(GalleryContext& context)
{
    return {context.localization, context.history,    context.palettes, context.icons,
            context.smartIcons,   context.attributes, context.executors};
}

// Real folders with telling names, each styled with its own tint and glyph.
std::unique_ptr<ColorizationModelsGroup> sampleGroup(GalleryContext& context, int count)
{
    static QTemporaryDir root;
    struct Look {
        const char* name;
        double hue;
        const char* glyph;
    };
    static const Look looks[] = {{"Projects", 28, "folder-code"},
                                 {"Photos", 210, "camera"},
                                 {"Music", 140, "headphones"},
                                 {"Reading list", 280, "book-open"}};
    auto group = std::make_unique<ColorizationModelsGroup>(QList<Folder>{}, false, context.colorization());
    QList<ColorizationModelsGroup::Model> models;
    for (int i = 0; i < count && i < int(std::size(looks)); ++i) {
        const QString path = root.filePath(QString::fromUtf8(looks[i].name));
        QDir().mkpath(path);
        auto model = ColorizationViewModel::create(*Folder::fromPath(path), false, context.colorization());
        model->setColor({looks[i].hue, 80, 55});
        model->setIntensity(0.6);
        model->setIcon(context.icons.lucideIcon(QString::fromUtf8(looks[i].glyph)));
        models.append(model);
    }
    group->appendModels(models);
    return group;
}

MainView* editor(GalleryContext& context, int count)
{
    auto* view = new MainView(sampleGroup(context, count), servicesOf(context));
    view->resize(MainView::contentSize);
    return view;
}

// Lets the view's timers run for `milliseconds` (the gallery then waits a little more before the picture).
void let(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// The editor of three folders with the apply animation started `milliseconds` earlier; `failed` names the
// folders that kept their old icon (none: every folder took its icon).
QWidget* applying(GalleryContext& context, int milliseconds, const QStringList& failed = {})
{
    MainView* view = editor(context, 3);
    let(100); // the previews are drawn
    QList<ApplyAnimationItem> items;
    for (const ColorizationModelsGroup::Model& model : view->colorizers().models()) {
        ApplyAnimationItem item;
        item.before = ColorizationService::blueFolderImage().value_or(QImage());
        item.after = model->image();
        items.append(item);
    }
    ApplySequencer& sequencer = view->sequencer();
    sequencer.finish(sequencer.run(items), failed);
    let(milliseconds);
    return view;
}

BottomBar* bottomBar(GalleryContext& context, int folders, bool loading, bool success)
{
    auto* bar = new BottomBar([] {}, [] {}, context.localization);
    bar->setFolderCount(folders);
    bar->showState(loading, success);
    return bar;
}

} // namespace

QList<GalleryScene> mainScenes()
{
    const int width = MainView::contentSize.width();
    const int height = MainView::contentSize.height();
    return {
        {QStringLiteral("main-drop-zone"), width, height,
         [](GalleryContext& c) { return new MainView(QList<Folder>{}, false, nullptr, servicesOf(c)); }},
        {QStringLiteral("main-drop-zone-dragging"), width, height,
         [](GalleryContext& c) { return new MainView(QList<Folder>{}, true, nullptr, servicesOf(c)); }},
        {QStringLiteral("main-editor"), width, height, [](GalleryContext& c) { return editor(c, 4); }},
        {QStringLiteral("main-bottom-bar-idle"), 340, BottomBar::height,
         [](GalleryContext& c) { return bottomBar(c, 4, false, false); }},
        {QStringLiteral("main-bottom-bar-one-folder"), 340, BottomBar::height,
         [](GalleryContext& c) { return bottomBar(c, 1, false, false); }},
        {QStringLiteral("main-bottom-bar-applying"), 340, BottomBar::height,
         [](GalleryContext& c) { return bottomBar(c, 4, true, false); }},
        {QStringLiteral("main-bottom-bar-no-folder"), 340, BottomBar::height,
         [](GalleryContext& c) { return bottomBar(c, 0, false, false); }},
        {QStringLiteral("main-bottom-bar-saved"), 340, BottomBar::height,
         [](GalleryContext& c) { return bottomBar(c, 4, false, true); }},
        {QStringLiteral("main-apply-rising"), width, height, [](GalleryContext& c) { return applying(c, 450); }},
        {QStringLiteral("main-apply-crossing"), width, height, [](GalleryContext& c) { return applying(c, 1300); }},
        {QStringLiteral("main-apply-succeeded"), width, height, [](GalleryContext& c) { return applying(c, 2400); }},
        {QStringLiteral("main-apply-failed"), width, height,
         [](GalleryContext& c) {
             return applying(c, 2400, {QStringLiteral("Photos"), QStringLiteral("Music")});
         }},
        {QStringLiteral("main-designs-saved"), width, height,
         [](GalleryContext& c) {
             MainView* view = editor(c, 2);
             view->showSaveSuccess();
             return view;
         }},
    };
}

} // namespace pigmo::gallery
