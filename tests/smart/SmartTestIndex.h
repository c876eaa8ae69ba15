#pragma once

#include "model/ColorizationData.h"
#include "smart/KeywordIndex.h"
#include "storage/BundleResources.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

namespace pigmo::test {

inline Icon lucideIcon(const QString& name)
{
    Icon icon;
    icon.url = QUrl::fromLocalFile(QStringLiteral("/opt/lucide/") + name + QStringLiteral(".svg"));
    icon.name = name;
    return icon;
}

// A Lucide icon whose SVG file is the bundle's own, for tests that render it.
inline Icon bundledLucideIcon(const QString& name)
{
    Icon icon;
    icon.url = QUrl::fromLocalFile(BundleResources::path(QStringLiteral("lucide/%1.svg").arg(name)));
    icon.name = name;
    return icon;
}

inline Icon symbolIcon(const QString& systemName)
{
    Icon icon;
    icon.systemName = systemName;
    icon.name = systemName.toLower();
    return icon;
}

inline Icon emojiIcon(const QString& emoji, const QString& name)
{
    Icon icon;
    icon.emoji = emoji;
    icon.name = name;
    return icon;
}

// Hand-made index sources: catalogues in memory and keyword files written into a private directory.
class TestSources {
public:
    TestSources() { EXPECT_TRUE(directory_.isValid()); }

    IconCatalogues catalogues;
    QSet<QString> languages;

    // Writes one file of the keyword directory ("lucide_keywords_en", "country_flags", ...) as JSON text.
    void writeFile(const QString& name, const QByteArray& json)
    {
        QFile file(QDir(directory_.path()).filePath(name + QStringLiteral(".json")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(json);
    }

    IndexSources sources() const { return {catalogues, languages, directory_.path()}; }
    QString directory() const { return directory_.path(); }

private:
    QTemporaryDir directory_;
};

} // namespace pigmo::test
