#pragma once

// What the file-manager entry tests share: an installed program (a desktop file in the scratch data folder),
// the app-group store as the program would take it, and the lines the entries print on standard error.

#include "platform/AppGroupStore.h"

#include <glib.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <algorithm>
#include <csignal>
#include <sys/wait.h>

namespace pigmo::test {

// The state every entry test starts from: no Pigmo 2 anywhere but where the test installs it. The system's
// data folders (where `cmake --install --prefix /usr` puts the program's desktop file) give way to an empty
// one, and the folders of PATH that hold a `pigmo2` are dropped. GIO reads the data folders once per process,
// so this must happen before its first look-up; false when GIO has read them already.
inline bool hideInstalledPrograms()
{
    static const QTemporaryDir data;
    static const bool hidden = [] {
        qputenv("XDG_DATA_DIRS", QFile::encodeName(data.path()));
        QStringList kept;
        for (const QString& folder : qEnvironmentVariable("PATH").split(u':', Qt::SkipEmptyParts)) {
            if (!QFileInfo::exists(folder + QStringLiteral("/pigmo2")))
                kept.append(folder);
        }
        qputenv("PATH", QFile::encodeName(kept.join(u':')));
        const gchar* const* folders = g_get_system_data_dirs();
        return folders[0] && !folders[1] && QFile::decodeName(folders[0]) == data.path();
    }();
    return hidden;
}

// A process this process started that is still there: running, or ended and not reaped yet.
struct ChildProcess {
    pid_t pid = 0;
    bool running = false;
};

inline QList<ChildProcess> childProcesses()
{
    QList<ChildProcess> children;
    const QByteArray self = QByteArray::number(::getpid());
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (name) state ppid ...": the name may hold spaces and parentheses, the last ")" ends it.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields[1] == self)
            children.append({entry.toInt(), fields[0] != "Z"});
    }
    return children;
}

// Ends and reaps every process this process started that is still there; gives how many were running.
inline int endChildProcesses()
{
    int running = 0;
    for (const ChildProcess& child : childProcesses()) {
        if (child.running) {
            ++running;
            ::kill(child.pid, SIGKILL);
        }
        ::waitpid(child.pid, nullptr, 0);
    }
    return running;
}

// Installs "io.velmar.pigmo2.desktop" into the scratch applications folder, starting `command` (in
// `workingDirectory` when one is given). Must run before the first look-up of the program in this process:
// GIO keeps what it found.
inline bool installProgram(const QString& command, const QString& workingDirectory = {})
{
    const QString applications =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/applications");
    QFile file(applications + QStringLiteral("/io.velmar.pigmo2.desktop"));
    if (!QDir().mkpath(applications) || !file.open(QIODevice::WriteOnly))
        return false;
    file.write(QStringLiteral("[Desktop Entry]\nType=Application\nName=Pigmo 2\nIcon=io.velmar.pigmo2\n"
                              "Exec=%1 %U\n")
                   .arg(command)
                   .toUtf8());
    if (!workingDirectory.isEmpty())
        file.write(QStringLiteral("Path=%1\n").arg(workingDirectory).toUtf8());
    return true;
}

// An executable shell script with the given body.
inline bool writeScript(const QString& path, const QString& body)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(body.toUtf8());
    file.close();
    return file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// The store's entries, taken (and so removed) as the program takes them; none when it cannot be read.
inline HandOver takeStore()
{
    Result<HandOver> taken = AppGroupStore::take();
    return taken ? std::move(taken).value() : HandOver{};
}

inline QString fileURI(const QString& path)
{
    return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
}

// Collects what is printed through g_printerr() while it lives (one at a time).
class PrintedErrors {
public:
    PrintedErrors() { previous_ = g_set_printerr_handler(&PrintedErrors::collect); }
    ~PrintedErrors() { g_set_printerr_handler(previous_); }
    PrintedErrors(const PrintedErrors&) = delete;
    PrintedErrors& operator=(const PrintedErrors&) = delete;

    QString text() const { return collected(); }

private:
    static QString& collected()
    {
        static QString text;
        return text;
    }
    static void collect(const gchar* text) { collected() += QString::fromUtf8(text); }

    GPrintFunc previous_ = nullptr;
};

// A scratch folder to make folders and files in, a program that records its starts, and the store read as
// the program reads it. Every test starts with no program installed and leaves no process behind.
class EntriesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(hideInstalledPrograms()) << "GIO read the data folders before the test"; }
    void TearDown() override
    {
        // A started program ends by itself (the recording one at once, the real one once it handed over).
        const bool ended =
            QTest::qWaitFor([] { return std::ranges::none_of(childProcesses(), &ChildProcess::running); }, 10000);
        EXPECT_EQ(endChildProcesses(), 0) << "a started program was still running";
        EXPECT_TRUE(ended);
    }

    QString makeFolder(const QString& relative)
    {
        EXPECT_TRUE(QDir(root.path()).mkpath(relative));
        return root.filePath(relative);
    }
    QString makeFile(const QString& relative)
    {
        QFile file(root.filePath(relative));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        return root.filePath(relative);
    }

    // The paths the program makes of the written URL strings.
    static QStringList pathsOf(const QStringList& urls)
    {
        QStringList paths;
        for (const QString& url : urls)
            paths.append(QUrl(url, QUrl::StrictMode).toLocalFile());
        return paths;
    }
    static QStringList takeFolderPaths() { return pathsOf(takeStore().folderURLs.value_or(QStringList{})); }

    // A program that records each start in "starts" (one line of arguments per start).
    QString installRecordingProgram()
    {
        const QString script = root.filePath(QStringLiteral("fake-program"));
        EXPECT_TRUE(writeScript(script, QStringLiteral("#!/bin/sh\necho \"started $*\" >> '%1'\n").arg(startsFile())));
        EXPECT_TRUE(installProgram(script));
        return script;
    }
    QString startsFile() const { return root.filePath(QStringLiteral("starts")); }
    int starts() const
    {
        QFile file(startsFile());
        return file.open(QIODevice::ReadOnly) ? static_cast<int>(file.readAll().count('\n')) : 0;
    }

    QTemporaryDir root;
};

} // namespace pigmo::test
