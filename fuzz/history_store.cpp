// The history store over hostile files: the input's first byte picks which file it becomes
// (folder_styles.json or history_log.json), whether the store loads the styles at once or in the
// background, and whether the file is there before the store reads the history or only appears after, as
// another process writes it (the store's write then reads it again to keep what it holds); the rest is its
// content. A store is created, the log loaded and one style recorded; an unreadable file must be moved aside
// byte for byte, and the files written afterwards must read back as the store holds them.
#include "FuzzSupport.h"
#include "storage/ColorizationHistoryStore.h"

#include <QDir>

#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    return pigmo::fuzz::prepare(pigmo::fuzz::Needs::coreApplication);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace pigmo;
    if (size == 0)
        return 0;
    ColorizationHistoryStore probe;
    QDir directory(probe.storageDirectory());
    directory.removeRecursively();
    const bool styles = data[0] & 1;
    const QString name = styles ? ColorizationHistoryStore::stylesFileName : ColorizationHistoryStore::logFileName;
    const QByteArray content = fuzz::bytesOf(data + 1, size - 1);
    const bool late = data[0] & 4;
    if (!late)
        fuzz::putFile(probe.storageDirectory() + u'/' + name, content);

    ColorizationHistoryStore store(data[0] & 2 ? ColorizationHistoryStore::StylesLoad::inBackground
                                               : ColorizationHistoryStore::StylesLoad::now);
    store.loadChronologicalLog();
    if (late)
        fuzz::putFile(probe.storageDirectory() + u'/' + name, content);
    const ColorizationData style{HSL{120, 50, 50}, 0.5, std::nullopt, 170, IconStyle::vibrant()};
    store.record(QStringLiteral("/fuzz/folder"), style);

    ColorizationHistoryStore reloaded;
    reloaded.loadChronologicalLog();
    if (reloaded.folderStyles().value(QStringLiteral("/fuzz/folder")) != style)
        std::abort();
    // A background load checks the styles and decodes them when asked: the same styles as a full read.
    if (store.folderStyles() != reloaded.folderStyles())
        std::abort();
    if (reloaded.chronologicalLog().isEmpty() || reloaded.chronologicalLog().last().data != style)
        std::abort();
    // Whatever could not be read survives whole beside the new files.
    const QStringList aside = directory.entryList({name + QStringLiteral(".corrupt-*")}, QDir::Files);
    for (const QString& copy : aside) {
        QFile file(directory.filePath(copy));
        if (!file.open(QIODevice::ReadOnly) || file.readAll() != content)
            std::abort();
    }
    return 0;
}
