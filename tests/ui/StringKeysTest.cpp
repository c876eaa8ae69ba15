// Every string-table key the program's code uses (written u"key"_key) must be in all eleven "General"
// tables, a counted key through its ".one", ".few" and ".many" forms; and every table has the keys of the
// English one.

#include <gtest/gtest.h>

#include <QDirIterator>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>

namespace {

const QStringList languageCodes = {QStringLiteral("en"), QStringLiteral("fr"),      QStringLiteral("it"),
                                   QStringLiteral("de"), QStringLiteral("es"),      QStringLiteral("pt-BR"),
                                   QStringLiteral("ja"), QStringLiteral("zh-Hans"), QStringLiteral("ko"),
                                   QStringLiteral("ru"), QStringLiteral("cs")};

// key -> the first file that uses it
QMap<QString, QString> keysUsedInCode()
{
    static const QRegularExpression keyLiteral(QStringLiteral(R"re(u"([^"\\]+)"_key)re"));
    QMap<QString, QString> keys;
    for (const char* folder : {"/src", "/tests/gallery"}) {
        QDirIterator files(QStringLiteral(PIGMO_SOURCE_DIR) + QLatin1String(folder), {"*.cpp", "*.h"}, QDir::Files,
                           QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QString path = files.next();
            QFile file(path);
            EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
            const QString text = QString::fromUtf8(file.readAll());
            for (auto match = keyLiteral.globalMatch(text); match.hasNext();) {
                const QString key = match.next().captured(1);
                if (!keys.contains(key))
                    keys.insert(key, path);
            }
        }
    }
    return keys;
}

QJsonObject table(const QString& code)
{
    QFile file(QStringLiteral(PIGMO_SOURCE_DIR "/resources/strings/") + code + QStringLiteral("/General.json"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << code.toStdString();
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
    EXPECT_TRUE(document.isObject()) << code.toStdString();
    return document.object();
}

bool hasText(const QJsonObject& table, const QString& key)
{
    return table.value(key).isString() && !table.value(key).toString().trimmed().isEmpty();
}

} // namespace

TEST(StringKeysTest, EveryKeyTheCodeUsesIsInEveryTable)
{
    const QMap<QString, QString> used = keysUsedInCode();
    ASSERT_GT(used.size(), 20); // the scan found the code's keys
    for (const QString& code : languageCodes) {
        const QJsonObject strings = table(code);
        for (auto it = used.begin(); it != used.end(); ++it) {
            const QString& key = it.key();
            const bool plain = hasText(strings, key);
            const bool counted = hasText(strings, key + QStringLiteral(".one")) &&
                                 hasText(strings, key + QStringLiteral(".few")) &&
                                 hasText(strings, key + QStringLiteral(".many"));
            EXPECT_TRUE(plain || counted)
                << code.toStdString() << " lacks \"" << key.toStdString() << "\" used in " << it.value().toStdString();
        }
    }
}

TEST(StringKeysTest, EveryTableHasTheEnglishKeysAndCountedKeysInAllThreeForms)
{
    const QJsonObject english = table(QStringLiteral("en"));
    for (const QString& code : languageCodes) {
        const QJsonObject strings = table(code);
        for (const QString& key : english.keys())
            EXPECT_TRUE(hasText(strings, key)) << code.toStdString() << " lacks " << key.toStdString();
        for (const QString& key : strings.keys()) {
            EXPECT_TRUE(english.contains(key))
                << code.toStdString() << " has a key English lacks: " << key.toStdString();
            for (const char* form : {".one", ".few", ".many"}) {
                if (!key.endsWith(QLatin1String(form)))
                    continue;
                const QString stem = key.chopped(qsizetype(strlen(form)));
                for (const char* sibling : {".one", ".few", ".many"})
                    EXPECT_TRUE(strings.contains(stem + QLatin1String(sibling)))
                        << code.toStdString() << " " << stem.toStdString() << sibling;
            }
        }
    }
}

TEST(StringKeysTest, CountedTextsCarryTheirNumber)
{
    for (const QString& code : languageCodes) {
        const QJsonObject strings = table(code);
        for (const QString& key : strings.keys()) {
            if (key.endsWith(QLatin1String(".one")) || key.endsWith(QLatin1String(".few")) ||
                key.endsWith(QLatin1String(".many"))) {
                EXPECT_TRUE(strings.value(key).toString().contains(QLatin1String("%lld")))
                    << code.toStdString() << " " << key.toStdString();
            }
        }
    }
}
