// The real program, started as a user would: `pigmo2 --smart` in a private session bus (gvfs metadata),
// a second start that forwards its folders and exits, and the end on SIGTERM.

#include "platform/GvfsMetadata.h"
#include "storage/ExtendedAttributesManager.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace pigmo;

namespace {

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("run")));
        QFile::setPermissions(root.filePath(QStringLiteral("run")),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), root.filePath(QStringLiteral("run")));
        ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("work")));
        work = root.filePath(QStringLiteral("work"));
    }

    void start(QProcess& process, const QStringList& arguments)
    {
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(work);
        process.start(QStringLiteral(PIGMO2_BINARY), arguments);
        ASSERT_TRUE(process.waitForStarted(5000));
    }

    QString makeFolder(const QString& name)
    {
        EXPECT_TRUE(QDir(work).mkpath(name));
        return QDir(work).filePath(name);
    }

    static bool styled(const QString& path)
    {
        return ExtendedAttributesManager::shared().readSettings(QUrl::fromLocalFile(path)).has_value();
    }

    static QJsonObject currentStyles()
    {
        QFile file(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                   QStringLiteral("/io.velmar.pigmo2/folder_styles.json"));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QJsonDocument::fromJson(file.readAll()).object();
    }

    QTemporaryDir root;
    QString work;
    QProcessEnvironment environment;
};

} // namespace

TEST_F(ProgramTest, SmartStylesForwardsAndEndsCleanlyOnSigterm)
{
    // A styled sibling: the new folders take their intensity and style from it.
    const QString photos = makeFolder(QStringLiteral("Photos"));
    ColorizationData sibling{HSL{30, 80, 50}, 0.8, std::nullopt, 150.0, IconStyle::vibrant()};
    ExtendedAttributesManager::shared().writeSettings(sibling, QUrl::fromLocalFile(photos));
    const QStringList names{"Invoices", "Music", "Recipes"};
    QStringList paths;
    for (const QString& name : names)
        paths.append(makeFolder(name));

    QProcess program;
    QElapsedTimer clock;
    clock.start();
    start(program, QStringList{"--smart"} + names); // relative to the working directory
    ASSERT_TRUE(QTest::qWaitFor([&] { return std::all_of(paths.cbegin(), paths.cend(), styled); }, 30'000))
        << program.readAllStandardError().toStdString();
    std::cout << "[ INFO     ] first --smart request styled three folders in " << clock.elapsed() << " ms\n";
    for (const QString& path : paths) {
        const std::optional<ColorizationData> data =
            ExtendedAttributesManager::shared().readSettings(QUrl::fromLocalFile(path));
        ASSERT_TRUE(data);
        EXPECT_TRUE(data->icon) << path.toStdString();
        EXPECT_DOUBLE_EQ(data->intensity, 0.8); // from the styled siblings
        EXPECT_EQ(data->iconSize, 150.0);
        EXPECT_TRUE(GvfsMetadata::customIcon(path).startsWith(QStringLiteral("file://"))) << path.toStdString();
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return currentStyles().size() == 3; }, 10'000));
    const QString socket = root.filePath(QStringLiteral("run/io.velmar.pigmo2.instance"));
    EXPECT_TRUE(QFile::exists(socket));
    for (const QString& path : paths)
        EXPECT_TRUE(currentStyles().contains(path)) << path.toStdString();

    // A second start hands its folder to the running program and exits at once.
    const QString garden = makeFolder(QStringLiteral("Garden"));
    QProcess second;
    start(second, {"--smart", garden});
    ASSERT_TRUE(second.waitForFinished(10'000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return styled(garden); }, 30'000));
    EXPECT_EQ(program.state(), QProcess::Running);

    // Nothing usable: answered by the new start itself, nothing forwarded.
    QFile(QDir(work).filePath(QStringLiteral("notes.txt"))).open(QIODevice::WriteOnly);
    QProcess useless;
    start(useless, {"--smart", "notes.txt"});
    ASSERT_TRUE(useless.waitForFinished(10'000));
    EXPECT_EQ(useless.exitCode(), 1);
    EXPECT_TRUE(useless.readAllStandardError().contains("No folders found."));

    ASSERT_TRUE(QTest::qWaitFor([&] { return currentStyles().size() == 4; }, 10'000));
    ASSERT_EQ(::kill(static_cast<pid_t>(program.processId()), SIGTERM), 0);
    ASSERT_TRUE(program.waitForFinished(10'000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);

    const QDir data(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                    QStringLiteral("/io.velmar.pigmo2"));
    const QStringList files = data.entryList(QDir::Files | QDir::Hidden);
    QFile log(data.filePath(QStringLiteral("history_log.json")));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    QStringList logged;
    for (const QJsonValue& entry : QJsonDocument::fromJson(log.readAll()).array())
        logged.append(entry[QStringLiteral("folderPath")].toString());
    for (const QString& path : paths + QStringList{garden})
        EXPECT_EQ(logged.count(path), 1) << path.toStdString();
    for (const QString& file : files)
        EXPECT_TRUE(file.endsWith(QStringLiteral(".json")) || file.endsWith(QStringLiteral(".lock")))
            << file.toStdString();
    EXPECT_FALSE(QFile::exists(socket));
}

TEST_F(ProgramTest, HelpVersionAndMistakesNeedNoDisplay)
{
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    QProcess version;
    start(version, {"--version"});
    ASSERT_TRUE(version.waitForFinished(10'000));
    EXPECT_EQ(version.exitCode(), 0);
    EXPECT_EQ(version.readAllStandardOutput().trimmed(), QByteArray("pigmo2 2.0.0"));

    QProcess nothing;
    start(nothing, {"--smart", "missing"});
    ASSERT_TRUE(nothing.waitForFinished(10'000));
    EXPECT_EQ(nothing.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(nothing.exitCode(), 1);
    EXPECT_TRUE(nothing.readAllStandardError().contains("No folders found."));
}

TEST_F(ProgramTest, AStartPrintsDiagnosticLinesOnlyWhenAskedTo)
{
    const QString socket = root.filePath(QStringLiteral("run/io.velmar.pigmo2.instance"));
    const auto runUntilIndexBuilt = [&](const QStringList& arguments, bool expectLines) {
        QProcess program;
        start(program, arguments);
        QByteArray out;
        QByteArray err;
        const auto gather = [&] {
            out += program.readAllStandardOutput();
            err += program.readAllStandardError();
        };
        EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(socket); }, 10'000));
        if (expectLines) {
            EXPECT_TRUE(QTest::qWaitFor(
                [&] {
                    gather();
                    return err.contains("[SmartIcon] \xe2\x9c\x85 Keyword index built");
                },
                20'000));
        } else {
            QTest::qWait(2000); // long past the index build, which prints when switched on
        }
        ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
        EXPECT_TRUE(program.waitForFinished(10'000));
        gather();
        return std::pair{out, err};
    };

    const auto [quietOut, quietErr] = runUntilIndexBuilt({}, false);
    EXPECT_EQ(quietOut, QByteArray());
    for (const char* marker : {"@&@&@&", "[SmartIcon]", "Full Disk Access", "FDAPermissionManager"})
        EXPECT_FALSE(quietErr.contains(marker)) << marker << "\n" << quietErr.toStdString();

    const auto [verboseOut, verboseErr] = runUntilIndexBuilt({"--verbose"}, true);
    EXPECT_TRUE(verboseErr.contains("@&@&@& \xe2\x9c\x85 FDAPermissionManager updated: hasAccess = true"));
    EXPECT_TRUE(verboseErr.contains("[SmartIcon] \xf0\x9f\x94\x84 Building keyword index..."));

    environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("pigmo2.diagnostics=true"));
    const auto [rulesOut, rulesErr] = runUntilIndexBuilt({}, true);
    EXPECT_TRUE(rulesErr.contains("@&@&@& \xe2\x9c\x85 FDAPermissionManager updated: hasAccess = true"));
}
