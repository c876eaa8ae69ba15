#include "support/LogCapture.h"

namespace pigmo::test {

LogCapture::LogCapture(bool withDiagnostics)
    : diagnosticsBefore_(log::diagnosticsEnabled())
{
    if (withDiagnostics)
        log::setDiagnosticsEnabled(true);
    previous_ = log::setSink([this](log::Channel channel, const QString& line) {
        std::lock_guard lock(mutex_);
        lines_.append({channel, line});
    });
}

LogCapture::~LogCapture()
{
    log::setSink(std::move(previous_));
    log::setDiagnosticsEnabled(diagnosticsBefore_);
}

QStringList LogCapture::lines() const
{
    std::lock_guard lock(mutex_);
    QStringList result;
    for (const auto& entry : lines_)
        result.append(entry.second);
    return result;
}

QStringList LogCapture::lines(log::Channel channel) const
{
    std::lock_guard lock(mutex_);
    QStringList result;
    for (const auto& entry : lines_) {
        if (entry.first == channel)
            result.append(entry.second);
    }
    return result;
}

bool LogCapture::contains(const QString& fragment) const
{
    return count(fragment) > 0;
}

int LogCapture::count(const QString& fragment) const
{
    std::lock_guard lock(mutex_);
    int n = 0;
    for (const auto& entry : lines_) {
        if (entry.second.contains(fragment))
            ++n;
    }
    return n;
}

void LogCapture::clear()
{
    std::lock_guard lock(mutex_);
    lines_.clear();
}

} // namespace pigmo::test
