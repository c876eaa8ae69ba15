/* Test helper, plain C like the file-manager module: drives the app-group store from another process.
 *   app_group_tool folders PREFIX N     writes N folder lists "PREFIX<i>-a", "PREFIX<i>-b" in turn
 *   app_group_tool container PREFIX N   writes N container URLs "PREFIX<i>" in turn
 *   app_group_tool take N               takes N times, printing "F <urls joined by ,>" / "C <url>" lines */
#include "app_group_store.h"

#include <stdio.h>
#include <stdlib.h>

static int write_folders(const char* prefix, int count)
{
    for (int i = 0; i < count; ++i) {
        gchar* a = g_strdup_printf("%s%d-a", prefix, i);
        gchar* b = g_strdup_printf("%s%d-b", prefix, i);
        const gchar* urls[] = {a, b};
        const gboolean ok = pigmo_app_group_set_folder_urls(urls, 2, NULL);
        g_free(a);
        g_free(b);
        if (!ok)
            return 1;
    }
    return 0;
}

static int write_container(const char* prefix, int count)
{
    for (int i = 0; i < count; ++i) {
        gchar* url = g_strdup_printf("%s%d", prefix, i);
        const gboolean ok = pigmo_app_group_set_container_url(url, NULL);
        g_free(url);
        if (!ok)
            return 1;
    }
    return 0;
}

static int take(int count)
{
    for (int i = 0; i < count; ++i) {
        gchar** urls = NULL;
        gchar* container = NULL;
        if (!pigmo_app_group_take(&urls, &container, NULL))
            return 1;
        if (urls) {
            gchar* joined = g_strjoinv(",", urls);
            printf("F %s\n", joined);
            g_free(joined);
        }
        if (container)
            printf("C %s\n", container);
        g_strfreev(urls);
        g_free(container);
    }
    return 0;
}

int main(int argc, char** argv)
{
    if (argc == 4 && g_str_equal(argv[1], "folders"))
        return write_folders(argv[2], atoi(argv[3]));
    if (argc == 4 && g_str_equal(argv[1], "container"))
        return write_container(argv[2], atoi(argv[3]));
    if (argc == 3 && g_str_equal(argv[1], "take"))
        return take(atoi(argv[2]));
    fprintf(stderr, "usage: app_group_tool folders|container PREFIX N | take N\n");
    return 2;
}
