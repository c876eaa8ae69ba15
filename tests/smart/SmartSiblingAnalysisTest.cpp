#include "smart/SmartSiblingAnalysis.h"

#include "SmartTestSupport.h"
#include "storage/ExtendedAttributesManager.h"
#include "support/FileSystem.h"
#include "support/LogCapture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <array>
#include <cstdio>
#include <random>
#include <string>

#include <gtest/gtest.h>

using namespace pigmo;

namespace {

ColorizationData style(double hue, double saturation = 50, double lightness = 50, double intensity = 0.6,
                       IconStyle iconStyle = IconStyle::vibrant())
{
    ColorizationData data;
    data.color = {hue, saturation, lightness};
    data.intensity = intensity;
    data.iconStyle = iconStyle;
    return data;
}

QList<HSL> hues(std::initializer_list<double> values)
{
    QList<HSL> colors;
    for (double hue : values)
        colors.append({hue, 50, 50});
    return colors;
}

TEST(SmartSiblingAnalysisTest, LargestHueGapMidpoint)
{
    test::LogCapture log;
    const struct {
        std::initializer_list<double> hues;
        double midpoint;
    } cases[] = {
        {{10, 12, 200}, 105},
        {{0, 90, 180, 270}, 45},
        {{300}, 120},
        {{100, 104}, 280},
        {{370, 20}, 195},
        // Hues below 0 name the angle counted down from 360.
        {{-296}, 244},
        {{-100, -350}, 135},
        {{-720, 90}, 225},
    };
    for (const auto& [input, expected] : cases)
        EXPECT_DOUBLE_EQ(SmartSiblingAnalysis::largestHueGapMidpoint(hues(input)), expected);
    EXPECT_TRUE(log.contains(QString::fromUtf8("[Smart]   Deduped hues (2): 10°, 200°")));
    EXPECT_TRUE(log.contains(QString::fromUtf8("[Smart]   Gap 10° → 200°: 190°")));
    EXPECT_TRUE(log.contains(QString::fromUtf8("[Smart]   Gap 200° → 10°: 170°")));
    EXPECT_TRUE(log.contains(QString::fromUtf8("[Smart]   Largest gap: 190°, midpoint: 105°")));
    EXPECT_TRUE(log.contains(QString::fromUtf8("[Smart]   Only 1 hue, picking opposite: 120°")));
    for (int i = 0; i < 50; ++i) {
        const double random = SmartSiblingAnalysis::largestHueGapMidpoint({});
        EXPECT_TRUE(random >= 0 && random <= 360);
    }
}

TEST(SmartSiblingAnalysisTest, SuggestedColorClampsTheAverages)
{
    test::LogCapture log;
    const HSL color = SmartSiblingAnalysis::summarize({style(10, 10, 90), style(200, 30, 90)}).suggestedColor();
    EXPECT_DOUBLE_EQ(color.hue, 105);
    EXPECT_DOUBLE_EQ(color.saturation, 30);
    EXPECT_DOUBLE_EQ(color.lightness, 75);
    EXPECT_EQ(log.lines(), (QStringList{
                               QString::fromUtf8("[Smart] 🎨 Computing color from 2 sibling colors"),
                               QString::fromUtf8("[Smart]   Sibling hues: 10°, 200°"),
                               QString::fromUtf8("[Smart]   Deduped hues (2): 10°, 200°"),
                               QString::fromUtf8("[Smart]   Gap 10° → 200°: 190°"),
                               QString::fromUtf8("[Smart]   Gap 200° → 10°: 170°"),
                               QString::fromUtf8("[Smart]   Largest gap: 190°, midpoint: 105°"),
                               QString::fromUtf8("[Smart]   → Largest gap midpoint: 105°"),
                               QString::fromUtf8("[Smart]   → Avg saturation: 20 → clamped: 30"),
                               QString::fromUtf8("[Smart]   → Avg lightness: 90 → clamped: 75"),
                               QString::fromUtf8("[Smart]   → Result: HSL(105, 30, 75)"),
                           }));
    EXPECT_DOUBLE_EQ(SmartSiblingAnalysis::summarize({style(0, 50, 50)}).suggestedColor().lightness, 50);

    log.clear();
    const HSL random = SmartSiblingAnalysis::summarize({}).suggestedColor();
    EXPECT_EQ(random.saturation, 70);
    EXPECT_EQ(random.lightness, 50);
    EXPECT_TRUE(
        log.lines().front().startsWith(QString::fromUtf8("[Smart] 🎨 No sibling colors found, using random: hue=")));
}

TEST(SmartSiblingAnalysisTest, IntensityAndIconSize)
{
    test::LogCapture log;
    EXPECT_DOUBLE_EQ(
        SmartSiblingAnalysis::summarize({style(0, 50, 50, 0.4), style(0, 50, 50, 0.8)}).suggestedIntensity(), 0.6);
    EXPECT_TRUE(log.contains(QString::fromUtf8("[Smart] 💪 Avg intensity from 2 siblings: 0.60")));
    EXPECT_DOUBLE_EQ(SmartSiblingAnalysis::summarize({}).suggestedIntensity(), 0.6);
    EXPECT_TRUE(log.contains(QString::fromUtf8("[Smart] 💪 No siblings, using default intensity: 0.6")));

    EXPECT_DOUBLE_EQ(SmartSiblingAnalysis::summarize({style(0), style(0)}).suggestedIconSize(), 170);
    EXPECT_DOUBLE_EQ(SmartSiblingAnalysis::summarize({}).suggestedIconSize(), 170);
    EXPECT_EQ(log.count(QString::fromUtf8("[Smart] 📐 No siblings with icon size, using default: 170")), 2);
    ColorizationData small = style(0);
    small.iconSize = 120;
    ColorizationData large = style(0);
    large.iconSize = 200;
    EXPECT_DOUBLE_EQ(SmartSiblingAnalysis::summarize({small, large, style(0)}).suggestedIconSize(), 160);
    EXPECT_TRUE(log.contains(QString::fromUtf8("[Smart] 📐 Avg icon size from 2 siblings: 160")));
}

TEST(SmartSiblingAnalysisTest, StyleVote)
{
    test::LogCapture log;
    const auto withStyle = [](IconStyle s) { return style(0, 50, 50, 0.6, s); };
    EXPECT_EQ(SmartSiblingAnalysis::summarize(
                  {withStyle(IconStyle::vibrant()), withStyle(IconStyle::original()), withStyle(IconStyle::vibrant())})
                  .suggestedStyle(),
              IconStyle::vibrant());
    EXPECT_TRUE(log.contains(QString::fromUtf8("[Smart] 🎭 Icon style votes: vibrant=2, original=1")));
    EXPECT_TRUE(log.contains(QString::fromUtf8("[Smart]   → Winner: vibrant (2 votes)")));

    const IconStyle red = IconStyle::color({0, 100, 50});
    EXPECT_EQ(
        SmartSiblingAnalysis::summarize({withStyle(red), withStyle(IconStyle::color({200, 80, 40}))}).suggestedStyle(),
        red);
    EXPECT_EQ(SmartSiblingAnalysis::summarize({}).suggestedStyle(), IconStyle::vibrant());
    EXPECT_TRUE(log.contains(QString::fromUtf8("[Smart] 🎭 No siblings, using default style: .vibrant")));
}

class SiblingFoldersTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root.isValid());
        if (!test::userAttributesSupported(root.path()))
            GTEST_SKIP() << "no user extended attributes here";
    }
    QString make(const QString& name)
    {
        EXPECT_TRUE(QDir(root.path()).mkpath(name));
        return QDir(root.path()).filePath(name);
    }
    QString path(const QString& name) const { return QDir(root.path()).filePath(name); }

    QTemporaryDir root;
    const ExtendedAttributesManager attributes{};
};

TEST_F(SiblingFoldersTest, CollectsTheStylesOfVisibleSiblingFolders)
{
    make("New Folder");
    make("Invoices");
    make("Photos");
    make(".hidden");
    QFile file(QDir(root.path()).filePath("notes.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ColorizationData invoices = style(200, 80, 40, 0.75, IconStyle::color({10, 20, 30.5}));
    Icon receipt;
    receipt.name = "receipt";
    receipt.url = QUrl::fromLocalFile("/opt/receipt.svg");
    invoices.icon = receipt;
    attributes.writeSettings(invoices, path("Invoices"));
    attributes.writeSettings(style(20), path(".hidden"));
    attributes.writeSettings(style(30), path("New Folder")); // the folder itself never counts

    test::LogCapture log;
    const QList<ColorizationData> found = SmartSiblingAnalysis::siblingColorizations(attributes, path("New Folder"));

    EXPECT_EQ(found, QList<ColorizationData>{invoices});
    const QStringList lines = log.lines(log::Channel::systemLog);
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0], QString::fromUtf8("[Smart] 📂 Scanning siblings in: ") + QDir::cleanPath(root.path()));
    EXPECT_EQ(lines[1], QString::fromUtf8("[Smart] 📁 Found 2 sibling folders"));
    EXPECT_TRUE(
        lines.contains(QString::fromUtf8("[Smart]   ✅ Invoices: hue=200° sat=80 lit=40 intensity=0.75 icon=receipt "
                                         "style=color(HSL(hue: 10.0, saturation: 20.0, lightness: 30.5))")));
    EXPECT_TRUE(lines.contains(QString::fromUtf8("[Smart]   ⬜ Photos: no colorization data")));
    EXPECT_EQ(lines[4], QString::fromUtf8("[Smart] 📊 1/2 siblings have colorization data"));
}

TEST_F(SiblingFoldersTest, HugeSiblingNumbersGiveFiniteProposalsInRange)
{
    make("New Folder");
    ColorizationData huge = style(1e308, 1e308, -1e308, 1e308);
    huge.iconSize = 1e308;
    for (const char* name : {"a", "b"}) {
        make(name);
        attributes.writeSettings(huge, path(name));
    }
    ColorizationData negative = huge;
    negative.color.saturation = -1e308;
    negative.intensity = -1e308;
    make("c");
    attributes.writeSettings(negative, path("c"));

    test::LogCapture log;
    const QList<ColorizationData> siblings = SmartSiblingAnalysis::siblingColorizations(attributes, path("New Folder"));
    ASSERT_EQ(siblings.size(), 3) << "read back from the folders' attributes";
    // The plain sums overflow: the means are summed again in parts.
    const SmartSiblingAnalysis::Summary summary = SmartSiblingAnalysis::summarize(siblings);
    EXPECT_DOUBLE_EQ(summary.intensity, 1e308 / 3);
    EXPECT_DOUBLE_EQ(summary.lightness, -1e308);
    const ColorizationData proposal{summary.suggestedColor(), summary.suggestedIntensity(), std::nullopt,
                                    summary.suggestedIconSize(), summary.suggestedStyle()};
    EXPECT_TRUE(proposal.isFinite());
    EXPECT_DOUBLE_EQ(proposal.intensity, 1);
    EXPECT_DOUBLE_EQ(*proposal.iconSize, 240);
    EXPECT_DOUBLE_EQ(proposal.color.saturation, 100);
    EXPECT_DOUBLE_EQ(proposal.color.lightness, 25);
    EXPECT_TRUE(proposal.color.hue >= 0 && proposal.color.hue <= 360);

    ColorizationData low = style(0, 50, 50, -0.5);
    low.iconSize = 20;
    EXPECT_DOUBLE_EQ(SmartSiblingAnalysis::summarize({low}).suggestedIntensity(), 0);
    EXPECT_DOUBLE_EQ(SmartSiblingAnalysis::summarize({low}).suggestedIconSize(), 100);
}

TEST_F(SiblingFoldersTest, AnUnreadableParentGivesNoSiblings)
{
    test::LogCapture log;
    EXPECT_TRUE(SmartSiblingAnalysis::siblingColorizations(attributes, path("missing/child")).isEmpty());
    EXPECT_TRUE(log.contains(QString::fromUtf8("[Smart] ⚠️ Could not read directory contents")));
}

} // namespace

TEST_F(SiblingFoldersTest, BatchListsEachParentOnceAndCountsTheStylesItApplies)
{
    make("Invoices");
    make("New 1");
    make("New 2");
    make("other/Deep");
    attributes.writeSettings(style(200), path("Invoices"));

    SmartSiblingAnalysis::Batch batch(attributes);
    EXPECT_EQ(batch.siblingColorizations(path("New 1")), QList<ColorizationData>{style(200)});

    // Written by someone else after the listing: the batch keeps what it listed.
    make("Later");
    attributes.writeSettings(style(90), path("Later"));
    attributes.writeSettings(style(300), path("Invoices"));
    EXPECT_EQ(batch.siblingColorizations(path("New 2")), QList<ColorizationData>{style(200)});

    // What the batch applies counts at once, where a fresh listing would show it.
    batch.remember(path("New 1"), style(20));
    QList<ColorizationData> seen = batch.siblingColorizations(path("New 2"));
    std::ranges::sort(seen, {}, [](const ColorizationData& d) { return d.color.hue; });
    EXPECT_EQ(seen, (QList<ColorizationData>{style(20), style(200)}));
    batch.remember(path("Later"), style(45)); // not listed yet: joins the list
    batch.remember(path(".Hidden"), style(46));
    EXPECT_EQ(batch.siblingColorizations(path("New 2")).size(), 3);
    EXPECT_EQ(batch.siblingColorizations(path("Later")).size(), 2);

    // Another parent is listed on its own; a fresh analysis sees the disk as it is now.
    EXPECT_TRUE(batch.siblingColorizations(path("other/Deep")).isEmpty());
    EXPECT_EQ(SmartSiblingAnalysis::siblingColorizations(attributes, path("New 2")).size(), 2);
}

TEST_F(SiblingFoldersTest, AForgottenStyleCountsAsBeforeItWasRemembered)
{
    make("Invoices");
    make("Plain");
    make("Other");
    attributes.writeSettings(style(200), path("Invoices"));
    SmartSiblingAnalysis::Batch batch(attributes);
    const auto hues = [this, &batch] {
        QList<double> seen;
        for (const ColorizationData& data : batch.siblingColorizations(path("Other")))
            seen.append(data.color.hue);
        std::ranges::sort(seen);
        return seen;
    };
    ASSERT_EQ(hues(), QList<double>{200});

    const auto styled = batch.remember(path("Invoices"), style(10));
    const auto plain = batch.remember(path("Plain"), style(20));
    const auto added = batch.remember(path("Missing"), style(30)); // not listed: joins the list
    EXPECT_EQ(hues(), (QList<double>{10, 20, 30}));
    EXPECT_TRUE(styled.listed);
    EXPECT_EQ(styled.style, style(200));
    EXPECT_TRUE(plain.listed);
    EXPECT_FALSE(plain.style);
    EXPECT_FALSE(added.listed);

    test::LogCapture log;
    batch.forget(path("Missing"), added);
    batch.forget(path("Plain"), plain);
    EXPECT_EQ(hues(), (QList<double>{10}));
    EXPECT_TRUE(log.contains("Found 2 sibling folders")) << "the folder that joined leaves the list again";
    batch.forget(path("Invoices"), styled);
    EXPECT_EQ(hues(), QList<double>{200});
    batch.remember(path("Missing"), style(40)); // joins again after the places were renumbered
    EXPECT_EQ(hues(), (QList<double>{40, 200}));
}

TEST_F(SiblingFoldersTest, LinesAreDiagnosticAndAnAbsentAttributeIsNoEvent)
{
    make("a");
    make("b");
    make("c");
    attributes.writeSettings(style(10), path("b"));
    {
        test::LogCapture quiet(false);
        EXPECT_EQ(SmartSiblingAnalysis::siblingColorizations(attributes, path("a")).size(), 1);
        EXPECT_TRUE(quiet.lines().isEmpty()) << quiet.lines().join('\n').toStdString();
    }
    test::LogCapture log;
    SmartSiblingAnalysis::siblingColorizations(attributes, path("a"));
    EXPECT_EQ(log.lines().size(), 5);
    EXPECT_TRUE(log.contains(QString::fromUtf8("[Smart]   ⬜ c: no colorization data")));
    EXPECT_FALSE(log.contains("No extended attribute")) << "one line per sibling, not two";
}

namespace {

// Every field of a summary, each number exactly (as a hexadecimal float).
std::string describe(const SmartSiblingAnalysis::Summary& summary)
{
    std::string text;
    const auto number = [&text](double value) {
        std::array<char, 40> exact{};
        std::snprintf(exact.data(), exact.size(), "%a ", value);
        text += exact.data();
    };
    text += "count " + std::to_string(summary.count) + " sized " + std::to_string(summary.sizedCount) + "\ndistinct ";
    std::ranges::for_each(summary.distinctHues, number);
    text += "\nhues ";
    std::ranges::for_each(summary.hues, number);
    text += "\nmeans ";
    for (double mean : {summary.saturation, summary.lightness, summary.intensity, summary.iconSize})
        number(mean);
    text += "\nvotes ";
    for (const SmartSiblingAnalysis::StyleVote& vote : summary.votes) {
        text += vote.name.toStdString() + '=' + std::to_string(vote.count) + ' ';
        if (vote.style.isColor()) {
            for (double part :
                 {vote.style.colorValue().hue, vote.style.colorValue().saturation, vote.style.colorValue().lightness})
                number(part);
        }
    }
    text += "\nlibraries ";
    for (int count : summary.libraries)
        text += std::to_string(count) + ' ';
    return text;
}

// Random styles of the kinds siblings hold: hues around and beyond the wrap, repeated and closer than the
// separation kept, numbers whose sums depend on their order, every glyph style and library.
class StyleMaker {
public:
    explicit StyleMaker(unsigned seed)
        : random_(seed)
    {
    }

    ColorizationData make()
    {
        ColorizationData data;
        data.color = {hue(), number(-20, 120), number(-20, 120)};
        data.intensity = pick(40) == 0 ? 1e308 : number(-0.5, 1.5); // huge ones overflow the plain sum
        if (pick(3) != 0)
            data.iconSize = number(50, 300);
        const IconStyle styles[] = {IconStyle::vibrant(), IconStyle::original(), IconStyle::inverted(),
                                    IconStyle::color({hue(), number(0, 100), number(0, 100)})};
        data.iconStyle = styles[pick(4)];
        data.icon = glyph();
        return data;
    }
    int pick(int below) { return std::uniform_int_distribution(0, below - 1)(random_); }

private:
    double number(double low, double high) { return std::uniform_real_distribution(low, high)(random_); }
    double hue()
    {
        static constexpr double edges[] = {-90, -0.0, 0, 0.1, 4.9, 5, 5.000001, 10, 354.9, 359.9, 360, 365, 725.5};
        switch (pick(3)) {
        case 0:
            return edges[pick(int(std::size(edges)))];
        case 1:
            return double(pick(36) * 10) + number(-6, 6); // crowds within the separation
        default:
            return number(-400, 800);
        }
    }
    std::optional<Icon> glyph()
    {
        Icon icon;
        icon.name = QStringLiteral("glyph");
        switch (pick(6)) {
        case 0:
            return std::nullopt;
        case 1:
            icon.url = QUrl::fromLocalFile("/opt/glyph.svg");
            break;
        case 2:
            icon.systemName = QStringLiteral("folder");
            break;
        case 3:
            icon.emoji = QString::fromUtf8("📷");
            break;
        case 4:
            icon.name = Icon::customName;
            break;
        default: // of no known library
            break;
        }
        return icon;
    }

    std::mt19937 random_;
};

} // namespace

// The batch keeps a running summary of each parent's styled folders; whatever it remembers and forgets, the
// summary it gives a folder is the one its list of siblings gives, to the last bit, with the same lines.
TEST_F(SiblingFoldersTest, ABatchSummaryIsTheSummaryOfTheSiblingList)
{
    for (unsigned seed = 1; seed <= 4; ++seed) {
        SCOPED_TRACE(seed);
        StyleMaker styles(seed);
        const QString parent = QStringLiteral("p%1/").arg(seed);
        QStringList folders;
        for (int n = 0; n < 30; ++n) {
            folders.append(make(parent + QString::number(n)));
            if (styles.pick(3) != 0) {
                ASSERT_TRUE(attributes.writeSettings(styles.make(), folders.last()));
            }
        }
        make(parent + ".hidden");
        attributes.writeSettings(styles.make(), path(parent + ".hidden"));
        make(QStringLiteral("empty%1/only").arg(seed));
        folders += {path(parent + "new 1"),
                    path(parent + "new 2"),
                    path(parent + ".new"),
                    path(QStringLiteral("empty%1/only").arg(seed)),
                    path(QStringLiteral("empty%1/new").arg(seed)),
                    path(QStringLiteral("missing%1/new").arg(seed))};

        SmartSiblingAnalysis::Batch batch(attributes);
        std::vector<std::pair<QString, SmartSiblingAnalysis::Batch::Replaced>> remembered;
        for (int step = 0; step < 150; ++step) {
            SCOPED_TRACE(step);
            if (styles.pick(4) == 0 && !remembered.empty()) {
                batch.forget(remembered.back().first, remembered.back().second);
                remembered.pop_back();
            } else if (styles.pick(2) == 0) {
                const QString& folder = folders[styles.pick(int(folders.size()))];
                remembered.emplace_back(folder, batch.remember(folder, styles.make()));
            }
            const QString& folder = folders[styles.pick(int(folders.size()))];
            QList<ColorizationData> extras;
            for (int n = styles.pick(4) == 0 ? styles.pick(4) : 0; n > 0; --n)
                extras.append(styles.make());

            test::LogCapture log(styles.pick(2) == 0);
            const SmartSiblingAnalysis::Summary summary = batch.summary(folder, extras);
            const QStringList summaryLines = log.lines();
            log.clear();
            const QList<ColorizationData> siblings = batch.siblingColorizations(folder) + extras;
            EXPECT_EQ(log.lines(), summaryLines);
            EXPECT_EQ(describe(summary), describe(SmartSiblingAnalysis::summarize(siblings)));
        }
    }
}
