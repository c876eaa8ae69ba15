#include "catalogue/IconsModel.h"

#include "base/Log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStringDecoder>

#include <algorithm>
#include <future>
#include <memory>
#include <span>
#include <vector>

#include <dirent.h>
#include <sys/stat.h>

namespace pigmo {
namespace {

// Reads a whole file as UTF-8; nothing when it is missing, unreadable or not valid UTF-8.
std::optional<QString> readUtf8Text(const QString& filePath)
{
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

bool isNewline(QChar ch)
{
    const char16_t c = ch.unicode();
    if (c > 0x000D && c < 0x0085) // the common case, decided by one range test
        return false;
    return (c >= 0x000A && c <= 0x000D) || c == 0x0085 || c == 0x2028 || c == 0x2029;
}

// Splits at every newline character; "\r\n" therefore leaves an empty line between its two characters.
QList<QStringView> splitLines(QStringView text)
{
    QList<QStringView> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (isNewline(text[i])) {
            lines.append(text.sliced(start, i - start));
            start = i + 1;
        }
    }
    lines.append(text.sliced(start));
    return lines;
}

// The length of a version marker ("E1.0 ": "E", digits, ".", digits, one white space) at `at`, else 0.
qsizetype versionMarkerAt(QStringView text, qsizetype at)
{
    const auto digitsFrom = [text](qsizetype i) {
        while (i < text.size() && text[i].unicode() >= u'0' && text[i].unicode() <= u'9')
            ++i;
        return i;
    };
    if (text[at] != u'E')
        return 0;
    const qsizetype point = digitsFrom(at + 1);
    if (point == at + 1 || point >= text.size() || text[point] != u'.')
        return 0;
    const qsizetype space = digitsFrom(point + 1);
    if (space == point + 1 || space >= text.size() || !text[space].isSpace())
        return 0;
    return space + 1 - at;
}

// The emoji's description: the comment after the emoji, trimmed, without its version markers ("E1.0 ").
QString emojiName(QStringView afterEmoji)
{
    const QStringView text = afterEmoji.trimmed();
    QString name;
    name.reserve(text.size());
    qsizetype kept = 0; // the start of the text not yet copied
    for (qsizetype i = text.indexOf(u'E'); i >= 0; i = text.indexOf(u'E', i)) {
        if (const qsizetype marker = versionMarkerAt(text, i)) {
            name.append(text.sliced(kept, i - kept));
            i += marker;
            kept = i;
        } else {
            ++i;
        }
    }
    name.append(text.sliced(kept));
    return name.trimmed();
}

bool isFolder(int directory, const dirent& entry)
{
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN)
        return entry.d_type == DT_DIR;
    struct stat info {};
    return fstatat(directory, entry.d_name, &info, 0) == 0 && S_ISDIR(info.st_mode); // a dangling link: no folder
}

// The names of the entries of `directory` that are not folders (links followed; hidden, special and dangling
// entries included) and end in ".svg" in any case: one pass over the directory, no file information kept.
QStringList svgFileNames(const QString& directory)
{
    const std::unique_ptr<DIR, int (*)(DIR*)> stream(opendir(QFile::encodeName(directory).constData()), &closedir);
    QStringList names;
    if (!stream)
        return names;
    while (const dirent* entry = readdir(stream.get())) {
        if (isFolder(dirfd(stream.get()), *entry))
            continue;
        QString name = QFile::decodeName(entry->d_name);
        if (name.endsWith(u".svg", Qt::CaseInsensitive))
            names.append(std::move(name));
    }
    return names;
}

// The icons of the files `fileNames` of the folder `absolute` (ending in "/"), in order. The name is the first
// non-empty piece between points; a file name of points only gives no icon.
QList<Icon> lucideIconsOf(const QString& absolute, std::span<const QString> fileNames)
{
    QList<Icon> icons;
    icons.reserve(static_cast<qsizetype>(fileNames.size()));
    for (const QString& fileName : fileNames) {
        const auto pieces = QStringView(fileName).tokenize(u'.', Qt::SkipEmptyParts);
        if (pieces.begin() == pieces.end())
            continue;
        Icon icon;
        icon.url = QUrl::fromLocalFile(absolute + fileName);
        icon.name = (*pieces.begin()).toString();
        icons.append(std::move(icon));
    }
    return icons;
}

} // namespace

IconsModel::IconsModel(const QString& resourcesDirectory)
    : resourcesDirectory_(resourcesDirectory)
{
}

const IconsModel::Catalogues& IconsModel::loaded() const
{
    std::call_once(loading_, [this] {
        // The three sources are independent: the two larger ones load on their own threads.
        auto lucide = std::async(std::launch::async, &loadLucideIcons, resourcesDirectory_ + QStringLiteral("/lucide"));
        auto emojis =
            std::async(std::launch::async, &loadEmojis, resourcesDirectory_ + QStringLiteral("/catalogues/emojis.txt"));
        catalogues_.sf = loadSFSymbols(resourcesDirectory_ + QStringLiteral("/catalogues/sf_symbols.txt"));
        catalogues_.lucide = lucide.get();
        catalogues_.emoji = emojis.get();
        catalogues_.lucideByName.reserve(catalogues_.lucide.size());
        for (qsizetype i = 0; i < catalogues_.lucide.size(); ++i)
            if (!catalogues_.lucideByName.contains(catalogues_.lucide[i].name))
                catalogues_.lucideByName.insert(catalogues_.lucide[i].name, i);
    });
    return catalogues_;
}

const QList<Icon>& IconsModel::icons(IconLibrary library) const
{
    static const QList<Icon> none;
    switch (library) {
    case IconLibrary::lucide:
        return lucideIcons();
    case IconLibrary::emoji:
        return emojisIcons();
    case IconLibrary::sf:
        return sfIcons();
    case IconLibrary::custom:
        break;
    }
    return none;
}

std::optional<Icon> IconsModel::randomIcon() const
{
    const QList<Icon>& icons = lucideIcons();
    if (icons.isEmpty())
        return std::nullopt;
    return icons[QRandomGenerator::global()->bounded(icons.size())];
}

std::optional<Icon> IconsModel::lucideIcon(const QString& name) const
{
    const Catalogues& catalogues = loaded();
    const auto found = catalogues.lucideByName.constFind(name);
    if (found == catalogues.lucideByName.constEnd())
        return std::nullopt;
    return catalogues.lucide[*found];
}

QList<Icon> IconsModel::loadLucideIcons(const QString& directory)
{
    const QFileInfo info(directory);
    if (!info.isDir() || !info.isReadable()) {
        log::warning(QStringLiteral("Error reading bundle resources: ") +
                     (info.exists() ? QStringLiteral("The folder “%1” cannot be read.")
                                    : QStringLiteral("The folder “%1” doesn’t exist."))
                         .arg(directory));
        return {};
    }
    // Names only, sorted as QDir::Name sorts them.
    QStringList files = svgFileNames(directory);
    std::sort(files.begin(), files.end());
    const QString absolute = QDir(directory).absolutePath() + u'/';
    // Making each file's address dominates: the files are shared out over a few threads, whose icons are
    // then joined in the files' order.
    const std::span<const QString> all(files.cbegin(), files.cend());
    constexpr size_t parts = 4;
    const size_t partSize = (all.size() + parts - 1) / parts;
    std::vector<std::future<QList<Icon>>> loads;
    for (size_t start = partSize; start < all.size(); start += partSize) {
        loads.push_back(std::async(std::launch::async, lucideIconsOf, std::cref(absolute),
                                   all.subspan(start, std::min(partSize, all.size() - start))));
    }
    QList<Icon> icons = lucideIconsOf(absolute, all.first(std::min(partSize, all.size())));
    icons.reserve(files.size());
    for (std::future<QList<Icon>>& load : loads)
        icons.append(load.get());
    return icons;
}

QList<Icon> IconsModel::loadSFSymbols(const QString& filePath)
{
    const std::optional<QString> text = readUtf8Text(filePath);
    if (!text)
        return {};
    QList<Icon> icons;
    for (const QStringView line : splitLines(*text)) {
        if (line.isEmpty())
            continue;
        Icon icon;
        icon.systemName = line.toString();
        icon.name = line.toString().toLower();
        icons.append(std::move(icon));
    }
    return icons;
}

QList<Icon> IconsModel::loadEmojis(const QString& filePath)
{
    const std::optional<QString> text = readUtf8Text(filePath);
    if (!text)
        return {};
    QList<Icon> icons;
    for (const QStringView line : splitLines(*text)) {
        if (line.isEmpty() || line.startsWith(u'#') || !line.contains(u';'))
            continue;
        const qsizetype hash = line.indexOf(u'#');
        if (hash < 0)
            continue;
        const QStringView comment = line.sliced(hash + 1);
        const QStringView trimmed = comment.trimmed();
        const qsizetype space = trimmed.indexOf(u' ');
        if (space < 0) // no emoji, or an emoji without a description
            continue;
        Icon icon;
        icon.emoji = trimmed.first(space).toString();
        icon.name = emojiName(trimmed.sliced(space));
        icons.append(std::move(icon));
    }
    return icons;
}

} // namespace pigmo
