// The Dolphin service menu: offered for folders, titled "Colorize Folder", and its command is one the
// program's command line takes as "open these folders".

#include "platform/CommandLine.h"

#include <gtest/gtest.h>

#include <glib.h>

#include <QDir>
#include <QTemporaryDir>
#include <QUrl>

using namespace pigmo;

namespace {

constexpr const char* serviceMenu = PIGMO_SOURCE_DIR "/src/extension/dolphin/pigmo2-colorize-folder.desktop";

class DolphinServiceMenuTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(g_key_file_load_from_file(file, serviceMenu, G_KEY_FILE_NONE, nullptr)) << serviceMenu;
    }
    void TearDown() override { g_key_file_free(file); }

    QString value(const char* group, const char* key) const
    {
        gchar* text = g_key_file_get_string(file, group, key, nullptr);
        const QString result = text ? QString::fromUtf8(text) : QString();
        g_free(text);
        return result;
    }

    // The action's command as the file manager runs it for the selected folders: %U becomes one argument
    // per URL.
    QStringList command(const QStringList& folders) const
    {
        gchar** argv = nullptr;
        const QByteArray exec = value("Desktop Action colorizeFolder", "Exec").toUtf8();
        EXPECT_TRUE(g_shell_parse_argv(exec.constData(), nullptr, &argv, nullptr)) << exec.constData();
        QStringList arguments;
        for (gchar** argument = argv; argument && *argument; ++argument) {
            if (g_str_equal(*argument, "%U")) {
                for (const QString& folder : folders)
                    arguments.append(QUrl::fromLocalFile(folder).toString(QUrl::FullyEncoded));
            } else {
                arguments.append(QString::fromUtf8(*argument));
            }
        }
        g_strfreev(argv);
        return arguments;
    }

    GKeyFile* file = g_key_file_new();
};

} // namespace

TEST_F(DolphinServiceMenuTest, IsOfferedForFoldersAsColorizeFolder)
{
    gsize count = 0;
    gchar** types = g_key_file_get_string_list(file, "Desktop Entry", "MimeType", &count, nullptr);
    ASSERT_TRUE(types);
    EXPECT_EQ(QStringList(types, types + count), QStringList{QStringLiteral("inode/directory")});
    g_strfreev(types);

    EXPECT_EQ(value("Desktop Entry", "Actions"), QStringLiteral("colorizeFolder;"));
    EXPECT_EQ(value("Desktop Action colorizeFolder", "Name"), QStringLiteral("Colorize Folder"));
    EXPECT_EQ(value("Desktop Action colorizeFolder", "Icon"), QStringLiteral("io.velmar.pigmo2"));
}

TEST_F(DolphinServiceMenuTest, ItsCommandOpensTheSelectedFoldersInTheProgram)
{
    QTemporaryDir root;
    const QString summer = root.filePath(QStringLiteral("Été 2024 – vacances"));
    const QString music = root.filePath(QStringLiteral("Ünïcødé Musik"));
    ASSERT_TRUE(QDir().mkpath(summer));
    ASSERT_TRUE(QDir().mkpath(music));

    const QStringList arguments = command({summer, music});
    ASSERT_FALSE(arguments.isEmpty());
    EXPECT_EQ(arguments.first(), QStringLiteral("pigmo2"));
    const CommandLineResult parsed = CommandLine::parse(arguments, root.path());
    ASSERT_TRUE(parsed.request) << parsed.errorOutput.toStdString();
    EXPECT_EQ(parsed.request->action, LaunchRequest::Action::open);
    EXPECT_EQ(parsed.request->folders, (QStringList{summer, music}));
}
