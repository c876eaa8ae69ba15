#include "services/PalettesManager.h"

#include "model/StyleJson.h"
#include "storage/Preferences.h"

#include <nlohmann/json.hpp>

#include <QStringList>

namespace pigmo {
namespace {

Palette fromHex(const QString& name, const QStringList& texts)
{
    Palette palette{name, {}};
    for (const QString& text : texts)
        palette.colors.append(Color::fromHex(text).value_or(Color{}));
    return palette;
}

Palette fromHues(const QString& name, double saturation, double lightness, std::initializer_list<double> hues)
{
    Palette palette{name, {}};
    for (double hue : hues)
        palette.colors.append(HSL{hue, saturation, lightness}.color());
    return palette;
}

} // namespace

const QList<Palette>& PalettesManager::palettes()
{
    static const QList<Palette> builtIn{
        fromHex(QStringLiteral("Modern"),
                {QStringLiteral("9F0040"), QStringLiteral("D63C4E"), QStringLiteral("F46D41"), QStringLiteral("FDB061"),
                 QStringLiteral("FEE18C"), QStringLiteral("ACDEA5"), QStringLiteral("66C3A7"), QStringLiteral("2E89BE"),
                 QStringLiteral("5E4EA3")}),
        fromHex(QStringLiteral("Pastel"),
                {QStringLiteral("66C5CC"), QStringLiteral("F6CF71"), QStringLiteral("F89C74"), QStringLiteral("DCB0F2"),
                 QStringLiteral("88C560"), QStringLiteral("9EB9F3"), QStringLiteral("FF88B1"), QStringLiteral("C9DB74"),
                 QStringLiteral("8CE0A4")}),
        fromHues(QStringLiteral("Fiesta"), 80, 55, {10, 40, 70, 130, 180, 220, 260, 290, 330}),
        fromHues(QStringLiteral("Neon"), 100, 50, {0, 50, 90, 130, 170, 210, 250, 290, 330}),
        fromHues(QStringLiteral("Ethereal"), 70, 65, {30, 80, 130, 170, 210, 250, 290, 330, 360}),
    };
    return builtIn;
}

PalettesManager::PalettesManager(QObject* parent)
    : QObject(parent)
{
    loadCustomColors();
}

qsizetype PalettesManager::indexOf(const Color& color) const
{
    const QString text = color.hexString();
    for (qsizetype i = 0; i < customColors_.size(); ++i) {
        if (customColors_[i].hexString() == text)
            return i;
    }
    return -1;
}

void PalettesManager::addCustomColor(const Color& color)
{
    if (indexOf(color) >= 0)
        return;
    customColors_.append(color);
    Q_EMIT customColorsChanged();
    saveCustomColors();
}

void PalettesManager::removeCustomColor(const Color& color)
{
    const qsizetype index = indexOf(color);
    if (index < 0)
        return;
    customColors_.removeAt(index);
    Q_EMIT customColorsChanged();
    saveCustomColors();
}

void PalettesManager::loadCustomColors()
{
    if (!Preferences::contains(prefs::customColors))
        return;
    const QByteArray stored = Preferences::value(prefs::customColors);
    if (json::nestsTooDeep(stored))
        return;
    const nlohmann::json json = nlohmann::json::parse(stored.begin(), stored.end(), nullptr, false);
    if (!json.is_array())
        return;
    QList<Color> colors;
    for (const nlohmann::json& entry : json) {
        if (!entry.is_string())
            return; // not an array of texts: unreadable as a whole
        if (std::optional<Color> color = Color::fromHex(QString::fromStdString(entry.get<std::string>())))
            colors.append(*color);
    }
    customColors_ = colors;
    Q_EMIT customColorsChanged();
}

void PalettesManager::saveCustomColors()
{
    nlohmann::json texts = nlohmann::json::array();
    for (const Color& color : customColors_)
        texts.push_back(color.hexString().toStdString());
    Preferences::setValue(prefs::customColors, QByteArray::fromStdString(texts.dump()));
}

} // namespace pigmo
