#include "app_group_store.h"

#include <errno.h>
#include <fcntl.h>
#include <glib/gstdio.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#define GROUP "Shared"

gchar* pigmo_app_group_store_path(void)
{
    return g_build_filename(g_get_user_config_dir(), PIGMO_APP_GROUP_ID, "preferences.ini", NULL);
}

static gboolean fail_with_errno(GError** error, const char* what, const gchar* path)
{
    const int saved = errno;
    g_set_error(error, G_FILE_ERROR, g_file_error_from_errno(saved), "%s %s: %s", what, path, g_strerror(saved));
    return FALSE;
}

static gboolean is_regular(int fd)
{
    struct stat status;
    return fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
}

/* Opens and exclusively locks the lock file beside the store; returns its descriptor or -1. The lock
 * must be a regular file: opening never blocks, and anything else at its path fails. */
static int lock_store(const gchar* store_path, GError** error)
{
    gchar* directory = g_path_get_dirname(store_path);
    gchar* lock_path = g_strconcat(store_path, ".lock", NULL);
    int fd = -1;
    if (g_mkdir_with_parents(directory, 0700) != 0) {
        fail_with_errno(error, "Cannot create", directory);
    } else if ((fd = open(lock_path, O_RDWR | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0600)) < 0) {
        fail_with_errno(error, "Cannot open", lock_path);
    } else if (!is_regular(fd)) {
        errno = EINVAL;
        fail_with_errno(error, "Not a regular file:", lock_path);
        close(fd);
        fd = -1;
    } else {
        int rc;
        while ((rc = flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
        }
        if (rc != 0) {
            fail_with_errno(error, "Cannot lock", lock_path);
            close(fd);
            fd = -1;
        }
    }
    g_free(lock_path);
    g_free(directory);
    return fd;
}

static void unlock_store(int fd)
{
    flock(fd, LOCK_UN);
    close(fd);
}

/* The largest store read; a hand-over of thousands of folders stays far below it. */
#define MAX_STORE_BYTES (4 * 1024 * 1024)

/* The whole content of the regular file at path, or NULL (set errno) when there is no such file, it is
 * something else (a FIFO, a device, a directory) or larger than MAX_STORE_BYTES. Never blocks on open. */
static gchar* read_regular_file(const gchar* path, gsize* length)
{
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return NULL;
    struct stat status;
    gchar* data = NULL;
    if (fstat(fd, &status) != 0) {
        /* errno set */
    } else if (!S_ISREG(status.st_mode)) {
        errno = EINVAL;
    } else if (status.st_size > MAX_STORE_BYTES) {
        errno = EFBIG;
    } else {
        data = g_malloc((gsize)status.st_size + 1);
        gsize total = 0;
        for (;;) {
            const ssize_t got = read(fd, data + total, (gsize)status.st_size + 1 - total);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            total += (gsize)got;
            if (total > (gsize)status.st_size) /* grew while being read */
                break;
        }
        if (total > (gsize)status.st_size) {
            g_free(data);
            data = NULL;
            errno = EFBIG;
        } else {
            *length = total;
        }
    }
    const int saved = errno;
    close(fd);
    errno = saved;
    return data;
}

/* The stored entries; a missing, unreadable or non-regular file reads as empty (a hand-over is transient,
 * and the next write replaces such a file). */
static GKeyFile* load(const gchar* path)
{
    GKeyFile* file = g_key_file_new();
    gsize length = 0;
    gchar* data = read_regular_file(path, &length);
    if (data != NULL && !g_key_file_load_from_data(file, data, length, G_KEY_FILE_KEEP_COMMENTS, NULL)) {
        g_key_file_free(file);
        file = g_key_file_new();
    }
    g_free(data);
    return file;
}

static gboolean save(GKeyFile* file, const gchar* path, GError** error)
{
    gsize length = 0;
    gchar* data = g_key_file_to_data(file, &length, NULL);
    const gboolean ok =
        g_file_set_contents_full(path, data, (gssize)length, G_FILE_SET_CONTENTS_CONSISTENT, 0600, error);
    g_free(data);
    return ok;
}

typedef void (*Update)(GKeyFile* file, gconstpointer values, gsize count);

static gboolean update_locked(Update update, gconstpointer values, gsize count, GError** error)
{
    gchar* path = pigmo_app_group_store_path();
    const int lock = lock_store(path, error);
    gboolean ok = FALSE;
    if (lock >= 0) {
        GKeyFile* file = load(path);
        update(file, values, count);
        ok = save(file, path, error);
        g_key_file_free(file);
        unlock_store(lock);
    }
    g_free(path);
    return ok;
}

static void put_folder_urls(GKeyFile* file, gconstpointer values, gsize count)
{
    g_key_file_set_string_list(file, GROUP, PIGMO_APP_GROUP_FOLDER_URLS_KEY, (const gchar* const*)values, count);
}

static void put_container_url(GKeyFile* file, gconstpointer value, gsize count)
{
    (void)count;
    g_key_file_set_string(file, GROUP, PIGMO_APP_GROUP_CONTAINER_URL_KEY, (const gchar*)value);
}

gboolean pigmo_app_group_set_folder_urls(const gchar* const* urls, gsize count, GError** error)
{
    g_return_val_if_fail(urls != NULL || count == 0, FALSE);
    return update_locked(put_folder_urls, urls, count, error);
}

gboolean pigmo_app_group_set_container_url(const gchar* url, GError** error)
{
    g_return_val_if_fail(url != NULL, FALSE);
    return update_locked(put_container_url, url, 0, error);
}

static gboolean is_one_of(const gchar* key, const gchar* const* keys)
{
    for (const gchar* const* each = keys; *each != NULL; ++each) {
        if (g_str_equal(key, *each))
            return TRUE;
    }
    return FALSE;
}

/* Every entry of file except the given keys of the hand-over group, each copy of them (a key written twice
 * in a group, or a group written twice, must not hand the same folders over again). */
static GKeyFile* without_keys(GKeyFile* file, const gchar* const* keys)
{
    GKeyFile* rest = g_key_file_new();
    gchar** groups = g_key_file_get_groups(file, NULL);
    for (gchar** group = groups; *group != NULL; ++group) {
        gchar** names = g_key_file_get_keys(file, *group, NULL, NULL);
        for (gchar** key = names; names != NULL && *key != NULL; ++key) {
            if (g_str_equal(*group, GROUP) && is_one_of(*key, keys))
                continue;
            gchar* value = g_key_file_get_value(file, *group, *key, NULL);
            if (value != NULL)
                g_key_file_set_value(rest, *group, *key, value);
            g_free(value);
        }
        g_strfreev(names);
    }
    g_strfreev(groups);
    return rest;
}

/* Writes what is left without the keys; a file left without entries is deleted. */
static gboolean store_without(GKeyFile* file, const gchar* path, const gchar* const* keys, GError** error)
{
    GKeyFile* rest = without_keys(file, keys);
    gsize groups = 0;
    gchar** group_names = g_key_file_get_groups(rest, &groups);
    g_strfreev(group_names);
    gboolean ok = TRUE;
    if (groups > 0)
        ok = save(rest, path, error);
    else if (g_unlink(path) != 0 && errno != ENOENT)
        ok = fail_with_errno(error, "Cannot delete", path);
    g_key_file_free(rest);
    return ok;
}

typedef gboolean (*Holds)(GKeyFile* file, gconstpointer values, gsize count);

static gboolean withdraw_locked(const gchar* key, Holds holds, gconstpointer values, gsize count, GError** error)
{
    gchar* path = pigmo_app_group_store_path();
    const int lock = lock_store(path, error);
    gboolean ok = lock >= 0;
    if (ok) {
        GKeyFile* file = load(path);
        const gchar* const keys[] = {key, NULL};
        if (holds(file, values, count))
            ok = store_without(file, path, keys, error);
        g_key_file_free(file);
        unlock_store(lock);
    }
    g_free(path);
    return ok;
}

static gboolean holds_folder_urls(GKeyFile* file, gconstpointer values, gsize count)
{
    const gchar* const* urls = values;
    gsize stored_count = 0;
    gchar** stored = g_key_file_get_string_list(file, GROUP, PIGMO_APP_GROUP_FOLDER_URLS_KEY, &stored_count, NULL);
    gboolean same = stored != NULL
                        ? stored_count == count
                        : count == 0 && g_key_file_has_key(file, GROUP, PIGMO_APP_GROUP_FOLDER_URLS_KEY, NULL);
    for (gsize i = 0; same && i < count; ++i)
        same = g_strcmp0(stored[i], urls[i]) == 0;
    g_strfreev(stored);
    return same;
}

static gboolean holds_container_url(GKeyFile* file, gconstpointer value, gsize count)
{
    (void)count;
    gchar* stored = g_key_file_get_string(file, GROUP, PIGMO_APP_GROUP_CONTAINER_URL_KEY, NULL);
    const gboolean same = g_strcmp0(stored, (const gchar*)value) == 0;
    g_free(stored);
    return same;
}

gboolean pigmo_app_group_withdraw_folder_urls(const gchar* const* urls, gsize count, GError** error)
{
    g_return_val_if_fail(urls != NULL || count == 0, FALSE);
    return withdraw_locked(PIGMO_APP_GROUP_FOLDER_URLS_KEY, holds_folder_urls, urls, count, error);
}

gboolean pigmo_app_group_withdraw_container_url(const gchar* url, GError** error)
{
    g_return_val_if_fail(url != NULL, FALSE);
    return withdraw_locked(PIGMO_APP_GROUP_CONTAINER_URL_KEY, holds_container_url, url, 0, error);
}

gboolean pigmo_app_group_take(gchar*** folder_urls, gchar** container_url, GError** error)
{
    g_return_val_if_fail(folder_urls != NULL && container_url != NULL, FALSE);
    *folder_urls = NULL;
    *container_url = NULL;
    gchar* path = pigmo_app_group_store_path();
    const int lock = lock_store(path, error);
    if (lock < 0) {
        g_free(path);
        return FALSE;
    }
    GKeyFile* file = load(path);
    gchar** urls = g_key_file_get_string_list(file, GROUP, PIGMO_APP_GROUP_FOLDER_URLS_KEY, NULL, NULL);
    if (urls == NULL && g_key_file_has_key(file, GROUP, PIGMO_APP_GROUP_FOLDER_URLS_KEY, NULL))
        urls = g_new0(gchar*, 1); /* an empty list is present, not absent */
    gchar* container = g_key_file_get_string(file, GROUP, PIGMO_APP_GROUP_CONTAINER_URL_KEY, NULL);
    const gchar* const keys[] = {PIGMO_APP_GROUP_FOLDER_URLS_KEY, PIGMO_APP_GROUP_CONTAINER_URL_KEY, NULL};
    const gboolean ok = (urls == NULL && container == NULL) || store_without(file, path, keys, error);
    g_key_file_free(file);
    unlock_store(lock);
    g_free(path);
    if (!ok) {
        g_strfreev(urls);
        g_free(container);
        return FALSE;
    }
    *folder_urls = urls;
    *container_url = container;
    return TRUE;
}
