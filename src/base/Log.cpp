#include "base/Log.h"

#include "base/LocalPath.h"

#include <QLoggingCategory>

#include <cstdio>
#include <mutex>

namespace pigmo::log {
namespace {

// Off below warnings: diagnostic lines are debug messages of this category.
Q_LOGGING_CATEGORY(diagnostics, "pigmo2.diagnostics", QtWarningMsg)

std::mutex& sinkMutex()
{
    static std::mutex mutex;
    return mutex;
}

Sink& installedSink()
{
    static Sink sink;
    return sink;
}

void diagnostic(Channel channel, const QString& line)
{
    if (diagnosticsEnabled())
        write(channel, line);
}

} // namespace

void write(Channel channel, const QString& line)
{
    std::lock_guard lock(sinkMutex());
    if (const Sink& sink = installedSink()) {
        sink(channel, line);
        return;
    }
    std::FILE* stream = channel == Channel::standardOutput ? stdout : stderr;
    const QByteArray bytes = encodeLocalPath(line); // a folder named in the line keeps its bytes
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

void print(const QString& line)
{
    diagnostic(Channel::standardOutput, line);
}

void system(const QString& line)
{
    diagnostic(Channel::systemLog, line);
}

void warning(const QString& line)
{
    write(Channel::systemLog, line);
}

void answer(const QString& line)
{
    write(Channel::standardOutput, line);
}

bool diagnosticsEnabled()
{
    return diagnostics().isDebugEnabled();
}

void setDiagnosticsEnabled(bool enabled)
{
    QLoggingCategory::setFilterRules(enabled ? QStringLiteral("pigmo2.diagnostics.debug=true") : QString());
}

Sink setSink(Sink sink)
{
    std::lock_guard lock(sinkMutex());
    Sink previous = std::move(installedSink());
    installedSink() = std::move(sink);
    return previous;
}

} // namespace pigmo::log
