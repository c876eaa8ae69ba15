/* The app-group preferences shared by the program and its file-manager modules: a key file at
 * $XDG_CONFIG_HOME/group.io.velmar.pigmo2/preferences.ini holding the folders handed over to the program.
 *
 * Plain C with GLib only, so that the Nautilus module can use it. Every operation takes an exclusive
 * flock on "preferences.ini.lock" next to the file for its whole read-modify-write, and replaces the
 * file atomically (write to a temporary file, then rename): a reader never sees half a file, and two
 * writers of different keys never lose each other's entry. Thread-safe and process-safe. */
#ifndef PIGMO_APP_GROUP_STORE_H
#define PIGMO_APP_GROUP_STORE_H

#include <glib.h>

G_BEGIN_DECLS

#define PIGMO_APP_GROUP_ID "group.io.velmar.pigmo2"
/* Array of absolute folder URL strings, written by a file manager's "selected folders" entry. */
#define PIGMO_APP_GROUP_FOLDER_URLS_KEY "sharedFolderURLsToOpen"
/* One absolute folder URL string whose subfolders are to be opened. */
#define PIGMO_APP_GROUP_CONTAINER_URL_KEY "sharedContainerURLToOpen"

/* The file's path; the caller frees it with g_free(). */
gchar* pigmo_app_group_store_path(void);

/* Replaces the folder list (count strings; count 0 stores an empty list). */
gboolean pigmo_app_group_set_folder_urls(const gchar* const* urls, gsize count, GError** error);

/* Replaces the container folder. */
gboolean pigmo_app_group_set_container_url(const gchar* url, GError** error);

/* Take back a hand-over whose program could not be started: each removes its entry only while it still
 * holds exactly what was written (count strings, in order; or the one URL), so that an entry another
 * writer put there since stays. An entry already gone is no error. */
gboolean pigmo_app_group_withdraw_folder_urls(const gchar* const* urls, gsize count, GError** error);
gboolean pigmo_app_group_withdraw_container_url(const gchar* url, GError** error);

/* Reads both entries and removes them in one locked step, so that an entry is taken exactly once.
 * On success *folder_urls is a NULL-terminated array (NULL when the key was absent; free with g_strfreev)
 * and *container_url a string (NULL when absent; free with g_free). On failure both stay NULL and the
 * entries stay in the file. */
gboolean pigmo_app_group_take(gchar*** folder_urls, gchar** container_url, GError** error);

G_END_DECLS

#endif /* PIGMO_APP_GROUP_STORE_H */
