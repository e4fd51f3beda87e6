// The system log: a line to syslog and to standard error. Tests can capture the lines.
#pragma once

#include <functional>
#include <string>

namespace syslogline {
void write(const std::string& line);
// Replaces the sink (empty restores the default); returns the previous one.
using Sink = std::function<void(const std::string&)>;
Sink setSink(Sink sink);
} // namespace syslogline
