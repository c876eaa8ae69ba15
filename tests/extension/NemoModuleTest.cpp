// The Nemo module, loaded and driven as Nemo does.

#include <libnemo-extension/nemo-file-info.h>
#include <libnemo-extension/nemo-menu-provider.h>

#include "extension/FileManagerModuleTests.h"

namespace {

struct Nemo {
    static constexpr const char* name = "nemo";
    static constexpr const char* modulePath = PIGMO_MODULE_PATH;
    using FileInfoInterface = NemoFileInfoInterface;
    static GType fileInfoType() { return NEMO_TYPE_FILE_INFO; }
    static GType menuProviderType() { return NEMO_TYPE_MENU_PROVIDER; }
    static GList* fileItems(GObject* provider, GList* files)
    {
        return nemo_menu_provider_get_file_items(NEMO_MENU_PROVIDER(provider), nullptr, files);
    }
    static GList* backgroundItems(GObject* provider, GObject* currentFolder)
    {
        return nemo_menu_provider_get_background_items(NEMO_MENU_PROVIDER(provider), nullptr,
                                                       NEMO_FILE_INFO(currentFolder));
    }
};

} // namespace

namespace pigmo::test {
INSTANTIATE_TYPED_TEST_SUITE_P(Nemo, FileManagerModuleTest, Nemo);
} // namespace pigmo::test
