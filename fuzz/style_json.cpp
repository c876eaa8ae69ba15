// The style as read from a folder's attribute: decoding any bytes never crashes, and a decoded finite
// style is written and read back unchanged.
#include "FuzzSupport.h"
#include "model/StyleJson.h"

#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    return pigmo::fuzz::prepare();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace pigmo;
    const QByteArray bytes = fuzz::bytesOf(data, size);
    const auto decoded = json::decode(bytes);
    if (!decoded || !decoded->isFinite())
        return 0;
    const auto encoded = json::encode(*decoded);
    if (!encoded)
        std::abort();
    const auto again = json::decode(*encoded);
    // NaN never equals itself, so only finite styles are compared (the encoder refuses the others).
    if (!again || *again != *decoded)
        std::abort();
    return 0;
}
