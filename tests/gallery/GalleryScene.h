#pragma once

#include "base/Executors.h"
#include "base/Folder.h"
#include "catalogue/IconsModel.h"
#include "services/ColorizationViewModel.h"
#include "services/LocalizationManager.h"
#include "services/PalettesManager.h"
#include "smart/SmartIconService.h"
#include "storage/ColorizationHistoryStore.h"
#include "storage/ExtendedAttributesManager.h"

#include <QList>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

namespace pigmo::gallery {

// What the scenes of the gallery share: the managers a view is given, and a styled sample folder.
struct GalleryContext {
    LocalizationManager& localization;
    PalettesManager& palettes;
    ColorizationHistoryStore& history;
    const IconsModel& icons;
    SmartIconService& smartIcons;
    const ExtendedAttributesManager& attributes;
    Executors& executors;
    // A folder styled with a tint and a Lucide glyph, made fresh for each scene.
    std::function<std::shared_ptr<ColorizationViewModel>()> sampleFolder;
    // The same styled folder under a name of the scene's choosing (the icon tab suggests glyphs for it).
    std::function<std::shared_ptr<ColorizationViewModel>(const QString& name)> namedFolder;

    // Whatever a scene's widget needs kept alive until its picture is taken (the program a window belongs to);
    // dropped after each picture. A scene that sets it keeps the widget it returns too.
    std::shared_ptr<void> keep = {};
    // The picture's theme, "light" or "dark".
    QString theme = {};

    // What the scenes' editing models read; they write nothing.
    ColorizationServices colorization() const { return {attributes, history, icons, smartIcons, nullptr}; }
};

// One picture of the gallery: a view in one state. `make` builds the widget to photograph (the gallery owns
// it); `width` and `height` are the size it is shown at (0: its own size hint); `language` is the interface
// language of the picture (empty: English). The keyboard focus is taken away before the picture, so that no
// focus ring or text cursor is in it, unless the scene `keepsFocus` (a picture of the focus itself).
struct GalleryScene {
    QString name;
    int width = 0;
    int height = 0;
    std::function<QWidget*(GalleryContext& context)> make;
    QString language = {};
    bool keepsFocus = false;
};

// The scenes of each area, in the order they are written.
QList<GalleryScene> controlScenes();
QList<GalleryScene> editorScenes();
QList<GalleryScene> paneScenes();
QList<GalleryScene> pageScenes();
QList<GalleryScene> onboardingScenes();
QList<GalleryScene> mainScenes();
QList<GalleryScene> windowScenes();

} // namespace pigmo::gallery
