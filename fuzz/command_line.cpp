// The command line: the input is the argument list, arguments separated by NUL bytes. Any arguments give
// a request or an exit status without a crash, and a request's folders are existing absolute directories.
#include "FuzzSupport.h"
#include "platform/CommandLine.h"

#include <QFileInfo>

#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    pigmo::fuzz::prepare();
    QDir().mkpath(QDir::homePath() + QStringLiteral("/Folder"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace pigmo;
    QStringList arguments{QStringLiteral("pigmo2")};
    for (const QByteArray& argument : fuzz::bytesOf(data, size).split('\0'))
        arguments.append(QString::fromUtf8(argument));
    const CommandLineResult result = CommandLine::parse(arguments, QDir::homePath());
    if (result.request) {
        for (const QString& folder : result.request->folders) {
            if (!QFileInfo(folder).isAbsolute() || !QFileInfo(folder).isDir())
                std::abort();
        }
        const auto again = LaunchRequest::fromBytes(result.request->toBytes());
        if (!again || *again != *result.request)
            std::abort();
    }
    return 0;
}
