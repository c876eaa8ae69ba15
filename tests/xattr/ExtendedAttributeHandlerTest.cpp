#include "xattr/ExtendedAttributeHandler.h"

#include "support/FileSystem.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstring>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

using namespace pigmo::xattr;

namespace {

const QString settings = QStringLiteral("io.velmar.PaintDirs.settings");

enum class Target { path, descriptor };

// One real file in a fresh temporary directory, reachable through each of the two targets.
class AttributeTargetTest : public ::testing::TestWithParam<Target> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        QFile file(filePath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.close();
        if (!pigmo::test::userAttributesSupported(filePath()))
            GTEST_SKIP() << "the file system of " << dir.path().toStdString() << " refuses user attributes";
        descriptor = ::open(QFile::encodeName(filePath()).constData(), O_RDONLY);
        ASSERT_GE(descriptor, 0);
        handler = make(GetParam());
    }
    void TearDown() override
    {
        if (descriptor >= 0)
            ::close(descriptor);
    }

    QString filePath() const { return dir.filePath(QStringLiteral("folder ä")); }

    std::unique_ptr<ExtendedAttributeHandler> make(Target target) const
    {
        switch (target) {
        case Target::path:
            return std::make_unique<FilePathAttributes>(filePath());
        case Target::descriptor:
            return std::make_unique<FileDescriptorAttributes>(descriptor);
        }
        return nullptr;
    }

    // The raw Linux attribute, bypassing the module.
    QByteArray rawValue(const char* systemName) const
    {
        char buffer[256];
        const ssize_t size = ::getxattr(QFile::encodeName(filePath()).constData(), systemName, buffer, sizeof buffer);
        return size < 0 ? QByteArray("<absent>") : QByteArray(buffer, size);
    }

    QTemporaryDir dir;
    int descriptor = -1;
    std::unique_ptr<ExtendedAttributeHandler> handler;
};

XAttrError caught(const std::function<void()>& operation)
{
    try {
        operation();
    } catch (const XAttrError& error) {
        return error;
    }
    ADD_FAILURE() << "no error was thrown";
    return XAttrError::posix(0);
}

} // namespace

TEST_P(AttributeTargetTest, WritesReadsAndListsInTheUserNamespace)
{
    handler->setExtendedAttribute("{\"a\":1}", settings);
    EXPECT_EQ(rawValue("user.io.velmar.PaintDirs.settings"), "{\"a\":1}");
    EXPECT_EQ(handler->extendedAttribute(settings), "{\"a\":1}");

    handler->setExtendedAttribute("2", settings);
    EXPECT_EQ(handler->extendedAttribute(settings), "2") << "a write replaces the whole value";

    handler->setExtendedAttribute({}, QStringLiteral("empty"));
    EXPECT_EQ(handler->extendedAttribute(QStringLiteral("empty")), QByteArray());
    EXPECT_EQ(handler->listExtendedAttributes(), (QStringList{settings, QStringLiteral("empty")}));
}

TEST_P(AttributeTargetTest, FreshFileListsNothing)
{
    EXPECT_TRUE(handler->listExtendedAttributes().isEmpty());
}

TEST_P(AttributeTargetTest, AbsentAttributeIsENODATAWithItsName)
{
    for (const auto& operation : std::initializer_list<std::function<void()>>{
             [&] { handler->extendedAttribute(settings); },
             [&] { handler->removeExtendedAttribute(settings); },
             [&] { handler->setExtendedAttribute("x", settings, XAttrOptions::replace); },
         }) {
        const XAttrError error = caught(operation);
        EXPECT_EQ(error.domain(), XAttrError::Domain::posix);
        EXPECT_EQ(error.code(), ENODATA);
        EXPECT_TRUE(error.isAbsentAttribute());
        EXPECT_EQ(error.attributeName(), settings);
        EXPECT_EQ(error.description(), QString::fromLocal8Bit(std::strerror(ENODATA)));
    }
    EXPECT_TRUE(handler->listExtendedAttributes().isEmpty()) << "a replace of an absent attribute creates nothing";
}

TEST_P(AttributeTargetTest, CreateRefusesAnExistingAttribute)
{
    handler->setExtendedAttribute("first", settings, XAttrOptions::create);
    const XAttrError error = caught([&] { handler->setExtendedAttribute("second", settings, XAttrOptions::create); });
    EXPECT_EQ(error.code(), EEXIST);
    handler->setExtendedAttribute("third", settings, XAttrOptions::replace);
    EXPECT_EQ(handler->extendedAttribute(settings), "third");
}

TEST_P(AttributeTargetTest, ValueBeyondTheFileSystemsSpaceIsRefusedWhole)
{
    handler->setExtendedAttribute("kept", settings);
    EXPECT_EQ(caught([&] { handler->setExtendedAttribute(QByteArray(20 * 1024, 'x'), settings); }).code(), ENOSPC);
    EXPECT_EQ(caught([&] { handler->setExtendedAttribute(QByteArray(70 * 1024, 'x'), settings); }).code(), E2BIG);
    EXPECT_EQ(handler->extendedAttribute(settings), "kept");
}

TEST_P(AttributeTargetTest, WriteProtectedFileRefusesChanges)
{
    handler->setExtendedAttribute("kept", settings);
    pigmo::test::WriteProtection protection(filePath());
    if (!protection.active())
        GTEST_SKIP() << "cannot write-protect a file on this machine";
    const XAttrError error = caught([&] { handler->setExtendedAttribute("new", settings); });
    EXPECT_TRUE(error.code() == EPERM || error.code() == EACCES) << error.code();
    EXPECT_EQ(handler->extendedAttribute(settings), "kept");
}

INSTANTIATE_TEST_SUITE_P(Targets, AttributeTargetTest, ::testing::Values(Target::path, Target::descriptor),
                         [](const auto& info) {
                             switch (info.param) {
                             case Target::path:
                                 return "Path";
                             case Target::descriptor:
                                 return "Descriptor";
                             }
                             return "";
                         });

namespace {

class ExtendedAttributeHandlerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.close();
        if (!pigmo::test::userAttributesSupported(path))
            GTEST_SKIP() << "the file system of " << dir.path().toStdString() << " refuses user attributes";
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("file"));
};

// Changes the attribute between the probe and the sized read, as another process could.
class RacingTarget : public FilePathAttributes {
public:
    RacingTarget(const QString& path, QByteArray replacement)
        : FilePathAttributes(path)
        , path_(QFile::encodeName(path))
        , replacement_(std::move(replacement))
    {
    }

protected:
    ssize_t get(const char* name, void* buffer, size_t size, bool noFollow) const override
    {
        const ssize_t result = FilePathAttributes::get(name, buffer, size, noFollow);
        if (!buffer)
            ::setxattr(path_.constData(), name, replacement_.constData(), replacement_.size(), 0);
        return result;
    }

private:
    QByteArray path_;
    QByteArray replacement_;
};

} // namespace

TEST_F(ExtendedAttributeHandlerTest, ValueChangedBetweenProbeAndReadIsCutOrRefused)
{
    FilePathAttributes(path).setExtendedAttribute("0123456789", settings);
    EXPECT_EQ(RacingTarget(path, "abc").extendedAttribute(settings), "abc") << "no zero-filled tail";

    FilePathAttributes(path).setExtendedAttribute("0123456789", settings);
    EXPECT_EQ(caught([&] { RacingTarget(path, "0123456789abcdef").extendedAttribute(settings); }).code(), ERANGE);
}

TEST_F(ExtendedAttributeHandlerTest, ListingFailureCarriesNoName)
{
    const XAttrError error = caught([&] { FilePathAttributes(dir.filePath("missing")).listExtendedAttributes(); });
    EXPECT_EQ(error.code(), ENOENT);
    EXPECT_FALSE(error.attributeName());

    const XAttrError underFile = caught([&] { FilePathAttributes(path + "/child").extendedAttribute(settings); });
    EXPECT_EQ(underFile.code(), ENOTDIR);
    EXPECT_EQ(underFile.attributeName(), settings);
}

TEST_F(ExtendedAttributeHandlerTest, UndecodableNameFailsTheListing)
{
    ASSERT_EQ(::setxattr(QFile::encodeName(path).constData(), "user.bad\xff", "x", 1, 0), 0);
    const XAttrError error = caught([&] { FilePathAttributes(path).listExtendedAttributes(); });
    EXPECT_EQ(error.domain(), XAttrError::Domain::decoding);
    EXPECT_EQ(error.code(), EILSEQ);
    EXPECT_EQ(error.description(), "Could not decode extended attribute names.");
}

TEST_F(ExtendedAttributeHandlerTest, OtherNamespacesStayHidden)
{
    const QByteArray file = QFile::encodeName(path);
    if (::setxattr(file.constData(), "trusted.pigmo", "x", 1, 0) != 0)
        GTEST_SKIP() << "no privilege to write a trusted attribute here";
    FilePathAttributes(path).setExtendedAttribute("1", QStringLiteral("mine"));
    EXPECT_EQ(FilePathAttributes(path).listExtendedAttributes(), QStringList{"mine"});
}

TEST_F(ExtendedAttributeHandlerTest, NoFollowActsOnTheLinkItself)
{
    const QString link = dir.filePath(QStringLiteral("link"));
    ASSERT_TRUE(QFile::link(path, link));
    FilePathAttributes(link).setExtendedAttribute("through", settings);
    EXPECT_EQ(FilePathAttributes(path).extendedAttribute(settings), "through") << "links are followed by default";

    EXPECT_EQ(
        caught([&] { FilePathAttributes(link).setExtendedAttribute("x", settings, XAttrOptions::noFollow); }).code(),
        EPERM);
    EXPECT_TRUE(caught([&] {
                    FilePathAttributes(link).extendedAttribute(settings, XAttrOptions::noFollow);
                }).isAbsentAttribute());
    EXPECT_TRUE(FilePathAttributes(link).listExtendedAttributes(XAttrOptions::noFollow).isEmpty());
}

TEST_F(ExtendedAttributeHandlerTest, ReadIfPresentGivesNothingForAbsentAndAnyLengthOtherwise)
{
    const FilePathAttributes file(path);
    EXPECT_EQ(file.extendedAttributeIfPresent(settings), std::nullopt);
    file.setExtendedAttribute("", settings);
    EXPECT_EQ(file.extendedAttributeIfPresent(settings), QByteArray());
    const QByteArray full(4000, 'f'); // about the most ext4 keeps
    file.setExtendedAttribute(full, settings);
    EXPECT_EQ(file.extendedAttributeIfPresent(settings), full);
    EXPECT_EQ(caught([&] { FilePathAttributes(dir.filePath("missing")).extendedAttributeIfPresent(settings); }).code(),
              ENOENT);
    const QByteArray large(6000, 'x'); // beyond the first read's buffer (tmpfs, XFS)
    try {
        file.setExtendedAttribute(large, settings);
    } catch (const XAttrError&) {
        return; // ext4 keeps no value this long
    }
    EXPECT_EQ(file.extendedAttributeIfPresent(settings), large);
}
