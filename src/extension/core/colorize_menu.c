#include "colorize_menu.h"

#include "app_group_store.h"

#include <gio/gdesktopappinfo.h>

/* The local path of a URI when it names an existing directory on this computer, else NULL. */
static gchar* existing_folder_path(const gchar* uri)
{
    gchar* host = NULL;
    gchar* path = g_filename_from_uri(uri, &host, NULL);
    const gboolean elsewhere = host != NULL && host[0] != '\0' && g_strcmp0(host, "localhost") != 0;
    if (path != NULL && (elsewhere || !g_file_test(path, G_FILE_TEST_IS_DIR)))
        g_clear_pointer(&path, g_free);
    g_free(host);
    return path;
}

gchar** pigmo_colorize_existing_folders(const gchar* const* uris)
{
    GPtrArray* folders = g_ptr_array_new();
    for (const gchar* const* uri = uris; uri != NULL && *uri != NULL; ++uri) {
        gchar* path = existing_folder_path(*uri);
        if (path == NULL)
            continue;
        gchar* folder = g_filename_to_uri(path, NULL, NULL);
        if (folder != NULL)
            g_ptr_array_add(folders, folder);
        g_free(path);
    }
    g_ptr_array_add(folders, NULL);
    return (gchar**)g_ptr_array_free(folders, FALSE);
}

gchar* pigmo_colorize_selection_title(const gchar* const* uris)
{
    gchar** folders = pigmo_colorize_existing_folders(uris);
    const guint count = g_strv_length(folders);
    g_strfreev(folders);
    if (count == 0)
        return NULL;
    if (count == 1)
        return g_strdup("Colorize Folder");
    return g_strdup_printf("Colorize %u Folders", count);
}

gchar* pigmo_colorize_program_icon(void)
{
    GDesktopAppInfo* program = g_desktop_app_info_new(PIGMO_PROGRAM_DESKTOP_ID);
    if (program == NULL)
        return NULL;
    GIcon* icon = g_app_info_get_icon(G_APP_INFO(program));
    gchar* name = icon != NULL ? g_icon_to_string(icon) : NULL;
    g_object_unref(program);
    return name;
}

gboolean pigmo_colorize_launch_program(void)
{
    GDesktopAppInfo* program = g_desktop_app_info_new(PIGMO_PROGRAM_DESKTOP_ID);
    if (program == NULL) {
        g_printerr("Failed to launch main app: Pigmo 2 is not installed (no " PIGMO_PROGRAM_DESKTOP_ID
                   " whose program is on PATH)\n");
        return FALSE;
    }
    GError* error = NULL;
    const gboolean launched = g_app_info_launch(G_APP_INFO(program), NULL, NULL, &error);
    if (!launched) {
        g_printerr("Failed to launch main app: %s\n", error->message);
        g_error_free(error);
    }
    g_object_unref(program);
    return launched;
}

/* Logs a failed store operation; `what` says what could not be done. */
static void report_store_error(const gchar* what, GError* error)
{
    if (error == NULL)
        return;
    g_printerr("%s: %s\n", what, error->message);
    g_error_free(error);
}

static const gchar* const unwritten_store = "Cannot hand the folders over to Pigmo 2";
static const gchar* const unwithdrawn_store = "Cannot take the folders back from Pigmo 2's hand-over";

void pigmo_colorize_folders(const gchar* const* uris)
{
    gchar** folders = pigmo_colorize_existing_folders(uris);
    const guint count = g_strv_length(folders);
    if (count > 0) {
        GError* error = NULL;
        const gboolean handed_over = pigmo_app_group_set_folder_urls((const gchar* const*)folders, count, &error);
        report_store_error(unwritten_store, error);
        if (!pigmo_colorize_launch_program() && handed_over) {
            error = NULL;
            pigmo_app_group_withdraw_folder_urls((const gchar* const*)folders, count, &error);
            report_store_error(unwithdrawn_store, error);
        }
    }
    g_strfreev(folders);
}

void pigmo_colorize_all_folders_in(const gchar* folder_uri)
{
    g_return_if_fail(folder_uri != NULL);
    GError* error = NULL;
    const gboolean handed_over = pigmo_app_group_set_container_url(folder_uri, &error);
    report_store_error(unwritten_store, error);
    if (!pigmo_colorize_launch_program() && handed_over) {
        error = NULL;
        pigmo_app_group_withdraw_container_url(folder_uri, &error);
        report_store_error(unwithdrawn_store, error);
    }
}

static void on_folders_chosen(GObject* item, gpointer uris)
{
    (void)item;
    pigmo_colorize_folders((const gchar* const*)uris);
}

static void on_all_folders_chosen(GObject* item, gpointer folder_uri)
{
    (void)item;
    pigmo_colorize_all_folders_in((const gchar*)folder_uri);
}

static void free_uris(gpointer uris, GClosure* closure)
{
    (void)closure;
    g_strfreev((gchar**)uris);
}

static void free_uri(gpointer uri, GClosure* closure)
{
    (void)closure;
    g_free(uri);
}

/* A one-item list: a new item whose "activate" calls `chosen` with `data`, which the item owns. */
static GList* one_item(PigmoNewMenuItem new_item, const gchar* name, const gchar* title, GCallback chosen,
                       gpointer data, GClosureNotify free_data)
{
    gchar* icon = pigmo_colorize_program_icon();
    GObject* item = new_item(name, title, icon);
    g_free(icon);
    if (item == NULL) {
        free_data(data, NULL);
        return NULL;
    }
    g_signal_connect_data(item, "activate", chosen, data, free_data, 0);
    return g_list_append(NULL, item);
}

GList* pigmo_colorize_file_items(GList* files, PigmoUriOf uri_of, PigmoNewMenuItem new_item)
{
    GPtrArray* uris = g_ptr_array_new();
    for (GList* file = files; file != NULL; file = file->next) {
        gchar* uri = uri_of(file->data);
        if (uri != NULL)
            g_ptr_array_add(uris, uri);
    }
    g_ptr_array_add(uris, NULL);
    gchar** selection = (gchar**)g_ptr_array_free(uris, FALSE);
    gchar* title = pigmo_colorize_selection_title((const gchar* const*)selection);
    if (title == NULL) {
        g_strfreev(selection);
        return NULL;
    }
    GList* items =
        one_item(new_item, PIGMO_COLORIZE_FOLDERS_ITEM, title, G_CALLBACK(on_folders_chosen), selection, free_uris);
    g_free(title);
    return items;
}

GList* pigmo_colorize_background_items(gpointer current_folder, PigmoUriOf uri_of, PigmoNewMenuItem new_item)
{
    if (current_folder == NULL)
        return NULL;
    gchar* uri = uri_of(current_folder);
    gchar* path = uri != NULL ? existing_folder_path(uri) : NULL;
    g_free(uri);
    if (path == NULL)
        return NULL;
    gchar* folder = g_filename_to_uri(path, NULL, NULL);
    g_free(path);
    if (folder == NULL)
        return NULL;
    return one_item(new_item, PIGMO_COLORIZE_ALL_FOLDERS_ITEM, PIGMO_COLORIZE_ALL_FOLDERS_TITLE,
                    G_CALLBACK(on_all_folders_chosen), folder, free_uri);
}

GType pigmo_colorize_register_provider(GTypeModule* module, const gchar* type_name, GType menu_provider,
                                       GInterfaceInitFunc init_interface)
{
    static const GTypeInfo provider = {
        .class_size = sizeof(GObjectClass),
        .instance_size = sizeof(GObject),
    };
    const GType type = g_type_module_register_type(module, G_TYPE_OBJECT, type_name, &provider, G_TYPE_FLAG_FINAL);
    const GInterfaceInfo menu = {.interface_init = init_interface};
    g_type_module_add_interface(module, type, menu_provider, &menu);
    return type;
}
