// The single-instance request as it arrives from another process: any frame body is read or refused
// without a crash, and what is read is written back byte for byte (folder names that are no UTF-8 included).
#include "FuzzSupport.h"
#include "platform/CommandLine.h"

#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    return pigmo::fuzz::prepare();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace pigmo;
    const QByteArray bytes = fuzz::bytesOf(data, size);
    const auto request = LaunchRequest::fromBytes(bytes);
    if (request) {
        const QByteArray written = request->toBytes();
        const auto again = LaunchRequest::fromBytes(written);
        if (!again || *again != *request || written != bytes)
            std::abort();
    }
    return 0;
}
