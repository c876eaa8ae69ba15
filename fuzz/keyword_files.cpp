// The bundle's keyword files and the country-flag names, read from JSON text: never a crash, whatever the
// shape or depth of the text.
#include "FuzzSupport.h"
#include "smart/KeywordFiles.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    return pigmo::fuzz::prepare();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace pigmo;
    const QByteArray text = fuzz::bytesOf(data, size);
    (void)parseKeywordFile(text);
    (void)parseCountryFlagsFile(text);
    return 0;
}
