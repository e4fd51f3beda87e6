#include "Log.h"

#include <cstdio>
#include <mutex>
#include <syslog.h>

namespace syslogline {

namespace {
std::mutex g_mutex;
Sink g_sink;
} // namespace

void write(const std::string& line) {
    Sink sink;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        sink = g_sink;
    }
    if (sink) {
        sink(line);
        return;
    }
    syslog(LOG_NOTICE, "%s", line.c_str());
    std::fprintf(stderr, "%s\n", line.c_str());
}

Sink setSink(Sink sink) {
    std::lock_guard<std::mutex> lock(g_mutex);
    std::swap(sink, g_sink);
    return sink;
}

} // namespace syslogline
