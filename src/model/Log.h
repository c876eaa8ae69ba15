#pragma once

#include <QString>

#include <functional>

namespace pigmo::log {

// Where a line goes: the lines the program prints go to standard output, the lines it reports to the
// system log go to standard error. Each call writes exactly one line; safe from any thread.
enum class Channel { standardOutput, systemLog };

void print(const QString& line);
void system(const QString& line);
void write(Channel channel, const QString& line);

// Detail lines for someone tracing what the program did (one line per sibling read, for example): written
// to the system log only while the logging category "pigmo.diagnostic" is on. It is off unless switched on
// here or through QT_LOGGING_RULES ("pigmo.diagnostic.debug=true").
void diagnostic(const QString& line);
bool diagnosticsEnabled();
void setDiagnosticsEnabled(bool enabled);

// Replaces the output with a sink (tests capture lines this way); an empty function restores the
// standard streams. Returns the sink that was installed before.
using Sink = std::function<void(Channel, const QString&)>;
Sink setSink(Sink sink);

} // namespace pigmo::log
