// The trace-log entries that frame a run of the tool: an empty record,
// "Session Start" and another empty record when it starts, the same around
// "Session End" when it ends. The desktop tool and the command line both
// write them.
#pragma once

namespace gantry::tool {

void WriteSessionStartLog();
void WriteSessionEndLog();

}  // namespace gantry::tool
