// The bundle's keyword files and the country-flag names, read from JSON text: never a crash, whatever the
// shape or depth of the text; and a keyword file read with its keywords numbered says what the plain reading
// says.
#include "FuzzSupport.h"
#include "smart/KeywordFiles.h"

#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    return pigmo::fuzz::prepare();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace pigmo;
    const QByteArray text = fuzz::bytesOf(data, size);
    const std::optional<KeywordFile> plain = parseKeywordFile(text);
    const std::optional<NumberedKeywordFile> numbered = parseNumberedKeywordFile(text);
    if (plain.has_value() != numbered.has_value())
        std::abort();
    if (plain) {
        if (plain->entries.size() != numbered->entries.size())
            std::abort();
        for (size_t i = 0; i < plain->entries.size(); ++i) {
            const auto& keywords = plain->entries[i].keywords;
            const auto& numbers = numbered->entries[i].keywords;
            if (plain->entries[i].name != numbered->entries[i].name || keywords.size() != numbers.size())
                std::abort();
            for (size_t k = 0; k < keywords.size(); ++k) {
                if (keywords[k].first != numbered->words.at(numbers[k].first) ||
                    keywords[k].second != numbers[k].second)
                    std::abort();
            }
        }
    }
    (void)parseCountryFlagsFile(text);
    return 0;
}
