// The Nautilus 43 module, loaded and driven as Nautilus does.

#include <nautilus-extension.h>

#include "extension/FileManagerModuleTests.h"

namespace {

struct Nautilus {
    static constexpr const char* name = "nautilus";
    static constexpr const char* modulePath = PIGMO_MODULE_PATH;
    using FileInfoInterface = NautilusFileInfoInterface;
    static GType fileInfoType() { return NAUTILUS_TYPE_FILE_INFO; }
    static GType menuProviderType() { return NAUTILUS_TYPE_MENU_PROVIDER; }
    static GList* fileItems(GObject* provider, GList* files)
    {
        return nautilus_menu_provider_get_file_items(NAUTILUS_MENU_PROVIDER(provider), files);
    }
    static GList* backgroundItems(GObject* provider, GObject* currentFolder)
    {
        return nautilus_menu_provider_get_background_items(NAUTILUS_MENU_PROVIDER(provider),
                                                           NAUTILUS_FILE_INFO(currentFolder));
    }
};

} // namespace

namespace pigmo::test {
INSTANTIATE_TYPED_TEST_SUITE_P(Nautilus, FileManagerModuleTest, Nautilus);
} // namespace pigmo::test
