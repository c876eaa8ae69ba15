// The single-instance request as it arrives from another process: any frame body is read or refused
// without a crash, and what is read is written back the same.
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
    const auto request = LaunchRequest::fromBytes(fuzz::bytesOf(data, size));
    if (request) {
        const auto again = LaunchRequest::fromBytes(request->toBytes());
        if (!again || *again != *request)
            std::abort();
    }
    return 0;
}
