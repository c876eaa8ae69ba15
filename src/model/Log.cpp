#include "model/Log.h"

#include <QLoggingCategory>

#include <cstdio>
#include <mutex>

namespace pigmo::log {
namespace {

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

Q_LOGGING_CATEGORY(diagnosticCategory, "pigmo.diagnostic", QtInfoMsg)

} // namespace

void write(Channel channel, const QString& line)
{
    std::lock_guard lock(sinkMutex());
    if (const Sink& sink = installedSink()) {
        sink(channel, line);
        return;
    }
    std::FILE* stream = channel == Channel::standardOutput ? stdout : stderr;
    const QByteArray bytes = line.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

void print(const QString& line)
{
    write(Channel::standardOutput, line);
}

void system(const QString& line)
{
    write(Channel::systemLog, line);
}

void diagnostic(const QString& line)
{
    if (diagnosticsEnabled())
        write(Channel::systemLog, line);
}

bool diagnosticsEnabled()
{
    return diagnosticCategory().isDebugEnabled();
}

void setDiagnosticsEnabled(bool enabled)
{
    const_cast<QLoggingCategory&>(diagnosticCategory()).setEnabled(QtDebugMsg, enabled);
}

Sink setSink(Sink sink)
{
    std::lock_guard lock(sinkMutex());
    Sink previous = std::move(installedSink());
    installedSink() = std::move(sink);
    return previous;
}

} // namespace pigmo::log
