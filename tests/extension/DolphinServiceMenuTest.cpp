// The Dolphin service menus: "Colorize Folder" for selected folders, and "Colorize All Folders" for exactly
// one folder, which Dolphin also offers in a folder window's empty area for the folder it shows (its menus
// there get that folder as if it were selected). Their commands are ones the program's command line takes.

#include "platform/CommandLine.h"

#include <gtest/gtest.h>

#include <glib.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

using namespace pigmo;

namespace {

constexpr const char* colorizeFolder = PIGMO_SOURCE_DIR "/src/extension/dolphin/pigmo2-colorize-folder.desktop";
constexpr const char* colorizeAllFolders =
    PIGMO_SOURCE_DIR "/src/extension/dolphin/pigmo2-colorize-all-folders.desktop";

class ServiceMenu {
public:
    explicit ServiceMenu(const char* path)
    {
        loaded_ = g_key_file_load_from_file(file_, path, G_KEY_FILE_NONE, nullptr);
    }
    ~ServiceMenu() { g_key_file_free(file_); }
    ServiceMenu(const ServiceMenu&) = delete;
    ServiceMenu& operator=(const ServiceMenu&) = delete;

    bool isLoaded() const { return loaded_; }

    QString value(const char* group, const char* key) const
    {
        gchar* text = g_key_file_get_string(file_, group, key, nullptr);
        const QString result = text ? QString::fromUtf8(text) : QString();
        g_free(text);
        return result;
    }
    QStringList list(const char* key) const
    {
        gsize count = 0;
        gchar** values = g_key_file_get_string_list(file_, "Desktop Entry", key, &count, nullptr);
        const QStringList result = values ? QStringList(values, values + count) : QStringList{};
        g_strfreev(values);
        return result;
    }

    // Whether Dolphin offers the menu for `count` folders (its MIME type and URL-count rules).
    bool isOfferedFor(int count) const
    {
        const QStringList required =
            value("Desktop Entry", "X-KDE-RequiredNumberOfUrls").split(u',', Qt::SkipEmptyParts); // a KConfig list
        return list("MimeType").contains(QStringLiteral("inode/directory")) &&
               (required.isEmpty() || required.contains(QString::number(count)));
    }

    // The action's command as the file manager runs it for the folders: %U becomes one argument per URL,
    // %u the one URL.
    QStringList command(const char* action, const QStringList& folders) const
    {
        gchar** argv = nullptr;
        const QByteArray exec = value(action, "Exec").toUtf8();
        EXPECT_TRUE(g_shell_parse_argv(exec.constData(), nullptr, &argv, nullptr)) << exec.constData();
        QStringList arguments;
        for (gchar** argument = argv; argument && *argument; ++argument) {
            if (g_str_equal(*argument, "%U") || g_str_equal(*argument, "%u")) {
                for (const QString& folder : folders)
                    arguments.append(QUrl::fromLocalFile(folder).toString(QUrl::FullyEncoded));
            } else {
                arguments.append(QString::fromUtf8(*argument));
            }
        }
        g_strfreev(argv);
        return arguments;
    }

private:
    GKeyFile* file_ = g_key_file_new();
    bool loaded_ = false;
};

class DolphinServiceMenuTest : public ::testing::Test {
protected:
    QString makeFolder(const QString& relative)
    {
        EXPECT_TRUE(QDir(root.path()).mkpath(relative));
        return root.filePath(relative);
    }
    // What the program makes of a command: the folders it opens, or none.
    LaunchRequest requestOf(const QStringList& arguments) const
    {
        EXPECT_FALSE(arguments.isEmpty());
        EXPECT_EQ(arguments.value(0), QStringLiteral("pigmo2"));
        const CommandLineResult parsed = CommandLine::parse(arguments, root.path());
        EXPECT_TRUE(parsed.request) << parsed.errorOutput.toStdString();
        return parsed.request.value_or(LaunchRequest{});
    }

    // The menu is loaded and has one action, `id`, titled `title`, with the program's icon.
    static void expectOneAction(const ServiceMenu& menu, const char* id, const QString& title)
    {
        ASSERT_TRUE(menu.isLoaded());
        EXPECT_EQ(menu.list("Actions"), QStringList{QString::fromUtf8(id)});
        const QByteArray group = QByteArray("Desktop Action ") + id;
        EXPECT_EQ(menu.value(group.constData(), "Name"), title);
        EXPECT_EQ(menu.value(group.constData(), "Icon"), QStringLiteral("io.velmar.pigmo2"));
    }

    QTemporaryDir root;
};

} // namespace

TEST_F(DolphinServiceMenuTest, ColorizeFolderIsOfferedForAnyNumberOfFoldersAndOpensThem)
{
    const ServiceMenu menu(colorizeFolder);
    expectOneAction(menu, "colorizeFolder", QStringLiteral("Colorize Folder"));
    EXPECT_TRUE(menu.isOfferedFor(1));
    EXPECT_TRUE(menu.isOfferedFor(3));

    const QString summer = makeFolder(QStringLiteral("Été 2024 – vacances"));
    const QString music = makeFolder(QStringLiteral("Ünïcødé Musik"));
    makeFolder(QStringLiteral("Ünïcødé Musik/inside"));
    const LaunchRequest request = requestOf(menu.command("Desktop Action colorizeFolder", {summer, music}));
    EXPECT_EQ(request.action, LaunchRequest::Action::open);
    EXPECT_EQ(request.folders, (QStringList{summer, music}));
}

TEST_F(DolphinServiceMenuTest, ColorizeAllFoldersIsOfferedForOneFolderAndOpensItsVisibleSubfolders)
{
    const ServiceMenu menu(colorizeAllFolders);
    expectOneAction(menu, "colorizeAllFolders", QStringLiteral("Colorize All Folders"));
    EXPECT_TRUE(menu.isOfferedFor(1)); // the shown folder in the empty area, or one selected folder
    EXPECT_FALSE(menu.isOfferedFor(2));

    const QString shown = makeFolder(QStringLiteral("Boîte à idées"));
    const QString one = makeFolder(QStringLiteral("Boîte à idées/un"));
    const QString two = makeFolder(QStringLiteral("Boîte à idées/deux"));
    makeFolder(QStringLiteral("Boîte à idées/.caché"));
    QFile list(shown + QStringLiteral("/liste.txt"));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    const LaunchRequest request = requestOf(menu.command("Desktop Action colorizeAllFolders", {shown}));
    EXPECT_EQ(request.action, LaunchRequest::Action::open);
    EXPECT_EQ(request.folders, (QStringList{two, one})); // never the shown folder itself
}
