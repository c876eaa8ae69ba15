#include "platform/Autostart.h"

#include "support/LogCapture.h"

#include <gio/gdesktopappinfo.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace pigmo;

namespace {

QByteArray contents()
{
    QFile file(Autostart::filePath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The entry's command as a session runs it: Exec read as a string and split into arguments.
QStringList command()
{
    GKeyFile* file = g_key_file_new();
    gchar* exec = nullptr;
    if (g_key_file_load_from_file(file, QFile::encodeName(Autostart::filePath()).constData(), G_KEY_FILE_NONE, nullptr))
        exec = g_key_file_get_string(file, "Desktop Entry", "Exec", nullptr);
    gchar** argv = nullptr;
    QStringList arguments;
    if (exec && g_shell_parse_argv(exec, nullptr, &argv, nullptr))
        arguments = QStringList(argv, argv + g_strv_length(argv));
    g_strfreev(argv);
    g_free(exec);
    g_key_file_free(file);
    return arguments;
}

// PATH set for the life of the object.
class PathOverride {
public:
    explicit PathOverride(const QString& path)
        : saved_(qgetenv("PATH"))
    {
        qputenv("PATH", QFile::encodeName(path));
    }
    ~PathOverride() { qputenv("PATH", saved_); }
    PathOverride(const PathOverride&) = delete;
    PathOverride& operator=(const PathOverride&) = delete;

private:
    QByteArray saved_;
};

bool writeScript(const QString& path, const QByteArray& body)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(body) != body.size())
        return false;
    file.close();
    return file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST(AutostartTest, EnableWritesTheXdgEntryAndDisableDeletesIt)
{
    EXPECT_TRUE(Autostart::filePath().endsWith(QStringLiteral("/autostart/io.velmar.pigmo2.desktop")));
    EXPECT_TRUE(Autostart::filePath().startsWith(qEnvironmentVariable("XDG_CONFIG_HOME")));
    EXPECT_FALSE(Autostart::isEnabled());

    ASSERT_TRUE(Autostart::enable(QStringLiteral("pigmo2")));
    EXPECT_TRUE(Autostart::isEnabled());
    const QByteArray entry = contents();
    EXPECT_TRUE(entry.startsWith("[Desktop Entry]\n")) << "never [Desktop%20Entry]";
    EXPECT_TRUE(entry.contains("\nExec=pigmo2 --autostart\n"));
    EXPECT_TRUE(entry.contains("\nType=Application\n"));
    EXPECT_TRUE(Autostart::enable()) << "enabling twice is harmless";

    ASSERT_TRUE(Autostart::disable());
    EXPECT_FALSE(QFileInfo::exists(Autostart::filePath()));
    EXPECT_FALSE(Autostart::isEnabled());
    EXPECT_TRUE(Autostart::disable());
}

TEST(AutostartTest, TheEntryStartsThisProgramByNameOnlyWhenPathLeadsToIt)
{
    const QString self = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
    QTemporaryDir bin;
    const PathOverride path(bin.path());
    const QString onPath = bin.filePath(QStringLiteral("pigmo2"));

    // Started from its build folder, no pigmo2 on PATH: the login start must find it all the same.
    ASSERT_TRUE(Autostart::enable());
    EXPECT_EQ(command(), (QStringList{self, QStringLiteral("--autostart")}));

    // Another pigmo2 comes first on PATH: it is not this program.
    ASSERT_TRUE(writeScript(onPath, "#!/bin/sh\n"));
    ASSERT_TRUE(Autostart::enable());
    EXPECT_EQ(command(), (QStringList{self, QStringLiteral("--autostart")}));

    // The pigmo2 on PATH is this very program (an installed link to it).
    ASSERT_TRUE(QFile::remove(onPath));
    ASSERT_TRUE(QFile::link(self, onPath));
    ASSERT_TRUE(Autostart::enable());
    EXPECT_EQ(command(), (QStringList{QStringLiteral("pigmo2"), QStringLiteral("--autostart")}));
    EXPECT_TRUE(contents().contains("\nExec=pigmo2 --autostart\n"));
}

TEST(AutostartTest, AProgramPathWithSpacesAndQuotesStartsAsWritten)
{
    QTemporaryDir root;
    const QString folder = root.filePath(QStringLiteral("my \"build\" $HOME `id` back\\slash (1) 'é' & co"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString program = folder + QStringLiteral("/pigmo2");
    const QString record = root.filePath(QStringLiteral("started"));
    ASSERT_TRUE(
        writeScript(program, "#!/bin/sh\nprintf '%s\\n' \"$0\" \"$@\" > '" + QFile::encodeName(record) + "'\n"));

    ASSERT_TRUE(Autostart::enable(program));
    // Started as the session starts it.
    GDesktopAppInfo* entry = g_desktop_app_info_new_from_filename(QFile::encodeName(Autostart::filePath()).constData());
    ASSERT_TRUE(entry);
    GError* error = nullptr;
    EXPECT_TRUE(g_app_info_launch(G_APP_INFO(entry), nullptr, nullptr, &error)) << (error ? error->message : "");
    g_clear_error(&error);
    g_object_unref(entry);
    const auto started = [&] {
        QFile file(record);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    };
    EXPECT_TRUE(QTest::qWaitFor([&] { return started().endsWith(QStringLiteral("--autostart\n")); }, 5000));
    EXPECT_EQ(started(), program + QStringLiteral("\n--autostart\n"));

    // A percent sign is doubled, not taken for a field code.
    ASSERT_TRUE(Autostart::enable(QStringLiteral("/opt/100%u/pigmo2")));
    EXPECT_TRUE(contents().contains("\nExec=/opt/100%%u/pigmo2 --autostart\n")) << contents().constData();
}

TEST(AutostartTest, HiddenEntryCountsAsDisabledAndIsReplacedByEnable)
{
    QDir().mkpath(QFileInfo(Autostart::filePath()).path());
    QFile file(Autostart::filePath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Desktop Entry]\nType=Application\nExec=pigmo2 --autostart\nHidden=true\n");
    file.close();
    EXPECT_FALSE(Autostart::isEnabled());
    ASSERT_TRUE(Autostart::enable());
    EXPECT_TRUE(Autostart::isEnabled());
}

TEST(AutostartTest, UnwritableFolderFailsWithLog)
{
    test::LogCapture logs;
    const QString autostartDir = QFileInfo(Autostart::filePath()).path();
    QFile blocker(autostartDir);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)) << "a file where the folder should be";
    blocker.close();
    EXPECT_FALSE(Autostart::enable());
    EXPECT_FALSE(Autostart::isEnabled());
    EXPECT_TRUE(logs.contains(QStringLiteral("Autostart: cannot")));
}

} // namespace
