// A gateway for the accessor and gate tests: the real simulator answering as a
// gateway, which can be told to misbehave (refuse connects, lose replies, keep
// its run state whatever the tool writes).
#pragma once

#include <string>
#include <vector>

#include "tool/device/RequestGate.h"
#include "tool/device/SimulatorResponder.h"

using namespace gantry::tool;

class CTestGateway : public CSimulatorResponder {
public:
    explicit CTestGateway(std::string profile = "GYSim.ini")
        : CSimulatorResponder(std::move(profile)) {}

    DeviceResult Connect() override {
        ++connects;
        if (failConnects > 0) {
            --failConnects;
            return DeviceResult::Failed;
        }
        return CSimulatorResponder::Connect();
    }
    DeviceResult Disconnect() override {
        ++disconnects;
        return DeviceResult::Failed;
    }
    DeviceResult SendRequest(const DeviceRequest& request, DeviceReply& reply) override {
        ++requests;
        if (loseReplies) {
            return DeviceResult::Failed;
        }
        if (keepRunState && request.service == SVC_SetAttributeSingle &&
            request.classId == CLS_Identity && request.attribute == 103) {
            reply = DeviceReply{};
            reply.service = request.service;
            return DeviceResult::Done;
        }
        return CSimulatorResponder::SendRequest(request, reply);
    }

    int failConnects = 0;
    bool loseReplies = false;
    bool keepRunState = false;
    int connects = 0;
    int disconnects = 0;
    int requests = 0;
};

// Records every request that passes a gate, as "service class/instance/attribute".
struct CRequestLog {
    void Install(CRequestGate& gate) {
        gate.SetRequestObserver(
            [this](const std::vector<std::uint8_t>& bytes, int result, const DeviceReply&) {
                encoded.push_back(bytes);
                results.push_back(result);
            });
    }
    // Requests whose first six bytes are service, class, instance, attribute.
    int Count(std::uint8_t service, std::uint16_t classId, int attribute) const {
        int count = 0;
        for (const auto& bytes : encoded) {
            if (bytes.size() >= 6 && bytes[0] == service && bytes[1] == (classId & 0xFF) &&
                bytes[2] == (classId >> 8) && bytes[5] == attribute) {
                ++count;
            }
        }
        return count;
    }
    std::vector<std::vector<std::uint8_t>> encoded;
    std::vector<int> results;
};
