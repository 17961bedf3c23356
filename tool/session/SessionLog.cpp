#include "tool/session/SessionLog.h"

#include "common/TraceLog.h"

namespace gantry::tool {

namespace {

void WriteFramedEntry(const char* message) {
    WriteTraceLog("", "", "");
    WriteTraceLog("", "", message);
    WriteTraceLog("", "", "");
}

}  // namespace

void WriteSessionStartLog() {
    WriteFramedEntry("Session Start");
}

void WriteSessionEndLog() {
    WriteFramedEntry("Session End");
}

}  // namespace gantry::tool
