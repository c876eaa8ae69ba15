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

// The arithmetic mean of a non-empty list. When the plain sum overflows, it is summed again in parts, so
// that finite values always give a finite mean.
template <class Values, class Value>
double mean(const Values& values, Value value)
{
    const auto count = static_cast<double>(values.size());
    double sum = 0;
    for (const auto& item : values)
        sum += value(item);
    if (std::isfinite(sum))
        return sum / count;
    sum = 0;
    for (const auto& item : values)
        sum += value(item) / count;
    return sum;
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

} // namespace

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
        listed.places.insert(path, listed.folders.size());
        listed.folders.append({path, name, attributes_.storedSettings(path)});
    }
    return listed;
}

QList<ColorizationData> SmartSiblingAnalysis::Batch::siblingColorizations(const QString& folderPath)
{
    const QString folder = QDir::cleanPath(folderPath);
    const QString parent = QFileInfo(folder).path();
    log::system(QStringLiteral("[Smart] 📂 Scanning siblings in: ") + parent);
    const Listing& listed = listing(parent);
    if (!listed.readable) {
        log::warning(QStringLiteral("[Smart] ⚠️ Could not read directory contents"));
        return {};
    }
    const qsizetype siblingCount = listed.folders.size() - (listed.places.contains(folder) ? 1 : 0);
    log::system(QStringLiteral("[Smart] 📁 Found %1 sibling folders").arg(siblingCount));
    const bool detailed = log::diagnosticsEnabled();
    QList<ColorizationData> results;
    for (const Entry& sibling : listed.folders) {
        if (sibling.path == folder)
            continue;
        if (detailed)
            logSibling(sibling.name, sibling.style);
        if (sibling.style)
            results.append(*sibling.style);
    }
    log::system(
        QStringLiteral("[Smart] 📊 %1/%2 siblings have colorization data").arg(results.size()).arg(siblingCount));
    return results;
}

SmartSiblingAnalysis::Batch::Replaced SmartSiblingAnalysis::Batch::remember(const QString& folderPath,
                                                                            const ColorizationData& applied)
{
    const QString folder = QDir::cleanPath(folderPath);
    const QFileInfo info(folder);
    Listing& listed = listing(info.path());
    if (const auto place = listed.places.constFind(folder); place != listed.places.cend())
        return {true, std::exchange(listed.folders[*place].style, applied)};
    if (listed.readable && !info.fileName().startsWith(u'.')) {
        listed.places.insert(folder, listed.folders.size());
        listed.folders.append({folder, info.fileName(), applied});
    }
    return {};
}

void SmartSiblingAnalysis::Batch::forget(const QString& folderPath, const Replaced& previous)
{
    const QString folder = QDir::cleanPath(folderPath);
    Listing& listed = listing(QFileInfo(folder).path());
    const auto place = listed.places.constFind(folder);
    if (place == listed.places.cend())
        return;
    if (previous.listed) {
        listed.folders[*place].style = previous.style;
        return;
    }
    const qsizetype removed = *place;
    listed.folders.removeAt(removed);
    listed.places.erase(place);
    for (qsizetype& index : listed.places) {
        if (index > removed)
            --index;
    }
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
    std::vector<double> kept{hues.front()};
    for (size_t i = 1; i < hues.size(); ++i) {
        if (hues[i] - kept.back() > minimumHueSeparation)
            kept.push_back(hues[i]);
    }
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

HSL SmartSiblingAnalysis::suggestedColor(const QList<ColorizationData>& siblings)
{
    if (siblings.isEmpty()) {
        const double hue = randomHue();
        log::system(QStringLiteral("[Smart] 🎨 No sibling colors found, using random: hue=") + whole(hue) + u'°');
        return {hue, 70, 50};
    }
    QList<HSL> colors;
    std::vector<double> hues;
    for (const ColorizationData& sibling : siblings) {
        colors.append(sibling.color);
        hues.push_back(sibling.color.hue);
    }
    log::system(QStringLiteral("[Smart] 🎨 Computing color from %1 sibling colors").arg(colors.size()));
    if (log::diagnosticsEnabled()) // a line as long as the siblings are many
        log::system(QStringLiteral("[Smart]   Sibling hues: ") + degreeList(hues));
    const double hue = largestHueGapMidpoint(colors);
    const double averageSaturation = mean(colors, [](const HSL& color) { return color.saturation; });
    const double averageLightness = mean(colors, [](const HSL& color) { return color.lightness; });
    const double s = std::clamp(averageSaturation, 30.0, 100.0);
    const double l = std::clamp(averageLightness, 25.0, 75.0);
    log::system(QStringLiteral("[Smart]   → Largest gap midpoint: ") + degrees(hue));
    log::system(QStringLiteral("[Smart]   → Avg saturation: %1 → clamped: %2").arg(whole(averageSaturation), whole(s)));
    log::system(QStringLiteral("[Smart]   → Avg lightness: %1 → clamped: %2").arg(whole(averageLightness), whole(l)));
    log::system(QStringLiteral("[Smart]   → Result: HSL(%1, %2, %3)").arg(whole(hue), whole(s), whole(l)));
    return {hue, s, l};
}

double SmartSiblingAnalysis::suggestedIntensity(const QList<ColorizationData>& siblings)
{
    if (siblings.isEmpty()) {
        log::system(QStringLiteral("[Smart] 💪 No siblings, using default intensity: 0.6"));
        return defaultIntensity;
    }
    const double average = mean(siblings, [](const ColorizationData& sibling) { return sibling.intensity; });
    log::system(QStringLiteral("[Smart] 💪 Avg intensity from %1 siblings: %2")
                    .arg(siblings.size())
                    .arg(QString::asprintf("%.2f", average)));
    return std::clamp(average, minimumIntensity, maximumIntensity);
}

double SmartSiblingAnalysis::suggestedIconSize(const QList<ColorizationData>& siblings)
{
    QList<double> sizes;
    for (const ColorizationData& sibling : siblings) {
        if (sibling.iconSize)
            sizes.append(*sibling.iconSize);
    }
    if (sizes.isEmpty()) {
        log::system(QStringLiteral("[Smart] 📐 No siblings with icon size, using default: 170"));
        return defaultIconSize;
    }
    const double average = mean(sizes, [](double size) { return size; });
    log::system(QStringLiteral("[Smart] 📐 Avg icon size from %1 siblings: %2").arg(sizes.size()).arg(whole(average)));
    return std::clamp(average, minimumIconSize, maximumIconSize);
}

IconStyle SmartSiblingAnalysis::suggestedStyle(const QList<ColorizationData>& siblings)
{
    if (siblings.isEmpty()) {
        log::system(QStringLiteral("[Smart] 🎭 No siblings, using default style: .vibrant"));
        return IconStyle::vibrant();
    }
    // Buckets in order of first appearance; a tie for the highest count goes to the bucket met first.
    QList<StyleVote> votes;
    for (const ColorizationData& sibling : siblings) {
        const QString name = IconStyle::rawValue(sibling.iconStyle.type());
        auto bucket = std::find_if(votes.begin(), votes.end(), [&](const StyleVote& v) { return v.name == name; });
        if (bucket != votes.end())
            ++bucket->count;
        else
            votes.append({name, 1, sibling.iconStyle});
    }
    const StyleVote* winner = &votes.front();
    for (const StyleVote& vote : std::as_const(votes)) {
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
    for (const ColorizationData& sibling : siblings) {
        if (!sibling.icon)
            continue;
        if (const std::optional<IconLibrary> library = libraryOf(*sibling.icon))
            ++counts[static_cast<size_t>(*library)];
    }
    return counts;
}

} // namespace pigmo
