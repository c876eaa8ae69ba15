#pragma once

// What the file-manager entry tests share: an installed program (a desktop file in the scratch data folder),
// the app-group store as the program would take it, and the lines the entries print on standard error.

#include "platform/AppGroupStore.h"

#include <glib.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>

namespace pigmo::test {

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
// the program reads it.
class EntriesTest : public ::testing::Test {
protected:
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
