#pragma once

#include "services/ColorizationViewModel.h"

namespace pigmo {

class ColorizationHistoryStore;
class Executors;
class ExtendedAttributesManager;
class FolderStyler;
class IconsModel;
class LocalizationManager;
class PalettesManager;
class SmartIconService;

// The services the editor's views read and call, handed down by the view that builds them. Every one
// outlives the views.
struct EditorServices {
    LocalizationManager& localization;
    ColorizationHistoryStore& history;
    PalettesManager& palettes;
    const IconsModel& icons;
    SmartIconService& smartIcons;
    const ExtendedAttributesManager& attributes;
    Executors& executors; // the program's pools, for work off the GUI thread

    // What the editing models read, writing through `styler` (not owned; nullptr: they write nothing).
    ColorizationServices colorization(FolderStyler* styler = nullptr) const
    {
        return {attributes, history, icons, smartIcons, styler};
    }
};

} // namespace pigmo
