#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace pigmo::test {

// A temporary directory that tests fill with folders, files and symbolic links, named by relative paths;
// each maker returns the absolute path and fails the test when the file system refuses.
class ScratchTree {
public:
    QString makeFolder(const QString& relative) const
    {
        EXPECT_TRUE(QDir(root_.path()).mkpath(relative)) << relative.toStdString();
        return path(relative);
    }
    QString makeFile(const QString& relative) const
    {
        QFile file(path(relative));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << relative.toStdString();
        return file.fileName();
    }
    QString makeLink(const QString& target, const QString& relative) const
    {
        EXPECT_TRUE(QFile::link(target, path(relative))) << relative.toStdString();
        return path(relative);
    }
    QString path(const QString& relative) const { return root_.filePath(relative); }
    QString path() const { return root_.path(); }

private:
    QTemporaryDir root_;
};

} // namespace pigmo::test
