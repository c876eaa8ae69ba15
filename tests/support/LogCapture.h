#pragma once

#include "base/Log.h"

#include <QString>
#include <QStringList>

#include <mutex>

namespace pigmo::test {

// Captures every log line written while it lives (from any thread) instead of printing it. Diagnostic
// lines are switched on while it lives unless `withDiagnostics` is false.
class LogCapture {
public:
    explicit LogCapture(bool withDiagnostics = true);
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    QStringList lines() const;                     // every channel, in order
    QStringList lines(log::Channel channel) const; // one channel, in order
    bool contains(const QString& fragment) const;  // some line contains the fragment
    int count(const QString& fragment) const;      // lines containing the fragment
    void clear();

private:
    mutable std::mutex mutex_;
    QList<std::pair<log::Channel, QString>> lines_;
    log::Sink previous_;
    bool diagnosticsBefore_ = false;
};

} // namespace pigmo::test
