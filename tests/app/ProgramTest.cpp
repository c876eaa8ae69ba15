// The real program, started as a user would, in a private session bus (gvfs metadata): the running program
// taking `--smart` requests of later starts and ending on SIGTERM; `--smart` with nothing running, which
// styles by itself without a window or a display and ends; starts that need a window and have no display.

#include "base/LocalPath.h"
#include "platform/DirectoryFile.h"
#include "platform/FolderIconStore.h"
#include "platform/GvfsMetadata.h"
#include "platform/ReadOnlyFolder.h"
#include "storage/ExtendedAttributesManager.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <algorithm>
#include <csignal>
#include <functional>

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
