#include "storage/StylingJournal.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

using namespace pigmo;

namespace {

ColorizationData style(double hue)
{
    return ColorizationData{HSL{hue, 60, 40}, 0.8, std::nullopt, 120.0, IconStyle::vibrant()};
}

StylingJournal::Intent intent(const QString& folder, double hue, QString previousGvfs = {},
                              QString previousDirectory = {})
{
    return {0,
            {folder, style(hue), QDateTime::fromSecsSinceEpoch(1'700'000'000 + qint64(hue), Qt::UTC)},
            QStringLiteral("/data/icons/%1.png").arg(hue),
            std::move(previousGvfs),
            std::move(previousDirectory),
            std::nullopt};
}

class StylingJournalTest : public ::testing::Test {
protected:
    QStringList files(const QString& pattern = QStringLiteral("*")) const
    {
        return QDir(home.path()).entryList({pattern}, QDir::Files | QDir::Hidden | QDir::System);
    }
    static QByteArray contents(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir home;
};

TEST_F(StylingJournalTest, IntentsAndTheirEndsReadBackAsWritten)
{
    StylingJournal journal(home.path());
    EXPECT_TRUE(files().isEmpty()) << "no file before the first intent";
    StylingJournal::Intent first =
        intent(QStringLiteral("/home/ana/Music \"live\""), 10, QStringLiteral("file:///data/icons/old.png"),
               QStringLiteral("/data/old.png"));
    StylingJournal::Intent second = intent(QStringLiteral("/home/ana/Photos"), 20);
    const Result<quint64> firstId = journal.begin(first);
    const Result<quint64> secondId = journal.begin(second);
    ASSERT_TRUE(firstId && secondId);
    EXPECT_EQ(*firstId, 1u);
    EXPECT_EQ(*secondId, 2u);
    journal.end(*secondId, StylingJournal::Outcome::undone);
    journal.end(*firstId, StylingJournal::Outcome::styled);

    ASSERT_EQ(files(), QStringList{QFileInfo(journal.filePath()).fileName()});
    EXPECT_TRUE(journal.filePath().endsWith(StylingJournal::fileSuffix));
    const StylingJournal::Contents read = StylingJournal::parse(contents(journal.filePath()));
    first.id = 1;
    first.outcome = StylingJournal::Outcome::styled;
    second.id = 2;
    second.outcome = StylingJournal::Outcome::undone;
    EXPECT_EQ(read.intents, (QList<StylingJournal::Intent>{first, second}));
    EXPECT_EQ(read.unreadableLines, 0);
}

TEST_F(StylingJournalTest, ALineCutShortOrUnknownIsSkippedAndTheRestIsRead)
{
    StylingJournal::Intent kept = intent(QStringLiteral("/home/ana/Music"), 10);
    kept.id = 4;
    const QByteArray line = *StylingJournal::intentLine(kept);
    const QByteArray text = line + '\n' + line.left(line.size() / 2) + '\n' + R"({"ended":4,"outcome":"perhaps"})" +
                            '\n' + R"({"intent":"five"})" + "\n\n" +
                            StylingJournal::endLine(9, StylingJournal::Outcome::styled) + '\n' + line.left(30);
    const StylingJournal::Contents read = StylingJournal::parse(text);
    EXPECT_EQ(read.intents, QList<StylingJournal::Intent>{kept}) << "an end of no intent joins nothing";
    EXPECT_EQ(read.unreadableLines, 4);
}

TEST_F(StylingJournalTest, AJournalIsLeftOverOnlyOnceItsWriterHasLetGo)
{
    auto writer = std::make_unique<StylingJournal>(home.path());
    ASSERT_TRUE(writer->begin(intent(QStringLiteral("/home/ana/Music"), 10)));
    const QString path = writer->filePath();
    EXPECT_TRUE(StylingJournal::left(home.path()).empty()) << "its writer still holds it";

    writer.reset(); // as a killed process lets go of its lock
    ASSERT_TRUE(QFile::exists(path)) << "the file stays for the next start";
    std::vector<StylingJournal::Left> left = StylingJournal::left(home.path());
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left.front().path(), path);
    ASSERT_EQ(left.front().contents().intents.size(), 1);
    EXPECT_FALSE(left.front().contents().intents.first().outcome) << "begun, never ended";
    EXPECT_TRUE(StylingJournal::left(home.path()).empty()) << "one start settles it, not two";

    ASSERT_TRUE(left.front().remove());
    EXPECT_TRUE(files().isEmpty());
}

TEST_F(StylingJournalTest, ATemporaryFileAKilledWriterLeftIsDeletedAndAHeldOneKept)
{
    const QByteArray stale = QFile::encodeName(home.filePath(QStringLiteral(".styling-AbC123")));
    const QByteArray held = QFile::encodeName(home.filePath(QStringLiteral(".styling-XyZ789")));
    ::close(::open(stale.constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600));
    const int holder = ::open(held.constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    EXPECT_TRUE(StylingJournal::left(home.path()).empty());
    EXPECT_EQ(files(), QStringList{QStringLiteral(".styling-XyZ789")});
    ::close(holder);
}

TEST_F(StylingJournalTest, ItGoesOnceEveryIntentEndedAndEveryStyledOneIsRecorded)
{
    StylingJournal journal(home.path());
    EXPECT_TRUE(journal.discardIfSettled()) << "nothing to keep";
    const Result<quint64> styled = journal.begin(intent(QStringLiteral("/home/ana/Music"), 10));
    const Result<quint64> undone = journal.begin(intent(QStringLiteral("/home/ana/Photos"), 20));
    ASSERT_TRUE(styled && undone);
    const QString first = journal.filePath();
    EXPECT_FALSE(journal.discardIfSettled()) << "two under way";
    journal.end(*undone, StylingJournal::Outcome::undone);
    journal.end(*styled, StylingJournal::Outcome::styled);
    EXPECT_FALSE(journal.discardIfSettled()) << "a styled folder without its record";
    journal.recorded();
    EXPECT_TRUE(journal.discardIfSettled());
    EXPECT_FALSE(QFile::exists(first));
    EXPECT_TRUE(journal.filePath().isEmpty());

    ASSERT_TRUE(journal.begin(intent(QStringLiteral("/home/ana/Books"), 30)));
    EXPECT_NE(journal.filePath(), first) << "a new file for the next intent";
    EXPECT_EQ(files(QStringLiteral("*.journal")).size(), 1);
}

} // namespace
