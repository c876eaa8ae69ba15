#include "catalogue/IconsModel.h"

#include "base/Log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStringDecoder>

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

// The emoji's description: the comment after the emoji, trimmed, without its version marker ("E1.0 ").
QString emojiName(QStringView afterEmoji, const QRegularExpression& versionMarker)
{
    QString name = afterEmoji.trimmed().toString();
    name.remove(versionMarker);
    return name.trimmed();
}

} // namespace

IconsModel::IconsModel(const QString& resourcesDirectory)
    : lucideIcons_(loadLucideIcons(resourcesDirectory + QStringLiteral("/lucide")))
    , sfIcons_(loadSFSymbols(resourcesDirectory + QStringLiteral("/catalogues/sf_symbols.txt")))
    , emojisIcons_(loadEmojis(resourcesDirectory + QStringLiteral("/catalogues/emojis.txt")))
{
    lucideByName_.reserve(lucideIcons_.size());
    for (qsizetype i = 0; i < lucideIcons_.size(); ++i)
        if (!lucideByName_.contains(lucideIcons_[i].name))
            lucideByName_.insert(lucideIcons_[i].name, i);
}

const QList<Icon>& IconsModel::icons(int library) const
{
    static const QList<Icon> none;
    switch (library) {
    case lucide:
        return lucideIcons_;
    case emoji:
        return emojisIcons_;
    case symbols:
        return sfIcons_;
    default:
        return none;
    }
}

std::optional<Icon> IconsModel::randomIcon() const
{
    if (lucideIcons_.isEmpty())
        return std::nullopt;
    return lucideIcons_[QRandomGenerator::global()->bounded(lucideIcons_.size())];
}

std::optional<Icon> IconsModel::lucideIcon(const QString& name) const
{
    const auto found = lucideByName_.constFind(name);
    if (found == lucideByName_.constEnd())
        return std::nullopt;
    return lucideIcons_[*found];
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
    const QFileInfoList files =
        QDir(directory).entryInfoList({QStringLiteral("*.svg")}, QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    QList<Icon> icons;
    icons.reserve(files.size());
    for (const QFileInfo& file : files) {
        const QString fileName = file.fileName();
        const QStringList pieces = fileName.split(u'.', Qt::SkipEmptyParts);
        if (pieces.isEmpty())
            continue;
        Icon icon;
        icon.url = QUrl::fromLocalFile(file.absoluteFilePath());
        icon.name = pieces.first();
        icons.append(std::move(icon));
    }
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
    const QRegularExpression versionMarker(QStringLiteral("E\\d+\\.\\d+\\s"));
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
        icon.name = emojiName(trimmed.sliced(space), versionMarker);
        icons.append(std::move(icon));
    }
    return icons;
}

} // namespace pigmo
