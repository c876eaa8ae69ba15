/* The Caja module: "Colorize Folder" for selected folders and "Colorize All Folders" in a folder
 * window's empty area, both handing the folders to Pigmo 2 (see colorize_menu.h). */
#include "colorize_menu.h"

#include <libcaja-extension/caja-extension-types.h>
#include <libcaja-extension/caja-file-info.h>
#include <libcaja-extension/caja-menu-provider.h>
#include <libcaja-extension/caja-menu.h>

static gchar* uri_of(gpointer file_info)
{
    return caja_file_info_get_uri(CAJA_FILE_INFO(file_info));
}

static GObject* new_item(const gchar* name, const gchar* label, const gchar* icon)
{
    return G_OBJECT(caja_menu_item_new(name, label, "", icon));
}

static GList* get_file_items(CajaMenuProvider* provider, GtkWidget* window, GList* files)
{
    (void)provider;
    (void)window;
    return pigmo_colorize_file_items(files, uri_of, new_item);
}

static GList* get_background_items(CajaMenuProvider* provider, GtkWidget* window, CajaFileInfo* current_folder)
{
    (void)provider;
    (void)window;
    return pigmo_colorize_background_items(current_folder, uri_of, new_item);
}

static void init_menu_provider(gpointer interface, gpointer data)
{
    (void)data;
    CajaMenuProviderIface* menu_provider = interface;
    menu_provider->get_file_items = get_file_items;
    menu_provider->get_background_items = get_background_items;
}

static GType provider_types[1];

G_MODULE_EXPORT void caja_module_initialize(GTypeModule* module)
{
    provider_types[0] =
        pigmo_colorize_register_provider(module, "PigmoCajaMenuProvider", CAJA_TYPE_MENU_PROVIDER, init_menu_provider);
}

G_MODULE_EXPORT void caja_module_shutdown(void) {}

G_MODULE_EXPORT void caja_module_list_types(const GType** types, int* num_types)
{
    *types = provider_types;
    *num_types = G_N_ELEMENTS(provider_types);
}
