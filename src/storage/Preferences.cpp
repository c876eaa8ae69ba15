#include "storage/Preferences.h"

#include <QSettings>
#include <QStandardPaths>

#include <memory>
#include <mutex>

namespace pigmo {
namespace {

struct Store {
    std::mutex mutex;
    std::unique_ptr<QSettings> settings;
};

Store& store()
{
    static Store instance;
    return instance;
}

QSettings& settings(Store& s)
{
    if (!s.settings)
        s.settings = std::make_unique<QSettings>(Preferences::filePath(), QSettings::IniFormat);
    return *s.settings;
}

} // namespace

QString Preferences::filePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/io.velmar.pigmo2/preferences.ini");
}

QVariant Preferences::read(const char* name)
{
    Store& s = store();
    std::lock_guard lock(s.mutex);
    return settings(s).value(QLatin1String(name));
}

bool Preferences::has(const char* name)
{
    Store& s = store();
    std::lock_guard lock(s.mutex);
    return settings(s).contains(QLatin1String(name));
}

void Preferences::write(const char* name, const QVariant& value)
{
    Store& s = store();
    std::lock_guard lock(s.mutex);
    settings(s).setValue(QLatin1String(name), value);
    settings(s).sync();
}

void Preferences::erase(const char* name)
{
    Store& s = store();
    std::lock_guard lock(s.mutex);
    settings(s).remove(QLatin1String(name));
    settings(s).sync();
}

} // namespace pigmo
