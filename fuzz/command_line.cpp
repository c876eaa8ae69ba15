// The command line: the input is the argument list, arguments separated by NUL bytes, their bytes taken as
// the program takes them (any bytes, not only UTF-8). Any arguments give a request or an exit status without
// a crash; a request's folders are existing absolute directories, every unreachable folder has its reason,
// and a request survives its wire form.
#include "FuzzSupport.h"
#include "base/LocalPath.h"
#include "platform/CommandLine.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    pigmo::fuzz::prepare();
    // What the seeds name in the home folder: a folder, one whose name is no UTF-8, a link to nothing and a
    // link to itself.
    const QByteArray home = pigmo::encodeLocalPath(QDir::homePath());
    ::mkdir((home + "/Folder").constData(), 0755);
    ::mkdir((home + "/Caf\xe9").constData(), 0755);
    [[maybe_unused]] const int dangling = ::symlink((home + "/gone").constData(), (home + "/dangling").constData());
    [[maybe_unused]] const int loop = ::symlink((home + "/loop").constData(), (home + "/loop").constData());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace pigmo;
    QStringList arguments{QStringLiteral("pigmo2")};
    for (const QByteArray& argument : fuzz::bytesOf(data, size).split('\0'))
        arguments.append(decodeLocalPath(argument));
    const CommandLineResult result = CommandLine::parse(arguments, QDir::homePath());
    for (const UnreachableFolder& folder : result.unreachable) {
        if (folder.reason.isEmpty())
            std::abort();
    }
    if (result.request) {
        for (const QString& folder : result.request->folders) {
            struct stat status {};
            if (!folder.startsWith(u'/') || ::stat(encodeLocalPath(folder).constData(), &status) != 0 ||
                !S_ISDIR(status.st_mode))
                std::abort();
        }
        const auto again = LaunchRequest::fromBytes(result.request->toBytes());
        if (!again || *again != *result.request)
            std::abort();
    }
    return 0;
}
