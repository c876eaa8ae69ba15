// The chronological log file's contents: decoding never crashes, checking (the decode keeping nothing)
// agrees with decoding (same verdict, same error), and what decodes is written and read back unchanged
// (timestamps included).
#include "FuzzSupport.h"
#include "model/StyleJson.h"
#include "storage/HistoryLogEntry.h"

#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    return pigmo::fuzz::prepare();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace pigmo;
    const QByteArray bytes = fuzz::bytesOf(data, size);
    const auto entries = json::decodeLog(bytes);
    const auto checked = json::checkLog(bytes);
    if (checked.hasValue() != entries.hasValue() || (!entries && checked.error() != entries.error()))
        std::abort();
    if (!entries)
        return 0;
    for (const HistoryLogEntry& entry : *entries) {
        if (!entry.data.isFinite())
            return 0;
    }
    const auto encoded = json::encodeLog(*entries);
    if (!encoded)
        std::abort();
    const auto again = json::decodeLog(*encoded);
    if (!again || *again != *entries)
        std::abort();
    return 0;
}
