/* The file-manager entries of Pigmo 2, shared by the Nautilus, Nemo and Caja modules: which entry a
 * selection gets, and what choosing it does (the folders go into the app-group store, then the program is
 * started through its desktop file). Plain C with GLib/GIO; it knows nothing of any file manager, whose
 * module passes two small functions (the URI of one of its file-info objects, a new menu item).
 *
 * Everything here runs on the thread the file manager calls its modules on and keeps no state. */
#ifndef PIGMO_COLORIZE_MENU_H
#define PIGMO_COLORIZE_MENU_H

#include <gio/gio.h>

G_BEGIN_DECLS

#define PIGMO_PROGRAM_DESKTOP_ID "io.velmar.pigmo2.desktop"
#define PIGMO_COLORIZE_FOLDERS_ITEM "Pigmo2::ColorizeFolders"
#define PIGMO_COLORIZE_ALL_FOLDERS_ITEM "Pigmo2::ColorizeAllFolders"
#define PIGMO_COLORIZE_ALL_FOLDERS_TITLE "Colorize All Folders"

/* The URI of one of the file manager's file-info objects, as a new string (NULL when it has none). */
typedef gchar* (*PigmoUriOf)(gpointer file_info);
/* A new menu item of the file manager (a full reference, owned by the caller); `icon` may be NULL. Choosing
 * it must emit its "activate" signal. */
typedef GObject* (*PigmoNewMenuItem)(const gchar* name, const gchar* label, const gchar* icon);

/* The `file://` URIs, in the given order, of those URIs that name existing local directories (a symbolic
 * link to a directory counts; an item that no longer exists does not). NULL-terminated; free with
 * g_strfreev(). */
gchar** pigmo_colorize_existing_folders(const gchar* const* uris);

/* The title of the entry for a selection: "Colorize Folder" for one existing folder among the URIs,
 * "Colorize N Folders" for more, NULL (no entry) for none. Free with g_free(). */
gchar* pigmo_colorize_selection_title(const gchar* const* uris);

/* The icon of the installed program (the Icon of its desktop file), or NULL when the program is not
 * installed: the entries then have no icon. Free with g_free(). */
gchar* pigmo_colorize_program_icon(void);

/* The selection's entry was chosen: the existing folders among the URIs (checked again now) replace the
 * folder list of the app-group store and the program is started. Nothing happens when no folder is left.
 * A store that cannot be written is logged and the program is still started. When the program cannot be
 * started, the list this choice wrote is taken back out of the store (a list written since stays), so that
 * it does not surface at some later, unrelated start. */
void pigmo_colorize_folders(const gchar* const* uris);

/* The folder window's entry was chosen: the folder replaces the container of the app-group store (the
 * folder list stays as it is) and the program is started; as above, a start that fails takes the container
 * back. */
void pigmo_colorize_all_folders_in(const gchar* folder_uri);

/* Starts the program through its desktop file. When it cannot be started (it is not installed, its program
 * is not on PATH, or the start fails) "Failed to launch main app: " and the reason are logged on standard
 * error. Returns whether it was started. */
gboolean pigmo_colorize_launch_program(void);

/* The items of a menu provider's file-items call: one item for a selection holding existing folders, none
 * otherwise. `files` is the file manager's list of file-info objects; the item remembers their URIs and
 * hands the folders over when it is activated. The list and its items belong to the caller. */
GList* pigmo_colorize_file_items(GList* files, PigmoUriOf uri_of, PigmoNewMenuItem new_item);

/* The items of a menu provider's background-items call: "Colorize All Folders" for a local folder, none for
 * other locations (trash, network, search results). */
GList* pigmo_colorize_background_items(gpointer current_folder, PigmoUriOf uri_of, PigmoNewMenuItem new_item);

/* Registers in a file manager's type module a plain object type named `type_name` that implements the file
 * manager's menu-provider interface `menu_provider`, whose functions `init_interface` fills in. Returns the
 * type, for the module's list of types. */
GType pigmo_colorize_register_provider(GTypeModule* module, const gchar* type_name, GType menu_provider,
                                       GInterfaceInitFunc init_interface);

G_END_DECLS

#endif /* PIGMO_COLORIZE_MENU_H */
