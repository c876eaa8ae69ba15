#include "smart/SmartSiblingAnalysis.h"

#include "base/LocalPath.h"
#include "base/Log.h"
#include "storage/ExtendedAttributesManager.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <utility>

namespace pigmo {
namespace {

constexpr double minimumHueSeparation = 5.0;
constexpr double defaultIntensity = 0.6;
constexpr double defaultIconSize = 170;
// The ranges a proposal keeps to (those of the editor's controls), whatever the siblings hold.
constexpr double minimumIntensity = 0, maximumIntensity = 1;
constexpr double minimumIconSize = 100, maximumIconSize = 240;

// The means of the siblings' numbers (`Summary::count` and `sizedCount` of them), each summed in the
// siblings' order; `forEach` hands every sibling's `Measures` in that order. When a plain sum overflows, it
// is summed again in parts, so that finite numbers always give a finite mean.
template <class ForEach>
void takeMeans(SmartSiblingAnalysis::Summary& summary, ForEach forEach)
{
    const auto counted = [](const auto& measures, size_t number) { return number < 3 || measures.sized; };
    const auto styled = static_cast<double>(summary.count);
    const std::array<double, 4> counts{styled, styled, styled, static_cast<double>(summary.sizedCount)};
    std::array<double, 4> sums{};
    forEach([&](const auto& measures) {
        for (size_t number = 0; number < sums.size(); ++number) {
            if (counted(measures, number))
                sums[number] += measures.numbers[number];
        }
    });
    std::array<bool, 4> overflowed{};
    for (size_t number = 0; number < sums.size(); ++number)
        overflowed[number] = !std::isfinite(sums[number]);
    std::array<double, 4> parts{};
    if (std::ranges::find(overflowed, true) != overflowed.end()) {
        forEach([&](const auto& measures) {
            for (size_t number = 0; number < parts.size(); ++number) {
                if (overflowed[number] && counted(measures, number))
                    parts[number] += measures.numbers[number] / counts[number];
            }
        });
    }
    std::array<double, 4> means{};
    for (size_t number = 0; number < means.size(); ++number) {
        if (counts[number] > 0)
            means[number] = overflowed[number] ? parts[number] : sums[number] / counts[number];
    }
    summary.saturation = means[0];
    summary.lightness = means[1];
    summary.intensity = means[2];
    summary.iconSize = means[3];
}

QString degrees(double value)
{
    return QString::asprintf("%.0f°", value);
}

// "10°, 200°": each value as whole degrees.
QString degreeList(const std::vector<double>& values)
{
    QStringList texts;
    texts.reserve(qsizetype(values.size()));
    for (double value : values)
        texts.append(degrees(value));
    return texts.join(u", ");
}

QString whole(double value)
{
    return QString::asprintf("%.0f", value);
}

// `hue` as the angle it names within 0...360 (a negative hue counts down from 360).
double wrappedHue(double hue)
{
    double wrapped = std::fmod(hue, 360.0) + 0.0; // -0 becomes 0
    if (wrapped < 0)
        wrapped += 360.0;
    return wrapped < 360.0 ? wrapped : 0.0; // a tiny negative hue rounds up to 360 itself
}

// Uniform over 0...360, both ends included.
double randomHue()
{
    constexpr quint64 steps = quint64(1) << 53;
    return static_cast<double>(QRandomGenerator::global()->bounded(steps + 1)) / static_cast<double>(steps) * 360.0;
}

// A number as a debugger prints it: the shortest text that reads back the same, with ".0" when integral.
QString shortest(double value)
{
    QString text = QString::number(value, 'g', QLocale::FloatingPointShortest);
    if (std::isfinite(value) && !text.contains(u'.') && !text.contains(u'e'))
        text += QStringLiteral(".0");
    return text;
}

QString describe(const IconStyle& style)
{
    if (!style.isColor())
        return IconStyle::rawValue(style.type());
    const HSL& c = style.colorValue();
    return QStringLiteral("color(HSL(hue: %1, saturation: %2, lightness: %3))")
        .arg(shortest(c.hue), shortest(c.saturation), shortest(c.lightness));
}

void logSibling(const QString& name, const std::optional<ColorizationData>& data)
{
    if (!data) {
        log::system(QStringLiteral("[Smart]   ⬜ ") + name + QStringLiteral(": no colorization data"));
        return;
    }
    log::system(QStringLiteral("[Smart]   ✅ %1: hue=%2° sat=%3 lit=%4 intensity=%5 icon=%6 style=%7")
                    .arg(name, whole(data->color.hue), whole(data->color.saturation), whole(data->color.lightness),
                         QString::asprintf("%.2f", data->intensity),
                         data->icon ? data->icon->name : QStringLiteral("none"), describe(data->iconStyle)));
}

// Which library a sibling's glyph counts for, or nothing.
std::optional<IconLibrary> libraryOf(const Icon& icon)
{
    if (icon.name == Icon::customName || icon.imageData)
        return IconLibrary::custom;
    if (icon.url)
        return IconLibrary::lucide;
    if (icon.systemName)
        return IconLibrary::sf;
    if (icon.emoji)
        return IconLibrary::emoji;
    return std::nullopt;
}

void countGlyph(SmartSiblingAnalysis::LibraryCounts& counts, const ColorizationData& sibling, int sign = 1)
{
    if (!sibling.icon)
        return;
    if (const std::optional<IconLibrary> library = libraryOf(*sibling.icon))
        counts[static_cast<size_t>(*library)] += sign;
}

// Counts a sibling's glyph style in the vote, its bucket joining the vote when it is the first of it.
void vote(QList<SmartSiblingAnalysis::StyleVote>& votes, const IconStyle& style)
{
    const QString name = IconStyle::rawValue(style.type());
    auto bucket = std::find_if(votes.begin(), votes.end(), [&](const auto& v) { return v.name == name; });
    if (bucket != votes.end())
        ++bucket->count;
    else
        votes.append({name, 1, style});
}

bool beyond(double hue, double kept)
{
    return hue - kept > minimumHueSeparation;
}

// The hues kept apart, from all hues in ascending order: the lowest, then each the lowest more than the
// minimum separation above the one kept before it.
std::vector<double> keptApart(const std::vector<double>& ascending)
{
    std::vector<double> kept;
    for (double hue : ascending) {
        if (kept.empty() || beyond(hue, kept.back()))
            kept.push_back(hue);
    }
    return kept;
}

// The lowest of `hues` (each held by some folders) beyond `kept`, or the lowest of all without it. A hue
// held only by the folder itself (`own`) is passed over.
std::optional<double> lowestBeyond(const std::map<double, int>& hues, std::optional<double> own,
                                   std::optional<double> kept)
{
    auto hue = hues.begin();
    if (kept) {
        // The search finds a hue next to the first beyond; the steps make it the first.
        hue = hues.upper_bound(*kept + minimumHueSeparation);
        while (hue != hues.begin() && beyond(std::prev(hue)->first, *kept))
            --hue;
        while (hue != hues.end() && !beyond(hue->first, *kept))
            ++hue;
    }
    if (hue != hues.end() && own && hue->first == *own && hue->second == 1)
        ++hue;
    return hue == hues.end() ? std::nullopt : std::optional(hue->first);
}

std::optional<double> lowestBeyond(const std::vector<double>& ascending, std::optional<double> kept)
{
    const auto hue = std::ranges::partition_point(ascending, [&](double h) { return kept && !beyond(h, *kept); });
    return hue == ascending.end() ? std::nullopt : std::optional(*hue);
}

// `keptApart` of the hues of a parent's folders less the folder's own (`own`, if it has one) and the
// extra siblings' hues, found by searching: as many steps as hues are kept.
std::vector<double> keptApart(const std::map<double, int>& hues, std::optional<double> own,
                              const std::vector<double>& extraAscending)
{
    std::vector<double> kept;
    for (;;) {
        const std::optional<double> last = kept.empty() ? std::nullopt : std::optional(kept.back());
        const std::optional<double> listed = lowestBeyond(hues, own, last);
        const std::optional<double> extra = lowestBeyond(extraAscending, last);
        if (!listed && !extra)
            return kept;
        kept.push_back(listed && extra ? std::min(*listed, *extra) : listed ? *listed : *extra);
    }
}

// The midpoint of the widest gap between the kept hues (at least one).
double widestGapMidpoint(const std::vector<double>& kept)
{
    // The lines grow with the siblings: they are built only when someone reads them.
    const bool detailed = log::diagnosticsEnabled();
    if (detailed)
        log::system(QStringLiteral("[Smart]   Deduped hues (%1): ").arg(kept.size()) + degreeList(kept));
    if (kept.size() == 1) {
        const double opposite = std::fmod(kept.front() + 180.0, 360.0);
        log::system(QStringLiteral("[Smart]   Only 1 hue, picking opposite: ") + degrees(opposite));
        return opposite;
    }
    double largest = 0;
    double midpoint = 0;
    for (size_t i = 0; i < kept.size(); ++i) {
        const bool last = i + 1 == kept.size();
        const double farEnd = last ? kept.front() : kept[i + 1];
        const double gap = last ? 360.0 - kept[i] + kept.front() : kept[i + 1] - kept[i];
        if (detailed)
            log::system(
                QStringLiteral("[Smart]   Gap %1 → %2: %3").arg(degrees(kept[i]), degrees(farEnd), degrees(gap)));
        if (gap > largest) {
            largest = gap;
            midpoint = std::fmod(kept[i] + gap * 0.5, 360.0);
        }
    }
    log::system(QStringLiteral("[Smart]   Largest gap: %1, midpoint: %2").arg(degrees(largest), degrees(midpoint)));
    return midpoint;
}

} // namespace

SmartSiblingAnalysis::Measures SmartSiblingAnalysis::Measures::of(const std::optional<ColorizationData>& style)
{
    if (!style)
        return {};
    return {{style->color.saturation, style->color.lightness, style->intensity, style->iconSize.value_or(0)},
            true,
            style->iconSize.has_value()};
}

void SmartSiblingAnalysis::Batch::Tally::add(const Entry& entry, int sign)
{
    if (!entry.style)
        return;
    const ColorizationData& style = *entry.style;
    count += sign;
    if (style.iconSize)
        sizedCount += sign;
    const double hue = wrappedHue(style.color.hue);
    if ((hues[hue] += sign) == 0)
        hues.erase(hue);
    std::map<quint64, IconStyle>& voters = styleVoters[static_cast<size_t>(style.iconStyle.type())];
    if (sign > 0)
        voters.emplace(entry.order, style.iconStyle);
    else
        voters.erase(entry.order);
    countGlyph(libraries, style, sign);
}

void SmartSiblingAnalysis::Batch::Listing::append(const QString& path, const QString& name,
                                                  const std::optional<ColorizationData>& style)
{
    places.insert(path, folders.size());
    folders.append({path, name, style, nextOrder++});
    measures.push_back(Measures::of(style));
    tally.add(folders.last(), 1);
}

std::optional<ColorizationData>
SmartSiblingAnalysis::Batch::Listing::restyle(qsizetype place, const std::optional<ColorizationData>& style)
{
    Entry& entry = folders[place];
    tally.add(entry, -1);
    std::optional<ColorizationData> previous = std::exchange(entry.style, style);
    measures[size_t(place)] = Measures::of(style);
    tally.add(entry, 1);
    return previous;
}

void SmartSiblingAnalysis::Batch::Listing::removeAt(qsizetype place)
{
    tally.add(folders[place], -1);
    places.remove(folders[place].path);
    folders.removeAt(place);
    measures.erase(measures.begin() + place);
    for (qsizetype& index : places) {
        if (index > place)
            --index;
    }
}

SmartSiblingAnalysis::Batch::Listing& SmartSiblingAnalysis::Batch::listing(const QString& parentPath)
{
    if (const auto found = listings_.find(parentPath); found != listings_.end())
        return *found;
    Listing& listed = listings_[parentPath];
    std::error_code error;
    std::filesystem::directory_iterator entries(encodeLocalPath(parentPath).toStdString(), error);
    if (error)
        return listed;
    listed.readable = true;
    for (const std::filesystem::directory_entry& entry : entries) {
        const QString name = decodeLocalPath(entry.path().filename().c_str());
        // The type comes with the listing on most file systems; links are never followed.
        if (name.startsWith(u'.') || entry.symlink_status(error).type() != std::filesystem::file_type::directory)
            continue;
        const QString path = QDir::cleanPath(decodeLocalPath(entry.path().c_str()));
        listed.append(path, name, attributes_.storedSettings(path));
    }
    return listed;
}

SmartSiblingAnalysis::Batch::Scan SmartSiblingAnalysis::Batch::scan(const QString& folderPath)
{
    const QString folder = QDir::cleanPath(folderPath);
    const QString parent = QFileInfo(folder).path();
    log::system(QStringLiteral("[Smart] 📂 Scanning siblings in: ") + parent);
    const Listing& listed = listing(parent);
    if (!listed.readable) {
        log::warning(QStringLiteral("[Smart] ⚠️ Could not read directory contents"));
        return {};
    }
    const qsizetype own = listed.places.value(folder, -1);
    const qsizetype siblingCount = listed.folders.size() - (own >= 0 ? 1 : 0);
    log::system(QStringLiteral("[Smart] 📁 Found %1 sibling folders").arg(siblingCount));
    if (log::diagnosticsEnabled()) {
        for (qsizetype place = 0; place < listed.folders.size(); ++place) {
            if (place != own)
                logSibling(listed.folders[place].name, listed.folders[place].style);
        }
    }
    return {&listed, own, siblingCount};
}

QList<ColorizationData> SmartSiblingAnalysis::Batch::siblingColorizations(const QString& folderPath)
{
    const Scan scanned = scan(folderPath);
    if (!scanned.listing)
        return {};
    QList<ColorizationData> results;
    for (qsizetype place = 0; place < scanned.listing->folders.size(); ++place) {
        if (place != scanned.own && scanned.listing->folders[place].style)
            results.append(*scanned.listing->folders[place].style);
    }
    log::system(QStringLiteral("[Smart] 📊 %1/%2 siblings have colorization data")
                    .arg(results.size())
                    .arg(scanned.siblingCount));
    return results;
}

SmartSiblingAnalysis::Summary SmartSiblingAnalysis::Batch::summary(const QString& folderPath,
                                                                   const QList<ColorizationData>& extraSiblings)
{
    const Scan scanned = scan(folderPath);
    if (!scanned.listing)
        return summarize(extraSiblings);
    Summary summary = scanned.listing->summary(scanned.own, extraSiblings);
    log::system(QStringLiteral("[Smart] 📊 %1/%2 siblings have colorization data")
                    .arg(summary.count - extraSiblings.size())
                    .arg(scanned.siblingCount));
    return summary;
}

SmartSiblingAnalysis::Summary SmartSiblingAnalysis::Batch::Listing::summary(qsizetype own,
                                                                            const QList<ColorizationData>& extras) const
{
    const Entry* self = own >= 0 && folders[own].style ? &folders[own] : nullptr;
    const Summary ofExtras = summarize(extras);
    Summary summary;
    summary.count = tally.count - (self ? 1 : 0) + ofExtras.count;
    summary.sizedCount = tally.sizedCount - (self && self->style->iconSize ? 1 : 0) + ofExtras.sizedCount;
    if (log::diagnosticsEnabled()) {
        for (qsizetype place = 0; place < folders.size(); ++place) {
            if (place != own && folders[place].style)
                summary.hues.push_back(folders[place].style->color.hue);
        }
        summary.hues.insert(summary.hues.end(), ofExtras.hues.begin(), ofExtras.hues.end());
    }
    std::vector<double> extraHues;
    for (const ColorizationData& extra : extras)
        extraHues.push_back(wrappedHue(extra.color.hue));
    std::sort(extraHues.begin(), extraHues.end());
    const std::optional<double> ownHue = self ? std::optional(wrappedHue(self->style->color.hue)) : std::nullopt;
    summary.distinctHues = keptApart(tally.hues, ownHue, extraHues);
    summary.votes = votes(self);
    for (const ColorizationData& extra : extras)
        vote(summary.votes, extra.iconStyle);
    summary.libraries = tally.libraries;
    if (self)
        countGlyph(summary.libraries, *self->style, -1);
    for (size_t library = 0; library < summary.libraries.size(); ++library)
        summary.libraries[library] += ofExtras.libraries[library];
    takeMeans(summary, [&](const auto& take) {
        for (size_t place = 0; place < measures.size(); ++place) {
            if (measures[place].styled && qsizetype(place) != own)
                take(measures[place]);
        }
        for (const ColorizationData& extra : extras)
            take(Measures::of(extra));
    });
    return summary;
}

QList<SmartSiblingAnalysis::StyleVote> SmartSiblingAnalysis::Batch::Listing::votes(const Entry* own) const
{
    struct Bucket {
        quint64 firstOrder;
        StyleVote vote;
    };
    std::vector<Bucket> buckets;
    for (size_t type = 0; type < tally.styleVoters.size(); ++type) {
        const std::map<quint64, IconStyle>& voters = tally.styleVoters[type];
        auto first = voters.begin();
        if (own && first != voters.end() && first->first == own->order)
            ++first;
        if (first == voters.end())
            continue;
        const bool ownVotesHere = own && voters.contains(own->order);
        buckets.push_back(
            {first->first,
             {IconStyle::rawValue(first->second.type()), int(voters.size()) - (ownVotesHere ? 1 : 0), first->second}});
    }
    std::ranges::sort(buckets, {}, &Bucket::firstOrder);
    QList<StyleVote> votes;
    for (const Bucket& bucket : buckets)
        votes.append(bucket.vote);
    return votes;
}

SmartSiblingAnalysis::Batch::Replaced SmartSiblingAnalysis::Batch::remember(const QString& folderPath,
                                                                            const ColorizationData& applied)
{
    const QString folder = QDir::cleanPath(folderPath);
    const QFileInfo info(folder);
    Listing& listed = listing(info.path());
    if (const auto place = listed.places.constFind(folder); place != listed.places.cend())
        return {true, listed.restyle(*place, applied)};
    if (listed.readable && !info.fileName().startsWith(u'.'))
        listed.append(folder, info.fileName(), applied);
    return {};
}

void SmartSiblingAnalysis::Batch::forget(const QString& folderPath, const Replaced& previous)
{
    const QString folder = QDir::cleanPath(folderPath);
    Listing& listed = listing(QFileInfo(folder).path());
    const auto place = listed.places.constFind(folder);
    if (place == listed.places.cend())
        return;
    if (previous.listed)
        listed.restyle(*place, previous.style);
    else
        listed.removeAt(*place);
}

QList<ColorizationData> SmartSiblingAnalysis::siblingColorizations(const ExtendedAttributesManager& attributes,
                                                                   const QString& folderPath)
{
    return Batch(attributes).siblingColorizations(folderPath);
}

double SmartSiblingAnalysis::largestHueGapMidpoint(const QList<HSL>& colors)
{
    if (colors.isEmpty())
        return randomHue();
    std::vector<double> hues;
    for (const HSL& color : colors)
        hues.push_back(wrappedHue(color.hue));
    std::sort(hues.begin(), hues.end());
    return widestGapMidpoint(keptApart(hues));
}

HSL SmartSiblingAnalysis::Summary::suggestedColor() const
{
    if (count == 0) {
        const double hue = randomHue();
        log::system(QStringLiteral("[Smart] 🎨 No sibling colors found, using random: hue=") + whole(hue) + u'°');
        return {hue, 70, 50};
    }
    log::system(QStringLiteral("[Smart] 🎨 Computing color from %1 sibling colors").arg(count));
    if (log::diagnosticsEnabled()) // a line as long as the siblings are many
        log::system(QStringLiteral("[Smart]   Sibling hues: ") + degreeList(hues));
    const double hue = widestGapMidpoint(distinctHues);
    const double s = std::clamp(saturation, 30.0, 100.0);
    const double l = std::clamp(lightness, 25.0, 75.0);
    log::system(QStringLiteral("[Smart]   → Largest gap midpoint: ") + degrees(hue));
    log::system(QStringLiteral("[Smart]   → Avg saturation: %1 → clamped: %2").arg(whole(saturation), whole(s)));
    log::system(QStringLiteral("[Smart]   → Avg lightness: %1 → clamped: %2").arg(whole(lightness), whole(l)));
    log::system(QStringLiteral("[Smart]   → Result: HSL(%1, %2, %3)").arg(whole(hue), whole(s), whole(l)));
    return {hue, s, l};
}

double SmartSiblingAnalysis::Summary::suggestedIntensity() const
{
    if (count == 0) {
        log::system(QStringLiteral("[Smart] 💪 No siblings, using default intensity: 0.6"));
        return defaultIntensity;
    }
    log::system(QStringLiteral("[Smart] 💪 Avg intensity from %1 siblings: %2")
                    .arg(count)
                    .arg(QString::asprintf("%.2f", intensity)));
    return std::clamp(intensity, minimumIntensity, maximumIntensity);
}

double SmartSiblingAnalysis::Summary::suggestedIconSize() const
{
    if (sizedCount == 0) {
        log::system(QStringLiteral("[Smart] 📐 No siblings with icon size, using default: 170"));
        return defaultIconSize;
    }
    log::system(QStringLiteral("[Smart] 📐 Avg icon size from %1 siblings: %2").arg(sizedCount).arg(whole(iconSize)));
    return std::clamp(iconSize, minimumIconSize, maximumIconSize);
}

IconStyle SmartSiblingAnalysis::Summary::suggestedStyle() const
{
    if (votes.isEmpty()) {
        log::system(QStringLiteral("[Smart] 🎭 No siblings, using default style: .vibrant"));
        return IconStyle::vibrant();
    }
    // A tie for the highest count goes to the bucket met first.
    const StyleVote* winner = &votes.front();
    for (const StyleVote& vote : votes) {
        if (vote.count > winner->count)
            winner = &vote;
    }
    log::system(QStringLiteral("[Smart] 🎭 Icon style votes: ") + voteSummary(votes).join(u", "));
    log::system(QStringLiteral("[Smart]   → Winner: %1 (%2 votes)").arg(winner->name).arg(winner->count));
    return winner->style;
}

QStringList SmartSiblingAnalysis::voteSummary(const QList<StyleVote>& votes)
{
    QStringList summary;
    for (const StyleVote& vote : votes)
        summary.append(vote.name + u'=' + QString::number(vote.count));
    return summary;
}

SmartSiblingAnalysis::LibraryCounts SmartSiblingAnalysis::libraryCounts(const QList<ColorizationData>& siblings)
{
    LibraryCounts counts{};
    for (const ColorizationData& sibling : siblings)
        countGlyph(counts, sibling);
    return counts;
}

SmartSiblingAnalysis::Summary SmartSiblingAnalysis::summarize(const QList<ColorizationData>& siblings)
{
    Summary summary;
    summary.count = siblings.size();
    const bool detailed = log::diagnosticsEnabled();
    std::vector<double> ascending;
    for (const ColorizationData& sibling : siblings) {
        ascending.push_back(wrappedHue(sibling.color.hue));
        if (detailed)
            summary.hues.push_back(sibling.color.hue);
        if (sibling.iconSize)
            ++summary.sizedCount;
        vote(summary.votes, sibling.iconStyle);
    }
    std::sort(ascending.begin(), ascending.end());
    summary.distinctHues = keptApart(ascending);
    summary.libraries = libraryCounts(siblings);
    takeMeans(summary, [&](const auto& take) {
        for (const ColorizationData& sibling : siblings)
            take(Measures::of(sibling));
    });
    return summary;
}

} // namespace pigmo
