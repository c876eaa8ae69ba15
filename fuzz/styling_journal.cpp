// A styling journal a killed process left: reading it never crashes, each line is read on its own (a journal
// of n lines reads as at most n intents and unreadable lines), reading the file a start finds gives what
// reading its text gives, and every intent read is written and read back unchanged.
#include "FuzzSupport.h"
#include "storage/StylingJournal.h"

#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    return pigmo::fuzz::prepare();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace pigmo;
    const QByteArray bytes = fuzz::bytesOf(data, size);
    const StylingJournal::Contents contents = StylingJournal::parse(bytes);
    if (contents.intents.size() + contents.unreadableLines > bytes.count('\n') + 1)
        std::abort();

    const QString directory = QDir::homePath() + QStringLiteral("/journals");
    fuzz::putFile(directory + u'/' + StylingJournal::filePrefix + QStringLiteral("fuzz") + StylingJournal::fileSuffix,
                  bytes);
    std::vector<StylingJournal::Left> left = StylingJournal::left(directory);
    if (left.size() != 1 || left.front().contents().intents != contents.intents ||
        left.front().contents().unreadableLines != contents.unreadableLines || !left.front().remove())
        std::abort();

    for (StylingJournal::Intent intent : contents.intents) {
        if (!intent.entry.data.isFinite())
            continue;
        intent.outcome.reset();
        const auto line = StylingJournal::intentLine(intent);
        if (!line)
            std::abort();
        const StylingJournal::Contents again = StylingJournal::parse(*line);
        if (again.intents != QList<StylingJournal::Intent>{intent} || again.unreadableLines != 0)
            std::abort();
    }
    return 0;
}
