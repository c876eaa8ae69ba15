// The gallery's pictures of the editor's colour and details tabs, on a styled sample folder.

#include "GalleryScene.h"

#include "catalogue/IconsModel.h"
#include "ui/controls/ColorPickerPopup.h"
#include "ui/editor/ColorTab.h"
#include "ui/editor/DetailsTab.h"

namespace pigmo::gallery {
namespace {

void recordHistory(ColorizationHistoryStore& history)
{
    if (!history.chronologicalLog().isEmpty())
        return;
    const double hues[] = {10, 35, 52, 90, 140, 175, 200, 220, 250, 280, 310, 335, 350};
    for (double hue : hues)
        history.record(QStringLiteral("/tmp/gallery-%1").arg(hue),
                       ColorizationData{HSL{hue, 70, 55}, 0.6, std::nullopt, 170, IconStyle::vibrant()});
}

QWidget* colorTab(GalleryContext& context, bool withHistory)
{
    if (withHistory)
        recordHistory(context.history);
    return new ColorTab(context.sampleFolder(), context.history, context.localization);
}

QWidget* detailsTab(GalleryContext& context, const std::function<void(ColorizationViewModel&)>& style)
{
    std::shared_ptr<ColorizationViewModel> model = context.sampleFolder();
    style(*model);
    return new DetailsTab(model, context.palettes, context.localization);
}

} // namespace

QList<GalleryScene> editorScenes()
{
    return {
        {QStringLiteral("editor-color-tab-empty-history"), 380, 460,
         [](GalleryContext& c) { return colorTab(c, false); }},
        {QStringLiteral("editor-color-tab"), 380, 460, [](GalleryContext& c) { return colorTab(c, true); }},
        {QStringLiteral("editor-details-tab-no-glyph"), 380, 460,
         [](GalleryContext& c) { return detailsTab(c, [](ColorizationViewModel& m) { m.setIcon(std::nullopt); }); }},
        {QStringLiteral("editor-details-tab-vibrant"), 380, 460,
         [](GalleryContext& c) { return detailsTab(c, [](ColorizationViewModel&) {}); }},
        {QStringLiteral("editor-details-tab-color"), 380, 460,
         [](GalleryContext& c) {
             return detailsTab(c, [](ColorizationViewModel& m) { m.setIconStyle(IconStyle::color({10, 80, 40})); });
         }},
        {QStringLiteral("editor-details-tab-emoji"), 380, 460,
         [](GalleryContext& c) {
             return detailsTab(c, [](ColorizationViewModel& m) {
                 Icon rocket;
                 rocket.emoji = QStringLiteral("🚀");
                 rocket.name = QStringLiteral("rocket");
                 m.setIcon(rocket);
             });
         }},
        {QStringLiteral("editor-details-color-popup"), 0, 0,
         [](GalleryContext& c) {
             auto* tab = static_cast<DetailsTab*>(detailsTab(c, [](ColorizationViewModel& m) {
                 m.setIconStyle(IconStyle::color({10, 80, 40}));
             }));
             tab->resize(380, 420);
             tab->show();
             tab->presentColorPicker();
             return static_cast<QWidget*>(tab->colorPicker());
         }},
    };
}

} // namespace pigmo::gallery
