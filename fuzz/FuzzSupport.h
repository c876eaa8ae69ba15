#pragma once

#include "base/Log.h"
#include "support/ScratchHome.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>

// What every fuzz target shares: a scratch home (no target ever touches the user's files), a silent log,
// and the input as bytes.
namespace pigmo::fuzz {

enum class Needs { nothing, coreApplication };

// A core application object for targets whose code needs one (Qt's paths, settings, event dispatch).
inline void makeCoreApplication()
{
    static int argc = 1;
    static char name[] = "pigmo-fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
}

// Called once from LLVMFuzzerInitialize, before anything reads the environment; returns its result.
inline int prepare(Needs needs = Needs::nothing)
{
    static test::ScratchHome home(QStringLiteral("pigmo-fuzz"));
    log::setSink([](log::Channel, const QString&) {});
    if (needs == Needs::coreApplication)
        makeCoreApplication();
    return 0;
}

inline QByteArray bytesOf(const uint8_t* data, size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

// Replaces the file at `path` with `bytes` (its folder is created).
inline void putFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(path.section(u'/', 0, -2));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

} // namespace pigmo::fuzz
