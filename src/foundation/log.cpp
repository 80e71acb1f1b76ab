#include "log.h"

#include <cstdio>

namespace {
LogSink& sink()
{
    static LogSink s;
    return s;
}
} // namespace

void SetLogSink(LogSink s)
{
    sink() = std::move(s);
}

void LogLine(const std::string& line)
{
    if (sink())
        sink()(line);
    else
        std::fprintf(stderr, "%s\n", line.c_str());
}
