#pragma once

namespace pigmo {

class ColorizationHistoryStore;
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
};

} // namespace pigmo
