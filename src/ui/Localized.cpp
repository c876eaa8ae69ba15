#include "ui/Localized.h"

#include "storage/BundleResources.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

namespace pigmo::ui {

QString localized(const QString& key)
{
    static const QJsonObject table = [] {
        QFile file(BundleResources::path(QStringLiteral("strings/en/General.json")));
        if (!file.open(QIODevice::ReadOnly))
            return QJsonObject();
        return QJsonDocument::fromJson(file.readAll()).object();
    }();
    return table.value(key).toString(key);
}

} // namespace pigmo::ui
