// The legacy history preference of earlier versions: any bytes migrate or are left alone without a crash,
// the migration always ends marked done, and the styles file it writes reads back.
#include "FuzzSupport.h"
#include "storage/ColorizationHistoryStore.h"
#include "storage/LegacyHistoryMigration.h"
#include "storage/Preferences.h"

#include <QDir>

#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    return pigmo::fuzz::prepare(pigmo::fuzz::Needs::coreApplication);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace pigmo;
    {
        ColorizationHistoryStore probe;
        QDir(probe.storageDirectory()).removeRecursively();
    }
    Preferences::remove(prefs::historyStoreMigrated);
    Preferences::setValue(prefs::legacyHistoryIDs, fuzz::bytesOf(data, size));

    ColorizationHistoryStore store;
    migrateLegacyHistoryIfNeeded(store);
    if (!Preferences::value(prefs::historyStoreMigrated))
        std::abort();
    if (!Preferences::contains(prefs::legacyHistoryIDs)) { // migrated: what is in memory is on disk
        ColorizationHistoryStore reloaded;
        if (reloaded.folderStyles() != store.folderStyles())
            std::abort();
    }
    return 0;
}
