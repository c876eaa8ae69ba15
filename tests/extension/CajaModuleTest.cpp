// The Caja module, loaded and driven as Caja does.

#include <libcaja-extension/caja-file-info.h>
#include <libcaja-extension/caja-menu-provider.h>

#include "extension/FileManagerModuleTests.h"

namespace {

struct Caja {
    static constexpr const char* name = "caja";
    static constexpr const char* modulePath = PIGMO_MODULE_PATH;
    using FileInfoInterface = CajaFileInfoIface;
    static GType fileInfoType() { return CAJA_TYPE_FILE_INFO; }
    static GType menuProviderType() { return CAJA_TYPE_MENU_PROVIDER; }
    static GList* fileItems(GObject* provider, GList* files)
    {
        return caja_menu_provider_get_file_items(CAJA_MENU_PROVIDER(provider), nullptr, files);
    }
    static GList* backgroundItems(GObject* provider, GObject* currentFolder)
    {
        return caja_menu_provider_get_background_items(CAJA_MENU_PROVIDER(provider), nullptr,
                                                       CAJA_FILE_INFO(currentFolder));
    }
};

} // namespace

namespace pigmo::test {
INSTANTIATE_TYPED_TEST_SUITE_P(Caja, FileManagerModuleTest, Caja);
} // namespace pigmo::test
