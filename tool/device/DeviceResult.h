// The one result of the device layer's calls above the RP1210 library:
// loading the library, connecting, disconnecting, carrying a request,
// resetting, clearing a fault. The library's own int16 codes stay inside
// CSerialTransport. What became of a request in detail (answered, refused,
// lost) is its RequestOutcome, which maps onto this: a request answered or
// refused was carried (Done), a lost one Failed.
//
// Not a result: a read the user cancels unwinds as the exception
// ReadCancelled (RequestGate.h). That is by design: it leaves the request
// gate, the device accessor, the record readers and the session in one step,
// up to the read's owner, where a result would have to be passed on by every
// layer in between.
#pragma once

namespace gantry::tool {

enum class DeviceResult {
    Failed,  // not done: no library, no gateway, no reply
    Done,
};

inline constexpr DeviceResult ResultOf(bool done) {
    return done ? DeviceResult::Done : DeviceResult::Failed;
}
inline constexpr bool Succeeded(DeviceResult result) {
    return result == DeviceResult::Done;
}

// What became of one request.
enum class RequestOutcome {
    Answered,  // a reply with general status 0
    Refused,   // a reply with another status (offline: also one the simulator could not give)
    Lost,      // no reply: unanswered, or not sent because the connection is gone
};

// Answered and refused requests were carried (Done); a lost one Failed.
inline constexpr DeviceResult CarriedResult(RequestOutcome outcome) {
    return ResultOf(outcome != RequestOutcome::Lost);
}

}  // namespace gantry::tool
