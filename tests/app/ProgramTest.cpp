// The real program, started as a user would, in a private session bus (gvfs metadata): the running program
// taking `--smart` requests of later starts and ending on SIGTERM; `--smart` with nothing running, which
// styles by itself without a window or a display and ends; starts that need a window and have no display.

#include "base/LocalPath.h"
#include "platform/AppGroupStore.h"
#include "platform/DirectoryFile.h"
#include "platform/FolderIconStore.h"
#include "platform/GvfsMetadata.h"
#include "platform/ReadOnlyFolder.h"
#include "storage/ExtendedAttributesManager.h"
#include "support/AtSpiClient.h"
#include "support/DesktopSession.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <algorithm>
#include <csignal>
#include <functional>
#include <memory>
#include <random>
#include <thread>
#include <vector>

#include <linux/capability.h>
#include <pwd.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

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
        if (childSetUp)
            process.setChildProcessModifier(childSetUp);
        process.setWorkingDirectory(work);
        process.start(QStringLiteral(PIGMO2_BINARY), arguments);
        ASSERT_TRUE(process.waitForStarted(5000));
    }

    QString makeFolder(const QString& name)
    {
        EXPECT_TRUE(QDir(work).mkpath(name));
        return QDir(work).filePath(name);
    }

    static bool styled(const QString& path) { return ExtendedAttributesManager{}.readSettings(path).has_value(); }

    // As over SSH or in a cron job: no X11, no Wayland, no platform named.
    void withoutDisplay()
    {
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    }

    struct Finished {
        int exitCode = -1;
        QStringList out; // lines
        QByteArray err;
    };

    Finished run(const QStringList& arguments, int timeoutMs = 10'000)
    {
        QProcess process;
        start(process, arguments);
        Finished finished;
        EXPECT_TRUE(process.waitForFinished(timeoutMs)) << arguments.join(u' ').toStdString();
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        finished.exitCode = process.exitCode();
        finished.out = QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        finished.err = process.readAllStandardError();
        return finished;
    }

    QString socket() const { return root.filePath(QStringLiteral("run/io.velmar.pigmo2.instance")); }

    static QJsonObject currentStyles()
    {
        QFile file(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                   QStringLiteral("/io.velmar.pigmo2/folder_styles.json"));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QJsonDocument::fromJson(file.readAll()).object();
    }

    // Set up in the program's own process before it starts (between fork and exec): only system calls.
    std::function<void()> childSetUp;

    static QString dataFile(const QString& name)
    {
        return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
               QStringLiteral("/io.velmar.pigmo2/") + name;
    }

    // How often each folder is in the history log.
    static QMap<QString, int> loggedFolders()
    {
        QFile file(dataFile(QStringLiteral("history_log.json")));
        QMap<QString, int> logged;
        if (file.open(QIODevice::ReadOnly)) {
            for (const QJsonValue& entry : QJsonDocument::fromJson(file.readAll()).array())
                ++logged[entry[QStringLiteral("folderPath")].toString()];
        }
        return logged;
    }

    static QJsonObject attribute(const QString& path)
    {
        char value[8192];
        const ssize_t size =
            ::getxattr(QFile::encodeName(path).constData(), "user.io.velmar.PaintDirs.settings", value, sizeof value);
        return size > 0 ? QJsonDocument::fromJson(QByteArray(value, size)).object() : QJsonObject();
    }

    static QStringList storedIcons(const QString& folder)
    {
        const QString prefix = FolderIconStore::fileName(folder, {}).section(u'-', 0, 0) + u'-';
        return QDir(FolderIconStore::directory()).entryList({prefix + u'*'}, QDir::Files);
    }

    // Empty when the folder is styled with its icon in both places and its record in both history files, or
    // untouched (no attribute, no icon entry, no stored icon, no record); otherwise what is wrong.
    static QString styledWithRecordOrUntouched(const QString& path, const QJsonObject& styles,
                                               const QMap<QString, int>& logged)
    {
        const QJsonObject style = attribute(path);
        const QString gvfs = GvfsMetadata::customIcon(path);
        const QString directory = DirectoryFile::icon(path);
        const QStringList stored = storedIcons(path);
        if (style.isEmpty()) {
            if (!gvfs.isEmpty() || !directory.isEmpty() || !stored.isEmpty() || styles.contains(path) ||
                logged.contains(path))
                return QStringLiteral("no attribute, but an icon or a record: gvfs %1, .directory %2, stored %3, "
                                      "styles %4, log %5")
                    .arg(gvfs, directory, stored.join(u','))
                    .arg(styles.contains(path))
                    .arg(logged.value(path));
            return {};
        }
        if (directory.isEmpty() || gvfs != QUrl::fromLocalFile(directory).toString(QUrl::FullyEncoded) ||
            stored != QStringList{QFileInfo(directory).fileName()})
            return QStringLiteral("an attribute, but not its icon in both places");
        if (styles.value(path).toObject() != style || logged.value(path) != 1)
            return QStringLiteral("styled, but without its record in both history files");
        return {};
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
    ExtendedAttributesManager{}.writeSettings(sibling, photos);
    const QStringList names{"Invoices", "Music", "Recipes"};
    QStringList paths;
    for (const QString& name : names)
        paths.append(makeFolder(name));

    QProcess program;
    start(program, {});
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(socket()); }, 10'000));
    QElapsedTimer clock;
    clock.start();
    const Finished first = run(QStringList{"--smart"} + names); // relative to the working directory
    EXPECT_EQ(first.exitCode, 0);
    EXPECT_EQ(first.out, QStringList()) << "the running program styles them";
    ASSERT_TRUE(QTest::qWaitFor([&] { return std::all_of(paths.cbegin(), paths.cend(), styled); }, 30'000))
        << program.readAllStandardError().toStdString();
    std::cout << "[ INFO     ] a forwarded --smart request styled three folders in " << clock.elapsed() << " ms\n";
    for (const QString& path : paths) {
        const std::optional<ColorizationData> data = ExtendedAttributesManager{}.readSettings(path);
        ASSERT_TRUE(data);
        EXPECT_TRUE(data->icon) << path.toStdString();
        EXPECT_DOUBLE_EQ(data->intensity, 0.8); // from the styled siblings
        EXPECT_EQ(data->iconSize, 150.0);
        EXPECT_TRUE(GvfsMetadata::customIcon(path).startsWith(QStringLiteral("file://"))) << path.toStdString();
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return currentStyles().size() == 3; }, 10'000));
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
    EXPECT_FALSE(QFile::exists(socket()));
}

TEST_F(ProgramTest, HelpVersionAndMistakesNeedNoDisplay)
{
    withoutDisplay();
    QProcess version;
    start(version, {"--version"});
    ASSERT_TRUE(version.waitForFinished(10'000));
    EXPECT_EQ(version.exitCode(), 0);
    EXPECT_EQ(version.readAllStandardOutput().trimmed(), QByteArray("pigmo2 2.0.0"));

    const Finished nothing = run({"--open", "missing"});
    EXPECT_EQ(nothing.exitCode, 1);
    EXPECT_EQ(nothing.err, QDir(work).filePath(QStringLiteral("missing")).toUtf8() +
                               ": cannot be opened: no such file or directory\nNo folders found.\n");

    const Finished unstyled = run({"--smart", "missing"});
    EXPECT_EQ(unstyled.exitCode, 2) << "a named folder was not styled";
    EXPECT_EQ(unstyled.out,
              QStringList{QDir(work).filePath(QStringLiteral("missing")) + ": not styled: no such file or directory"});
}

TEST_F(ProgramTest, AStartPrintsDiagnosticLinesOnlyWhenAskedTo)
{
    const auto runUntilIndexBuilt = [&](const QStringList& arguments, bool expectLines) {
        QProcess program;
        start(program, arguments);
        QByteArray out;
        QByteArray err;
        const auto gather = [&] {
            out += program.readAllStandardOutput();
            err += program.readAllStandardError();
        };
        EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(socket()); }, 10'000));
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
    for (const char* marker : {"[SmartIcon]", "Full Disk Access", "FDAPermissionManager"})
        EXPECT_FALSE(quietErr.contains(marker)) << marker << "\n" << quietErr.toStdString();

    const auto [verboseOut, verboseErr] = runUntilIndexBuilt({"--verbose"}, true);
    EXPECT_TRUE(verboseErr.contains("\xe2\x9c\x85 FDAPermissionManager updated: hasAccess = true"));
    EXPECT_TRUE(verboseErr.contains("[SmartIcon] \xf0\x9f\x94\x84 Building keyword index..."));

    environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("pigmo2.diagnostics=true"));
    const auto [rulesOut, rulesErr] = runUntilIndexBuilt({}, true);
    EXPECT_TRUE(rulesErr.contains("\xe2\x9c\x85 FDAPermissionManager updated: hasAccess = true"));
}

TEST_F(ProgramTest, SmartWithNothingRunningStylesWithoutADisplayAndEnds)
{
    withoutDisplay();
    const QString invoices = makeFolder(QStringLiteral("Invoices"));
    const QString music = makeFolder(QStringLiteral("Music"));
    QElapsedTimer clock;
    clock.start();
    const Finished smart = run({"--smart", "Invoices", music});
    std::cout << "[ INFO     ] --smart alone styled two folders in " << clock.elapsed() << " ms\n";
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_EQ(smart.exitCode, 0) << smart.err.toStdString();
    ASSERT_EQ(smart.out.size(), 2) << smart.out.join(u'\n').toStdString();
    for (int i = 0; i < 2; ++i) {
        const QString path = i == 0 ? invoices : music;
        const std::optional<ColorizationData> data = ExtendedAttributesManager{}.readSettings(path);
        ASSERT_TRUE(data) << path.toStdString();
        ASSERT_TRUE(data->icon) << "a glyph for a name the keyword index knows";
        const QString glyph = data->icon->emoji.value_or(data->icon->name);
        EXPECT_EQ(smart.out[i], path + QStringLiteral(": ") + glyph);
        EXPECT_TRUE(GvfsMetadata::customIcon(path).startsWith(QStringLiteral("file://"))) << path.toStdString();
        EXPECT_TRUE(currentStyles().contains(path)) << "recorded in the history";
    }
    EXPECT_FALSE(smart.err.contains("[Smart]")) << "diagnostic lines stay off";
    EXPECT_FALSE(QFile::exists(socket())) << "never the running program";

    // A display that is named but does not answer is never asked.
    environment.insert(QStringLiteral("DISPLAY"), QStringLiteral(":4711"));
    const Finished deadDisplay = run({"--smart", "Music"});
    EXPECT_EQ(deadDisplay.exitCode, 0) << deadDisplay.err.toStdString();
    EXPECT_EQ(deadDisplay.out, QStringList{smart.out[1]});
    environment.remove(QStringLiteral("DISPLAY"));

    // --verbose: the same work, with its diagnostic lines.
    const Finished verbose = run({"--smart", "--verbose", "Invoices"});
    EXPECT_EQ(verbose.exitCode, 0);
    const auto isAnswer = [&](const QString& line) { return line.startsWith(invoices + QStringLiteral(": ")); };
    EXPECT_EQ(std::count_if(verbose.out.cbegin(), verbose.out.cend(), isAnswer), 1);
    EXPECT_GT(verbose.out.size(), 1) << "the printed diagnostic lines are on standard output too";
    EXPECT_TRUE(verbose.err.contains("[Smart] \xe2\x9c\x85 Applied smart icon to " + invoices.toUtf8()));
}

// Without a session bus the gvfs key cannot be set for any folder: the folder is styled in every other place,
// recorded, and its line says what is missing; a folder that refuses writes is not styled and says why.
TEST_F(ProgramTest, SmartWithoutASessionBusSaysWhatIsMissingAndReportsARefusedFolder)
{
    withoutDisplay();
    const QString locked = makeFolder(QStringLiteral("Recipes"));
    const QString music = makeFolder(QStringLiteral("Music"));
    const test::ReadOnlyFolder readOnly(locked);
    ASSERT_TRUE(readOnly.isEffective());
    const QString missing = QStringLiteral(" (not shown by GNOME file managers: no session bus)");

    for (const bool busNamed : {true, false}) {
        if (busNamed)
            environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                               QStringLiteral("unix:path=/nonexistent/bus"));
        else
            environment.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS")); // as `env -u` does
        const Finished smart = run({"--smart", locked, music});
        EXPECT_EQ(smart.exitCode, 2) << "not everything took";
        ASSERT_EQ(smart.out.size(), 2);
        EXPECT_TRUE(smart.out[0].startsWith(locked + ": not styled: its icon could not be set: cannot write " + locked +
                                            "/.directory: "))
            << smart.out[0].toStdString();
        const std::optional<ColorizationData> data = ExtendedAttributesManager{}.readSettings(music);
        ASSERT_TRUE(data && data->icon);
        EXPECT_EQ(smart.out[1], music + QStringLiteral(": ") + data->icon->emoji.value_or(data->icon->name) + missing);
        EXPECT_FALSE(DirectoryFile::icon(music).isEmpty()) << "the .directory file carries the icon";
        EXPECT_TRUE(currentStyles().contains(music)) << "styled, so recorded";
        EXPECT_FALSE(styled(locked));
        EXPECT_FALSE(currentStyles().contains(locked));
        EXPECT_TRUE(smart.err.contains("FolderIcons: .directory failed for " + locked.toUtf8())) << "the reason";
    }
}

namespace {

// An unused user id, to own folders the program's process does not.
uid_t unusedUid()
{
    uid_t uid = 54321;
    while (::getpwuid(uid))
        ++uid;
    return uid;
}

} // namespace

// Folders that refuse writes, each as a user meets it: a read-only mount, folders of another user with mode
// 555 and 000 (root's privilege to ignore permissions is dropped for the program), a .directory that is a
// link, a folder or a named pipe. None is reported styled, each says the system's reason, none keeps
// anything of the attempt; the others go on.
TEST_F(ProgramTest, SmartReportsFoldersThatRefuseWritesWithTheRealErrorAndLeavesThemAsTheyWere)
{
    withoutDisplay();
    const QString music = makeFolder(QStringLiteral("Music"));
    QStringList refusing;
    QMap<QString, QString> expected; // folder -> the line's start
    const auto refusedBy = [](const QString& folder, const QString& reason) {
        return folder + QStringLiteral(": not styled: its icon could not be set: ") + reason;
    };
    for (const char* name : {"Link", "Folder", "Pipe"}) {
        const QString folder = makeFolder(QString::fromLatin1(name));
        const QString entry = DirectoryFile::filePath(folder);
        if (QByteArray(name) == "Link")
            ASSERT_TRUE(QFile::link(QDir(work).filePath(QStringLiteral("elsewhere")), entry));
        else if (QByteArray(name) == "Folder")
            ASSERT_TRUE(QDir().mkdir(entry));
        else
            ASSERT_EQ(::mkfifo(QFile::encodeName(entry).constData(), 0644), 0);
        refusing.append(folder);
        expected[folder] = refusedBy(folder, entry + QStringLiteral(" is not a regular file"));
    }

    // Root ignores permissions: the program then runs without that privilege, as another user would.
    const bool root = ::geteuid() == 0;
    const uid_t stranger = unusedUid();
    const QString locked = makeFolder(QStringLiteral("Locked"));
    const QString sealed = makeFolder(QStringLiteral("Sealed"));
    const QString mounted = makeFolder(QStringLiteral("Mounted"));
    const QByteArray mountedPath = QFile::encodeName(mounted);
    for (const QString& folder : {locked, sealed}) {
        if (root) {
            ASSERT_EQ(::chown(QFile::encodeName(folder).constData(), stranger, stranger), 0);
        }
    }
    ::chmod(QFile::encodeName(locked).constData(), 0555);
    ::chmod(QFile::encodeName(sealed).constData(), 0);
    const auto withoutPrivileges = [root] {
        for (const int capability : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER}) {
            if (root && ::prctl(PR_CAPBSET_DROP, capability, 0, 0, 0) != 0)
                ::_exit(126);
        }
    };
    // The read-only mount is the program's own (a mount namespace of its process), so nothing outlives it.
    const auto readOnlyMount = [mountedPath] {
        if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount(mountedPath.constData(), mountedPath.constData(), nullptr, MS_BIND, nullptr) != 0 ||
            ::mount(nullptr, mountedPath.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0)
            ::_exit(125);
    };
    // What this machine allows: `touch` in the same set-up must fail to create a file in the folder (a set-up
    // that cannot be made ends the process with another status).
    const auto refusesWrites = [](const std::function<void()>& setUp, const QString& folder) {
        QProcess touch;
        touch.setChildProcessModifier(setUp);
        touch.start(QStringLiteral("touch"), {folder + QStringLiteral("/probe")});
        return touch.waitForFinished(10'000) && touch.exitStatus() == QProcess::NormalExit && touch.exitCode() == 1;
    };
    const bool privilegesDropped = refusesWrites(withoutPrivileges, locked);
    const bool mountable = refusesWrites(readOnlyMount, mounted);
    if (privilegesDropped) {
        refusing += {locked, sealed};
        expected[locked] =
            refusedBy(locked, QStringLiteral("cannot write %1/.directory: Permission denied").arg(locked));
        expected[sealed] =
            refusedBy(sealed, QStringLiteral("cannot read %1/.directory: Permission denied").arg(sealed));
    } else {
        std::cout << "[ INFO     ] the folders of another user are left out: privileges cannot be dropped here\n";
    }
    if (mountable) {
        refusing.append(mounted);
        expected[mounted] =
            refusedBy(mounted, QStringLiteral("cannot write %1/.directory: Read-only file system").arg(mounted));
    } else {
        std::cout << "[ INFO     ] the read-only mount is left out: no mount namespace here\n";
    }
    childSetUp = [withoutPrivileges, readOnlyMount, mountable, privilegesDropped] {
        if (mountable)
            readOnlyMount();
        if (privilegesDropped)
            withoutPrivileges();
    };

    const Finished smart = run(QStringList{"--smart"} + refusing + QStringList{music});
    EXPECT_EQ(smart.exitCode, 2) << smart.err.toStdString();
    ASSERT_EQ(smart.out.size(), refusing.size() + 1) << smart.out.join(u'\n').toStdString();
    const QJsonObject styles = currentStyles();
    const QMap<QString, int> logged = loggedFolders();
    for (qsizetype i = 0; i < refusing.size(); ++i) {
        const QString& folder = refusing[i];
        EXPECT_EQ(smart.out[i], expected[folder]);
        EXPECT_FALSE(styled(folder)) << folder.toStdString();
        EXPECT_TRUE(GvfsMetadata::customIcon(folder).isEmpty()) << "the gvfs key that took is taken back";
        EXPECT_TRUE(storedIcons(folder).isEmpty()) << folder.toStdString();
        EXPECT_FALSE(styles.contains(folder) || logged.contains(folder)) << "nothing recorded";
    }
    EXPECT_FALSE(QFileInfo::exists(QDir(work).filePath(QStringLiteral("elsewhere"))));
    for (const QString& folder : {locked, sealed, mounted})
        EXPECT_FALSE(QFileInfo::exists(DirectoryFile::filePath(folder)));
    EXPECT_TRUE(smart.out.last().startsWith(music + QStringLiteral(": ")));
    EXPECT_FALSE(smart.out.last().contains(QStringLiteral("not")));
    EXPECT_EQ(styledWithRecordOrUntouched(music, styles, logged).toStdString(), "");
    EXPECT_TRUE(styled(music));
    ::chmod(QFile::encodeName(sealed).constData(), 0755);
    ::chmod(QFile::encodeName(locked).constData(), 0755);
}

// Every argument that names a folder gets its line: those that cannot be reached first, with the reason, then
// the folders styled, a name that is no UTF-8 among them, whose bytes go through as they are.
TEST_F(ProgramTest, SmartGivesEveryNamedFolderALineAndStylesNamesThatAreNoUtf8)
{
    withoutDisplay();
    const QByteArray place = encodeLocalPath(work);
    const QByteArray receipts = place + "/Re\xe7us"; // ISO 8859-1
    const QByteArray neighbour = place + "/Caf\xe9"; // a styled sibling, no UTF-8 either
    for (const QByteArray& name : {receipts, neighbour})
        ASSERT_EQ(::mkdir(name.constData(), 0755), 0);
    ExtendedAttributesManager{}.writeSettings({HSL{30, 80, 50}, 0.8, std::nullopt, 150.0, IconStyle::vibrant()},
                                              decodeLocalPath(neighbour));
    const QString invoices = makeFolder(QStringLiteral("Invoices"));
    ASSERT_TRUE(
        QFile::link(QDir(work).filePath(QStringLiteral("gone")), QDir(work).filePath(QStringLiteral("dangling"))));
    ASSERT_TRUE(QFile::link(QDir(work).filePath(QStringLiteral("loop")), QDir(work).filePath(QStringLiteral("loop"))));
    QFile(QDir(work).filePath(QStringLiteral("notes.txt"))).open(QIODevice::WriteOnly);

    // The bytes of the name as a shell passes them (printf makes the byte E7).
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(work);
    process.start(
        QStringLiteral("/bin/sh"),
        {QStringLiteral("-c"),
         QStringLiteral("exec \"$0\" --smart dangling Invoices \"$(printf 'Re\\347us')\" notes.txt loop Missing"),
         QStringLiteral(PIGMO2_BINARY)});
    ASSERT_TRUE(process.waitForFinished(20'000));
    EXPECT_EQ(process.exitCode(), 2) << "some named folders were not styled";
    const QList<QByteArray> lines = process.readAllStandardOutput().split('\n');
    const QByteArray errors = process.readAllStandardError();
    ASSERT_EQ(lines.size(), 6) << errors.toStdString();
    EXPECT_EQ(lines[0], place + "/dangling: not styled: it is a symbolic link to nothing");
    EXPECT_EQ(lines[1], place + "/loop: not styled: too many levels of symbolic links");
    EXPECT_EQ(lines[2], place + "/Missing: not styled: no such file or directory");
    EXPECT_TRUE(lines[3].startsWith(invoices.toUtf8() + ": ")) << lines[3].constData();
    EXPECT_FALSE(lines[3].contains("not styled"));
    EXPECT_TRUE(lines[4].startsWith(receipts + ": ")) << lines[4].toHex().constData();
    EXPECT_FALSE(lines[4].contains("not styled")) << lines[4].constData();

    // Styled in every place, by its bytes; its neighbour's style was read by its bytes too.
    const std::optional<ColorizationData> data = ExtendedAttributesManager{}.readSettings(decodeLocalPath(receipts));
    ASSERT_TRUE(data);
    EXPECT_DOUBLE_EQ(data->intensity, 0.8) << "from the sibling whose name is no UTF-8";
    EXPECT_DOUBLE_EQ(ExtendedAttributesManager{}.readSettings(invoices)->intensity, 0.8);
    struct stat status {};
    EXPECT_EQ(::stat((receipts + "/.directory").constData(), &status), 0);
    EXPECT_TRUE(GvfsMetadata::customIcon(decodeLocalPath(receipts)).startsWith(QStringLiteral("file://")));
    EXPECT_FALSE(errors.contains("[Smart] \xe2\x9a\xa0")) << errors.toStdString();
}

TEST_F(ProgramTest, SmartWithNothingRunningEndsOnSigtermKeepingWhatItStyled)
{
    withoutDisplay();
    const QStringList names{"Invoices", "Music", "Photos", "Recipes", "Projects"};
    QStringList paths;
    for (int n = 0; n < 150; ++n)
        paths.append(makeFolder(QStringLiteral("%1 %2").arg(names[n % names.size()]).arg(n)));
    QProcess program;
    start(program, QStringList{"--smart"} + paths);
    ASSERT_TRUE(program.waitForReadyRead(10'000)) << "the first folder's line";
    ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
    ASSERT_TRUE(program.waitForFinished(10'000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << "ended through its event loop";
    const QStringList out = QString::fromUtf8(program.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(out.size(), paths.size()) << "a line for every folder";

    // The folders up to the one being written when the signal came are styled, and recorded on disk; the
    // others are left alone.
    const auto unstyled = [&](const QString& line) { return line.contains(QStringLiteral(": not styled: ")); };
    const qsizetype done = std::find_if(out.cbegin(), out.cend(), unstyled) - out.cbegin();
    std::cout << "[ INFO     ] " << done << " of " << paths.size() << " folders styled when the signal came\n";
    EXPECT_GE(done, 1);
    EXPECT_LT(done, paths.size()) << "the signal came within milliseconds, the folders take about a second";
    EXPECT_EQ(program.exitCode(), 2);
    const QJsonObject history = currentStyles();
    for (qsizetype i = 0; i < paths.size(); ++i) {
        if (i >= done)
            EXPECT_EQ(out[i], paths[i] + QStringLiteral(": not styled: the program was asked to end"));
        else
            EXPECT_TRUE(out[i].startsWith(paths[i] + QStringLiteral(": "))) << out[i].toStdString();
        EXPECT_EQ(styled(paths[i]), i < done) << paths[i].toStdString();
        EXPECT_EQ(history.contains(paths[i]), i < done) << paths[i].toStdString();
    }
}

// Two `--smart` runs at once with nothing running, as a script or two file-manager windows start them: each
// reads the history as it starts and writes it as it ends, and every round keeps both runs' folders.
TEST_F(ProgramTest, TwoSmartRunsAtOnceKeepEachOthersHistory)
{
    withoutDisplay();
    QStringList styledSoFar;
    for (int round = 0; round < 3; ++round) {
        const QStringList folders{makeFolder(QStringLiteral("Invoices %1").arg(round)),
                                  makeFolder(QStringLiteral("Music %1").arg(round))};
        QProcess runs[2];
        for (int i = 0; i < 2; ++i)
            start(runs[i], {"--smart", folders[i]});
        for (QProcess& run : runs) {
            ASSERT_TRUE(run.waitForFinished(20'000));
            EXPECT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
        }
        styledSoFar += folders;
        const QJsonObject styles = currentStyles();
        for (const QString& path : std::as_const(styledSoFar))
            EXPECT_TRUE(styles.contains(path)) << "round " << round << ": " << path.toStdString();
        EXPECT_EQ(styles.size(), styledSoFar.size());
        QFile log(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                  QStringLiteral("/io.velmar.pigmo2/history_log.json"));
        ASSERT_TRUE(log.open(QIODevice::ReadOnly));
        EXPECT_EQ(QJsonDocument::fromJson(log.readAll()).array().size(), styledSoFar.size());
    }
}

TEST_F(ProgramTest, StartsThatNeedAWindowSayThereIsNoDisplay)
{
    withoutDisplay();
    const QString music = makeFolder(QStringLiteral("Music"));
    for (const QStringList& arguments : {QStringList{}, QStringList{"--open", music}, QStringList{music}}) {
        const Finished refused = run(arguments);
        EXPECT_EQ(refused.exitCode, 1) << arguments.join(u' ').toStdString();
        EXPECT_EQ(refused.err, QByteArray("cannot open a window: no display\n"));
        EXPECT_EQ(refused.out, QStringList());
    }

    // A display that is named but does not answer: the same line instead of an abort.
    environment.insert(QStringLiteral("DISPLAY"), QStringLiteral(":4711"));
    const Finished unanswered = run({});
    EXPECT_EQ(unanswered.exitCode, 1);
    EXPECT_TRUE(unanswered.err.endsWith("cannot open a window: no display\n")) << unanswered.err.toStdString();
}

TEST_F(ProgramTest, WithoutADisplayRequestsStillReachTheRunningProgram)
{
    QProcess program;
    start(program, {});
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(socket()); }, 10'000));

    withoutDisplay();
    const QString garden = makeFolder(QStringLiteral("Garden"));
    const Finished smart = run({"--smart", garden});
    EXPECT_EQ(smart.exitCode, 0);
    EXPECT_EQ(smart.out, QStringList()) << "styled by the running program, which prints nothing";
    EXPECT_TRUE(QTest::qWaitFor([&] { return styled(garden); }, 30'000));
    EXPECT_EQ(run({"--open", garden}).exitCode, 0);

    ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
    EXPECT_TRUE(program.waitForFinished(10'000));
}

TEST_F(ProgramTest, AStartHandedToAStoppedProgramSaysItIsBusyAndTheFolderIsStyledOnce)
{
    const QString music = makeFolder(QStringLiteral("Music"));
    QProcess program;
    start(program, {});
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(socket()); }, 10'000));
    const auto pid = static_cast<pid_t>(program.processId());
    ASSERT_EQ(::kill(pid, SIGSTOP), 0);
    const auto resume = qScopeGuard([pid] { ::kill(pid, SIGCONT); });

    // Not a failure: the stopped program holds the request, and a second try would style the folder twice.
    const Finished handed = run({"--smart", "Music"}, 20'000);
    EXPECT_EQ(handed.exitCode, 0);
    EXPECT_EQ(handed.out, QStringList()) << "this start styles nothing itself";
    EXPECT_TRUE(handed.err.contains("The running Pigmo 2 is busy (or stopped) and has not confirmed the request yet; "
                                    "it has it and takes it when it resumes."))
        << handed.err.toStdString();
    EXPECT_FALSE(styled(music));

    ASSERT_EQ(::kill(pid, SIGCONT), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return styled(music); }, 30'000)) << program.readAllStandardError().toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return currentStyles().size() == 1; }, 10'000));
    ::kill(pid, SIGTERM);
    EXPECT_TRUE(program.waitForFinished(10'000));
}

// The program with its window, on a display of its own with a tray, driven through the accessibility bus as a
// screen reader drives it: whichever way it is asked to end (its menu, Ctrl+Q, the tray's Quit, SIGTERM,
// SIGINT) and whatever it shows or does meanwhile, it ends at once with status 0, its history whole, and the
// next start gets a window of its own.
namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr int endLimitMs = 6000; // instrumented builds run several times slower
#else
constexpr int endLimitMs = 2000;
#endif
constexpr int showTimeoutMs = 30'000;
// X keysyms and modifier masks.
constexpr quint32 keyQ = 0x71;
constexpr quint32 keyDown = 0xff54;
constexpr quint32 keyReturn = 0xff0d;
constexpr quint32 controlMask = 4;

enum class Ending { menu, keys, tray, sigterm, sigint };

std::string describe(Ending ending)
{
    switch (ending) {
    case Ending::menu:
        return "the menu's Quit";
    case Ending::keys:
        return "Ctrl+Q";
    case Ending::tray:
        return "the tray's Quit";
    case Ending::sigterm:
        return "SIGTERM";
    case Ending::sigint:
        return "SIGINT";
    }
    return {};
}

class ProgramWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(session.isValid()) << session.problem().toStdString();
        ASSERT_TRUE(session.startTray());
        atspi = std::make_unique<test::AtSpiClient>(session.busAddress());
        ASSERT_TRUE(atspi->isConnected()) << atspi->lastError().toStdString();
        environment = session.environment();
        environment.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
        environment.remove(QStringLiteral("LANGUAGE"));
        environment.remove(QStringLiteral("LC_ALL"));
        ASSERT_TRUE(work.isValid());
    }

    void TearDown() override
    {
        for (const std::unique_ptr<QProcess>& program : programs) {
            if (program->state() != QProcess::NotRunning) {
                program->kill();
                program->waitForFinished(10'000);
            }
        }
    }

    QProcess& start(const QStringList& arguments = {})
    {
        QProcess& program = *programs.emplace_back(std::make_unique<QProcess>());
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(PIGMO2_BINARY), arguments);
        EXPECT_TRUE(program.waitForStarted(10'000));
        return program;
    }

    // A later start that hands `arguments` to the running program and ends.
    void handOver(const QStringList& arguments)
    {
        QProcess& later = start(arguments);
        EXPECT_TRUE(later.waitForFinished(10'000));
        EXPECT_EQ(later.exitCode(), 0) << later.readAllStandardError().toStdString();
    }

    // The program's root in the accessibility tree once it has registered.
    std::optional<test::AtSpiNode> applicationOf(const QProcess& program)
    {
        std::optional<test::AtSpiNode> found;
        (void)QTest::qWaitFor(
            [&] {
                found = program.state() == QProcess::Running ? atspi->application(program.processId()) : std::nullopt;
                return found.has_value() || program.state() != QProcess::Running;
            },
            showTimeoutMs);
        return found;
    }

    // Waits until an element of `role` named `name` shows.
    std::optional<test::AtSpiElement> waitForShowing(const test::AtSpiNode& application, const QString& role,
                                                     const QString& name)
    {
        std::optional<test::AtSpiElement> found;
        (void)QTest::qWaitFor([&] { return (found = atspi->find(application, role, name)).has_value(); },
                              showTimeoutMs);
        if (!found)
            ADD_FAILURE() << "no " << role.toStdString() << " \"" << name.toStdString() << "\" shows";
        return found;
    }

    // Presses the showing element of `role` named `name` once it shows.
    bool press(const test::AtSpiNode& application, const QString& role, const QString& name)
    {
        const std::optional<test::AtSpiElement> element = waitForShowing(application, role, name);
        if (element && atspi->doAction(element->node))
            return true;
        ADD_FAILURE() << "cannot press " << name.toStdString() << ": " << atspi->lastError().toStdString();
        return false;
    }

    bool pressButton(const test::AtSpiNode& application, const QString& name)
    {
        return press(application, QStringLiteral("push button"), name);
    }

    // Starts the program and waits until its window shows `role` `name`; the program's root in the tree.
    std::optional<test::AtSpiNode> startShowing(QProcess*& program, const QString& role, const QString& name,
                                                const QStringList& arguments = {})
    {
        program = &start(arguments);
        const std::optional<test::AtSpiNode> application = applicationOf(*program);
        if (!application) {
            ADD_FAILURE() << "the start got no window: exit " << program->exitCode() << ", "
                          << program->readAllStandardError().toStdString();
            return std::nullopt;
        }
        if (!waitForShowing(*application, role, name))
            return std::nullopt;
        return application;
    }

    // Reads the program's whole tree as a screen reader does (each object's role, name and states), then all
    // that a screen reader asks of each object named by the events that came meanwhile. False once the
    // program is gone.
    bool readEverything(const QProcess& program, const test::AtSpiNode& application)
    {
        (void)atspi->walk(application);
        QCoreApplication::processEvents(); // takes in the events that came during the walk
        for (const test::AtSpiNode& node : atspi->takeEventObjects())
            atspi->read(node);
        return program.state() == QProcess::Running;
    }

    // Presses the showing element of `role` named `name`, then reads everything.
    bool pressAndRead(QProcess& program, const test::AtSpiNode& application, const QString& role, const QString& name)
    {
        if (!press(application, role, name))
            return false;
        if (readEverything(program, application))
            return true;
        ADD_FAILURE() << "the program ended after " << name.toStdString()
                      << " was pressed: " << program.readAllStandardError().toStdString();
        return false;
    }

    // The page tabs of the showing page tab list named `list`, in order.
    QList<test::AtSpiElement> pageTabs(const test::AtSpiNode& application, const QString& list)
    {
        const std::optional<test::AtSpiElement> bar =
            waitForShowing(application, QStringLiteral("page tab list"), list);
        QList<test::AtSpiElement> tabs;
        if (!bar)
            return tabs;
        for (const test::AtSpiElement& element : atspi->walk(bar->node)) {
            if (element.depth == 1)
                tabs.append(element);
        }
        return tabs;
    }

    // Waits until the page tab `name` shows selected, the only one of its list.
    bool waitForSelectedTab(const test::AtSpiNode& application, const QString& list, const QString& name)
    {
        return QTest::qWaitFor(
            [&] {
                int selected = 0;
                bool named = false;
                for (const test::AtSpiElement& tab : pageTabs(application, list)) {
                    if (tab.has(test::AtSpiState::selected)) {
                        ++selected;
                        named = tab.name == name;
                    }
                }
                return selected == 1 && named;
            },
            showTimeoutMs);
    }

    // A start after the last ending gets a window: it runs by itself and shows the main view.
    void expectTheNextStartShowsItsWindow()
    {
        QProcess* program = nullptr;
        const std::optional<test::AtSpiNode> application =
            startShowing(program, QStringLiteral("push button"), QStringLiteral("Select Folders"));
        EXPECT_TRUE(application);
        end(*program, application, Ending::sigint);
    }

    // Asks the program to end as `ending` does, and expects it gone within the limit, with status 0, its
    // instance socket removed and its history files whole.
    void end(QProcess& program, const std::optional<test::AtSpiNode>& application, Ending ending)
    {
        QElapsedTimer clock;
        ASSERT_TRUE(ask(program, application, ending, clock)) << describe(ending);
        const bool ended = program.waitForFinished(endLimitMs);
        const qint64 elapsed = clock.elapsed();
        EXPECT_TRUE(ended) << describe(ending) << " left the program running for " << elapsed << " ms";
        if (!ended) {
            program.kill();
            program.waitForFinished(10'000);
            return;
        }
        std::cout << "[ INFO     ] " << describe(ending) << " ended the program in " << elapsed << " ms\n";
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << describe(ending);
        EXPECT_EQ(program.exitCode(), 0) << describe(ending) << ": " << program.readAllStandardError().toStdString();
        EXPECT_FALSE(QFile::exists(socket())) << "a later start would hand its request to nobody";
        expectWholeHistory();
    }

    // Sends the request to end; `clock` starts as it is sent.
    bool ask(QProcess& program, const std::optional<test::AtSpiNode>& application, Ending ending, QElapsedTimer& clock)
    {
        const auto pid = static_cast<pid_t>(program.processId());
        switch (ending) {
        case Ending::menu: {
            // The menu's items are in the tree while the menu is closed; pressing one triggers it.
            const std::optional<test::AtSpiElement> quit =
                application
                    ? atspi->find(*application, QStringLiteral("menu item"), QStringLiteral("Quit Pigmo 2"), false)
                    : std::nullopt;
            if (!quit)
                return false;
            clock.start();
            atspi->doAction(quit->node); // the answer may not come: the program is ending
            return true;
        }
        case Ending::keys:
            clock.start();
            return atspi->pressKey(keyQ, controlMask);
        case Ending::tray:
            return quitFromTray(clock);
        case Ending::sigterm:
            clock.start();
            return ::kill(pid, SIGTERM) == 0;
        case Ending::sigint:
            clock.start();
            return ::kill(pid, SIGINT) == 0;
        }
        return false;
    }

    // A right click on the docked tray icon opens its menu (a popup, not in the accessibility tree); its one
    // entry, Quit, is then chosen with the keyboard.
    bool quitFromTray(QElapsedTimer& clock)
    {
        const int popups = session.popupsShown();
        const int middle = test::DesktopSession::trayIconSize / 2;
        if (!atspi->pointer({middle, middle}, QStringLiteral("b3c")))
            return false;
        if (!QTest::qWaitFor([&] { return session.popupsShown() > popups; }, showTimeoutMs))
            return false;
        if (!atspi->pressKey(keyDown))
            return false;
        clock.start();
        return atspi->pressKey(keyReturn);
    }

    QString socket() const { return session.runtimeDirectory() + QStringLiteral("/io.velmar.pigmo2.instance"); }

    static QString dataDirectory()
    {
        return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
               QStringLiteral("/io.velmar.pigmo2");
    }

    static QJsonDocument historyFile(const QString& name)
    {
        QFile file(QDir(dataDirectory()).filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QJsonParseError error{};
        const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << name.toStdString() << " is not whole";
        return document;
    }

    // Both history files, when present, are whole JSON of their kind, and nothing half-written lies beside.
    static void expectWholeHistory()
    {
        for (const QString& file : QDir(dataDirectory()).entryList(QDir::Files | QDir::Hidden))
            EXPECT_TRUE(file.endsWith(QStringLiteral(".json")) || file.endsWith(QStringLiteral(".lock")))
                << file.toStdString();
        if (QFile::exists(QDir(dataDirectory()).filePath(QStringLiteral("history_log.json")))) {
            EXPECT_TRUE(historyFile(QStringLiteral("history_log.json")).isArray());
        }
        if (QFile::exists(QDir(dataDirectory()).filePath(QStringLiteral("folder_styles.json")))) {
            EXPECT_TRUE(historyFile(QStringLiteral("folder_styles.json")).isObject());
        }
    }

    // The folders of `paths` that have a current style in the history.
    static QStringList inHistory(const QStringList& paths)
    {
        const QJsonObject styles = historyFile(QStringLiteral("folder_styles.json")).object();
        QStringList recorded;
        for (const QString& path : paths) {
            if (styles.contains(path))
                recorded.append(path);
        }
        return recorded;
    }

    static QStringList styledOf(const QStringList& paths)
    {
        QStringList styled;
        for (const QString& path : paths) {
            if (ExtendedAttributesManager{}.readSettings(path).has_value())
                styled.append(path);
        }
        return styled;
    }

    QStringList makeFolders(const QString& prefix, int count)
    {
        QStringList paths;
        for (int n = 0; n < count; ++n) {
            const QString path = work.filePath(QStringLiteral("%1 %2").arg(prefix).arg(n, 2, 10, QLatin1Char('0')));
            EXPECT_TRUE(QDir().mkpath(path));
            paths.append(path);
        }
        return paths;
    }

    static void setOnboardingCompleted(bool completed)
    {
        const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                               QStringLiteral("/io.velmar.pigmo2");
        QDir(config).removeRecursively();
        if (completed) {
            QSettings preferences(config + QStringLiteral("/preferences.ini"), QSettings::IniFormat);
            preferences.setValue(QStringLiteral("io.velmar.Pigmo.hasCompletedOnboarding"), true);
        }
    }

    // Waits until the process catches SIGTERM and SIGINT: from then on they end it through its event loop.
    static bool catchesTermination(const QProcess& program)
    {
        return QTest::qWaitFor(
            [&] {
                QFile status(QStringLiteral("/proc/%1/status").arg(program.processId()));
                if (!status.open(QIODevice::ReadOnly))
                    return false;
                for (const QByteArray& line : status.readAll().split('\n')) {
                    if (line.startsWith("SigCgt:")) {
                        const quint64 caught = line.mid(7).trimmed().toULongLong(nullptr, 16);
                        const quint64 both = (1ULL << (SIGTERM - 1)) | (1ULL << (SIGINT - 1));
                        return (caught & both) == both;
                    }
                }
                return false;
            },
            showTimeoutMs);
    }

    test::DesktopSession session;
    std::unique_ptr<test::AtSpiClient> atspi;
    QProcessEnvironment environment;
    QTemporaryDir work;
    std::vector<std::unique_ptr<QProcess>> programs;
};

} // namespace

TEST_F(ProgramWindowTest, EndsAtOnceWhenSignalledWhileStarting)
{
    const QStringList folders = makeFolders(QStringLiteral("Open"), 1);
    for (int run = 0; run < 8; ++run) {
        // Starts with the onboarding and with a folder in the editor; the signal comes anywhere from the
        // moment it can be caught to well after the window showed (the keyword index is built meanwhile).
        const bool onboarding = run % 2 == 0;
        setOnboardingCompleted(!onboarding);
        QProcess& program = start(onboarding ? QStringList() : QStringList{"--open", folders.first()});
        ASSERT_TRUE(catchesTermination(program)) << program.readAllStandardError().toStdString();
        const int delayMs = QRandomGenerator::global()->bounded(2000);
        QTest::qWait(delayMs); // the moment of the signal is what this run tries
        SCOPED_TRACE(std::to_string(delayMs) + " ms after the handlers were installed");
        end(program, std::nullopt, run % 4 < 2 ? Ending::sigterm : Ending::sigint);
    }
    QProcess* program = nullptr;
    const std::optional<test::AtSpiNode> application =
        startShowing(program, QStringLiteral("push button"), QStringLiteral("Select Folders"));
    ASSERT_TRUE(application) << "a start after all of them gets a window";
    end(*program, application, Ending::keys);
    expectTheNextStartShowsItsWindow();
}

TEST_F(ProgramWindowTest, EndsAtOnceDuringAndAfterTheOnboarding)
{
    setOnboardingCompleted(false);
    QProcess* program = nullptr;
    std::optional<test::AtSpiNode> application =
        startShowing(program, QStringLiteral("push button"), QStringLiteral("Get Started"));
    ASSERT_TRUE(application);
    end(*program, application, Ending::tray);

    // The next start resumes the onboarding; midway through it, the keys end it.
    application = startShowing(program, QStringLiteral("push button"), QStringLiteral("Get Started"));
    ASSERT_TRUE(application);
    ASSERT_TRUE(pressButton(*application, QStringLiteral("Get Started")));
    ASSERT_TRUE(pressButton(*application, QStringLiteral("Next")));
    ASSERT_TRUE(waitForShowing(*application, QStringLiteral("filler"), QStringLiteral("3 / 7")));
    end(*program, application, Ending::keys);

    // To its end, then the main view, then the menu's Quit.
    application = startShowing(program, QStringLiteral("filler"), QStringLiteral("3 / 7"));
    ASSERT_TRUE(application) << "the onboarding resumes where it was left";
    ASSERT_TRUE(pressButton(*application, QStringLiteral("Next")));
    ASSERT_TRUE(pressButton(*application, QStringLiteral("Continue")));
    ASSERT_TRUE(waitForShowing(*application, QStringLiteral("filler"), QStringLiteral("5 / 7")));
    ASSERT_TRUE(pressButton(*application, QStringLiteral("Continue")));
    ASSERT_TRUE(pressButton(*application, QStringLiteral("Not Now")));
    ASSERT_TRUE(pressButton(*application, QStringLiteral("Continue")));
    ASSERT_TRUE(pressButton(*application, QStringLiteral("Skip")));
    ASSERT_TRUE(pressButton(*application, QStringLiteral("Start Using Pigmo")));
    ASSERT_TRUE(waitForShowing(*application, QStringLiteral("push button"), QStringLiteral("Select Folders")));
    end(*program, application, Ending::menu);

    // Later starts open the main view at once.
    application = startShowing(program, QStringLiteral("push button"), QStringLiteral("Select Folders"));
    ASSERT_TRUE(application);
    end(*program, application, Ending::sigterm);
    application = startShowing(program, QStringLiteral("push button"), QStringLiteral("Select Folders"));
    ASSERT_TRUE(application);
    end(*program, application, Ending::tray);
    expectTheNextStartShowsItsWindow();
}

TEST_F(ProgramWindowTest, EndsAtOnceWithFoldersOpenDuringAndAfterAnApply)
{
    setOnboardingCompleted(true);
    const QStringList pair = makeFolders(QStringLiteral("Pair"), 2);
    QProcess* program = nullptr;
    std::optional<test::AtSpiNode> application =
        startShowing(program, QStringLiteral("push button"), QStringLiteral("Select Folders"));
    ASSERT_TRUE(application);
    handOver(QStringList{"--open"} + pair);
    ASSERT_TRUE(waitForShowing(*application, QStringLiteral("push button"), QStringLiteral("Change 2 Icons")));
    end(*program, application, Ending::keys);
    EXPECT_EQ(styledOf(pair), QStringList()) << "nothing was applied";

    // During an apply: the folder being written is finished and recorded, the others are left as they were.
    const QStringList many = makeFolders(QStringLiteral("Many"), 60);
    application = startShowing(program, QStringLiteral("push button"), QStringLiteral("Select Folders"));
    ASSERT_TRUE(application);
    handOver(QStringList{"--open"} + many);
    ASSERT_TRUE(pressButton(*application, QStringLiteral("Change 60 Icons")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !styledOf(many).isEmpty(); }, showTimeoutMs));
    end(*program, application, Ending::sigterm);
    const QStringList styled = styledOf(many);
    std::cout << "[ INFO     ] " << styled.size() << " of " << many.size() << " folders styled when it ended\n";
    EXPECT_EQ(inHistory(many), styled) << "every folder styled is in the history, and only those";

    // After an apply.
    application = startShowing(program, QStringLiteral("push button"), QStringLiteral("Change 2 Icons"),
                               {"--open", pair[0], pair[1]});
    ASSERT_TRUE(application);
    ASSERT_TRUE(pressButton(*application, QStringLiteral("Change 2 Icons")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return inHistory(pair).size() == 2; }, showTimeoutMs));
    end(*program, application, Ending::tray);
    EXPECT_EQ(styledOf(pair), pair);

    application = startShowing(program, QStringLiteral("push button"), QStringLiteral("Select Folders"));
    ASSERT_TRUE(application);
    end(*program, application, Ending::menu);
    expectTheNextStartShowsItsWindow();
}

TEST_F(ProgramWindowTest, EndsAtOnceWithADialogOpen)
{
    setOnboardingCompleted(true);
    const QStringList pair = makeFolders(QStringLiteral("Pair"), 2);
    const QString confirmation = QStringLiteral("Confirm the folders you want to colorize");
    QProcess* program = nullptr;
    std::optional<test::AtSpiNode> application;
    // The folders a file manager handed over are confirmed in a dialog that runs its own event loop. It is
    // modal for the whole program: the window's keys and the tray icon wait until it closes.
    for (const Ending ending : {Ending::menu, Ending::sigterm, Ending::sigint}) {
        ASSERT_TRUE(AppGroupStore::setFolderURLs(
            {QUrl::fromLocalFile(pair[0]).toString(), QUrl::fromLocalFile(pair[1]).toString()}));
        application = startShowing(program, QStringLiteral("dialog"), confirmation);
        ASSERT_TRUE(application);
        end(*program, application, ending);
    }

    // The back button's alert about unapplied changes, modal for the window only.
    for (const Ending ending : {Ending::tray, Ending::menu}) {
        application = startShowing(program, QStringLiteral("push button"), QStringLiteral("Change 2 Icons"),
                                   {"--open", pair[0], pair[1]});
        ASSERT_TRUE(application);
        ASSERT_TRUE(pressButton(*application, QStringLiteral("#2E89BE"))); // a preset colour: a change
        ASSERT_TRUE(pressButton(*application, QStringLiteral("Back")));
        ASSERT_TRUE(waitForShowing(*application, QStringLiteral("alert message"), QStringLiteral("Discard changes?")));
        end(*program, application, ending);
    }
    EXPECT_EQ(styledOf(pair), QStringList()) << "nothing was applied";
    expectTheNextStartShowsItsWindow();
}

// A batch killed outright at a random moment, many times over: by itself (`--smart` with nothing running) and
// in the running program (a `--smart` handed over to it). The next start settles what the killed process
// left: every folder is then styled with its icon in both places and its record in both history files, or
// untouched.
TEST_F(ProgramTest, ABatchKilledAtAnyMomentLeavesEveryFolderStyledWithItsRecordOrUntouched)
{
    withoutDisplay();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen")); // the running program's
    const unsigned seed = std::random_device{}();
    std::cout << "[ INFO     ] kill times drawn with seed " << seed << "\n";
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> killAfterMs(0, 900);
    const QStringList names{"Invoices", "Music", "Photos", "Recipes", "Projects"};
    constexpr int runs = 20;
    constexpr int folders = 120;
    int cutShort = 0;
    for (int run = 0; run < runs; ++run) {
        const bool inRunningProgram = run % 4 == 3;
        QStringList paths;
        for (int n = 0; n < folders; ++n)
            paths.append(makeFolder(QStringLiteral("run %1/%2 %3").arg(run).arg(names[n % names.size()]).arg(n)));
        QProcess killed;
        if (inRunningProgram) {
            start(killed, {});
            ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(socket()); }, 10'000));
            EXPECT_EQ(this->run(QStringList{"--smart"} + paths).exitCode, 0) << "handed over";
        } else {
            start(killed, QStringList{"--smart"} + paths);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(killAfterMs(random))); // the moment of the kill
        ::kill(static_cast<pid_t>(killed.processId()), SIGKILL);
        ASSERT_TRUE(killed.waitForFinished(10'000));

        // The next start settles before it styles its own folder.
        const QString next = makeFolder(QStringLiteral("run %1/Next").arg(run));
        const Finished settling = this->run({"--smart", next});
        EXPECT_EQ(settling.exitCode, 0) << settling.err.toStdString();
        EXPECT_TRUE(QDir(dataFile({})).entryList({"*.journal", ".styling-*"}, QDir::Files | QDir::Hidden).isEmpty())
            << "settled and gone";
        const QJsonObject styles = currentStyles();
        const QMap<QString, int> logged = loggedFolders();
        int styledCount = 0;
        for (const QString& path : paths) {
            EXPECT_EQ(styledWithRecordOrUntouched(path, styles, logged).toStdString(), "")
                << path.toStdString() << " (run " << run << ")";
            styledCount += styled(path);
        }
        cutShort += styledCount > 0 && styledCount < folders;
    }
    std::cout << "[ INFO     ] " << cutShort << " of " << runs << " batches were killed in the middle\n";
    EXPECT_GT(cutShort, 0) << "the kills fell before or after every batch: nothing was tried";
}

// A screen reader reads the whole window after every step and all it can of every object an event names, while
// the program applies styles, every page and tab opens and closes, and folders are removed: the program never
// reaches an object that is gone (it would crash, or a build with AddressSanitizer would report a use after
// free).
TEST_F(ProgramWindowTest, AScreenReaderReadsEverythingWhileTheWindowChanges)
{
    setOnboardingCompleted(true);
    QStringList folders;
    for (const char* name : {"Projects/Music", "Projects/Invoices", "Projects/Garden"}) {
        folders.append(work.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(QDir().mkpath(folders.last()));
    }
    QProcess* program = nullptr;
    const std::optional<test::AtSpiNode> application =
        startShowing(program, QStringLiteral("push button"), QStringLiteral("Select Folders"));
    ASSERT_TRUE(application);
    ASSERT_TRUE(atspi->listen({"object:", "window:", "focus:"})) << atspi->lastError().toStdString();
    QElapsedTimer clock;
    clock.start();
    const QString button = QStringLiteral("push button");
    const QString tab = QStringLiteral("page tab");
    const auto step = [&](const QString& role, const char* name) {
        return pressAndRead(*program, *application, role, QString::fromUtf8(name));
    };
    ASSERT_TRUE(readEverything(*program, *application));
    for (const char* page : {"Settings", "History", "Home"})
        ASSERT_TRUE(step(button, page));

    // Every tab of the editor, ending on the icon tab, whose suggestions are made anew when the apply adds
    // to the history.
    handOver(QStringList{"--open"} + folders);
    ASSERT_TRUE(waitForShowing(*application, button, QStringLiteral("Change 3 Icons")));
    for (const char* name : {"Icon", "Search", "Emojis", "Custom", "Details", "Icon"})
        ASSERT_TRUE(step(tab, name));

    // The history opened while the styles are applied, and read until they are all in it.
    ASSERT_TRUE(step(button, "Change 3 Icons"));
    ASSERT_TRUE(step(button, "History"));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !readEverything(*program, *application) || inHistory(folders).size() == folders.size(); },
        showTimeoutMs))
        << "in the history: " << inHistory(folders).join(u',').toStdString()
        << "; styled: " << styledOf(folders).join(u',').toStdString() << "; "
        << program->readAllStandardError().toStdString();
    for (const char* name : {"Current styles", "All changes"})
        ASSERT_TRUE(step(tab, name));
    for (const char* page : {"Settings", "Home"})
        ASSERT_TRUE(step(button, page));

    // The folders removed one by one, down to the drop zone.
    const auto removeButtons = [&] {
        const QList<test::AtSpiElement> shown = atspi->showing(*application);
        return std::count_if(shown.cbegin(), shown.cend(), [&](const test::AtSpiElement& element) {
            return element.role == button && element.name == QStringLiteral("Remove");
        });
    };
    for (qsizetype left = folders.size(); left > 0; --left) {
        ASSERT_TRUE(step(button, "Remove"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return removeButtons() == left - 1; }, showTimeoutMs));
    }
    ASSERT_TRUE(waitForShowing(*application, button, QStringLiteral("Select Folders")));

    // Folders opened, changed and dropped through the back button's question.
    handOver(QStringList{"--open"} + folders.mid(0, 2));
    for (const char* name : {"#2E89BE", "Back", "Discard"})
        ASSERT_TRUE(step(button, name));
    ASSERT_TRUE(waitForShowing(*application, button, QStringLiteral("Select Folders")));
    ASSERT_TRUE(readEverything(*program, *application));
    std::cout << "[ INFO     ] read the window after every step for " << clock.elapsed() << " ms\n";
    end(*program, application, Ending::menu);
}

// The editor's tab bars and the history's tabs are page tab lists of page tabs, named, one selected, each
// pressed through its action as a screen reader presses it.
TEST_F(ProgramWindowTest, TheTabsArePageTabsThatAScreenReaderPresses)
{
    setOnboardingCompleted(true);
    const QStringList folder = makeFolders(QStringLiteral("Music"), 1);
    QProcess* program = nullptr;
    const std::optional<test::AtSpiNode> application = startShowing(
        program, QStringLiteral("page tab list"), QStringLiteral("Folder style"), {"--open", folder.first()});
    ASSERT_TRUE(application);

    const QList<test::AtSpiElement> tabs = pageTabs(*application, QStringLiteral("Folder style"));
    QStringList names;
    for (const test::AtSpiElement& tab : tabs) {
        names.append(tab.name);
        EXPECT_EQ(tab.role, QStringLiteral("page tab"));
        EXPECT_TRUE(tab.isShowing() && tab.has(test::AtSpiState::selectable)) << tab.name.toStdString();
        EXPECT_EQ(atspi->actions(tab.node), QStringList{QStringLiteral("Press")}) << tab.name.toStdString();
    }
    EXPECT_EQ(names, (QStringList{"Color", "Icon", "Details"}));
    ASSERT_TRUE(waitForSelectedTab(*application, QStringLiteral("Folder style"), QStringLiteral("Color")));

    ASSERT_TRUE(atspi->doAction(tabs.value(1).node));
    ASSERT_TRUE(waitForSelectedTab(*application, QStringLiteral("Folder style"), QStringLiteral("Icon")));
    EXPECT_TRUE(waitForSelectedTab(*application, QStringLiteral("Icon"), QStringLiteral("Suggested")))
        << "the icon tab shows, on its first sub-tab";
    ASSERT_TRUE(press(*application, QStringLiteral("page tab"), QStringLiteral("Search")));
    EXPECT_TRUE(waitForSelectedTab(*application, QStringLiteral("Icon"), QStringLiteral("Search")));
    EXPECT_TRUE(waitForShowing(*application, QStringLiteral("page tab list"), QStringLiteral("Search icons")))
        << "the search page with its libraries";

    ASSERT_TRUE(pressButton(*application, QStringLiteral("History")));
    ASSERT_TRUE(waitForSelectedTab(*application, QStringLiteral("History"), QStringLiteral("All changes")));
    ASSERT_TRUE(press(*application, QStringLiteral("page tab"), QStringLiteral("Current styles")));
    EXPECT_TRUE(waitForSelectedTab(*application, QStringLiteral("History"), QStringLiteral("Current styles")));
    end(*program, application, Ending::sigterm);
}
