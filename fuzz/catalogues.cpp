// The glyph catalogues read from the bundle ("sf_symbols.txt", "emojis.txt"): any file content loads
// without a crash, and every icon loaded has a name.
#include "FuzzSupport.h"
#include "catalogue/IconsModel.h"

#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    return pigmo::fuzz::prepare();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace pigmo;
    const QString path = QDir::homePath() + QStringLiteral("/catalogue.txt");
    fuzz::putFile(path, fuzz::bytesOf(data, size));
    for (const auto& icons : {IconsModel::loadSFSymbols(path), IconsModel::loadEmojis(path)}) {
        for (const Icon& icon : icons) {
            if (icon.name.isEmpty())
                std::abort();
        }
    }
    return 0;
}
