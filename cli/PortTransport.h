// The RP1210 client transport limited to one COM port (--port COMn): the
// tool's transport scans every port; this one opens device id 100 + n only and
// otherwise carries requests exactly as the tool's transport does.
#pragma once

#include <memory>
#include <string>

#include "tool/device/RequestGate.h"

// A responder for "COMn" (case ignored). A name that is no COM port gives a
// responder whose Connect always fails (and says why in the trace log).
std::unique_ptr<IDeviceResponder> MakeSinglePortTransport(
    const std::string& portName, std::string libraryName = "libKV121032.so");
