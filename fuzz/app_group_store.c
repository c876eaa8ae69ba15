/* The hand-over store written by the file-manager modules: any file content is taken without a crash, and
 * once taken the hand-over entries are gone, every copy of them. */
#include "app_group_store.h"

#include <glib/gstdio.h>
#include <stdint.h>
#include <stdlib.h>

int LLVMFuzzerInitialize(int* argc, char*** argv);
int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    (void)argc;
    (void)argv;
    gchar* home = g_dir_make_tmp("pigmo-fuzz-XXXXXX", NULL);
    gchar* config = g_build_filename(home, ".config", NULL);
    g_setenv("HOME", home, TRUE);
    g_setenv("XDG_CONFIG_HOME", config, TRUE);
    g_free(config);
    g_free(home);
    return 0;
}

int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    gchar* path = pigmo_app_group_store_path();
    gchar* directory = g_path_get_dirname(path);
    g_mkdir_with_parents(directory, 0700);
    if (!g_file_set_contents(path, (const gchar*)data, (gssize)size, NULL))
        abort();
    gchar** urls = NULL;
    gchar* container = NULL;
    if (pigmo_app_group_take(&urls, &container, NULL)) {
        g_strfreev(urls);
        g_free(container);
        urls = NULL;
        container = NULL;
        if (!pigmo_app_group_take(&urls, &container, NULL) || urls != NULL || container != NULL)
            abort(); /* a second take finds nothing */
    }
    g_strfreev(urls);
    g_free(container);
    g_unlink(path);
    g_free(directory);
    g_free(path);
    return 0;
}
