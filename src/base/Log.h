#pragma once

#include <QString>

#include <functional>

namespace pigmo::log {

// Where a line goes: the lines the program prints go to standard output, the lines it reports to the
// system log go to standard error. Each call writes exactly one line; safe from any thread.
enum class Channel { standardOutput, systemLog };

// Diagnostic lines: what the program is doing, for whoever looks into it. They belong to the logging
// category "pigmo2.diagnostics", which is off unless `--verbose` or QT_LOGGING_RULES (for example
// "pigmo2.diagnostics=true") switches it on; while it is off they are dropped.
void print(const QString& line);
void system(const QString& line);

// Warnings and errors: something failed or was refused. Always written, to standard error.
void warning(const QString& line);
// The program's own answers on the command line (help, version, one line per folder styled): always
// written, to standard output.
void answer(const QString& line);

// Writes one line to `channel` regardless of the diagnostics switch.
void write(Channel channel, const QString& line);

// Whether diagnostic lines are written now; and switching them on or off for the whole process (the
// environment's QT_LOGGING_RULES still has the last word).
bool diagnosticsEnabled();
void setDiagnosticsEnabled(bool enabled);

// Replaces the output with a sink (tests capture lines this way); an empty function restores the
// standard streams. Returns the sink that was installed before.
using Sink = std::function<void(Channel, const QString&)>;
Sink setSink(Sink sink);

} // namespace pigmo::log
