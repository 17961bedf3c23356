// The simulated gateway behind the real request gate for the tests of the
// refresh, upload and download sequences: every encoded request recorded as
// "G 3/1/101", "S 3/1/2 01", "GA 111/4", "SA 111/1 <data>", "Save 111/0".
#pragma once

#include <gtest/gtest.h>

#include <cstdio>

#include "ModelTestSupport.h"
#include "RequestText.h"
#include "TestSupport.h"
#include "tool/device/Notifier.h"
#include "tool/device/SimulatorResponder.h"
#include "tool/model/DeviceSync.h"

using namespace gantry;

using namespace gantry::tool;

using Requests = std::vector<std::string>;

class DeviceSyncTest : public ::testing::Test {
protected:
    // A simulated gateway of the given identity, connected, identity read.
    void Start(const std::string& identity, bool complete = true) {
        WriteFileBytes(m_dir.File("GYSim.ini"), "[Identity]\n" + identity + "Run Mode=Idle\n");
        auto responder = std::make_unique<CSimulatorResponder>();
        responder->Simulator().SetCompleteMode(complete);
        m_gate = std::make_unique<CRequestGate>(std::move(responder), nullptr, &m_clock);
        m_device = std::make_unique<CDevice>(*m_gate, m_offline);
        m_gate->SetDeviceLostHandler([this] { m_device->MarkNotDetected(); });
        m_device->RefreshIdentity();
        ASSERT_TRUE(m_device->IsPresent());
        m_gate->SetRequestObserver(
            [this](const std::vector<std::uint8_t>& bytes, int, const DeviceReply&) {
                m_requests.push_back(DescribeRequest(bytes));
            });
    }
    DeviceLink Link() { return DeviceLink{*m_gate, *m_device}; }
    Requests Take() { return std::exchange(m_requests, {}); }
    // The records of one product pair at the gateway's revision.
    CConfiguration PairConfig(std::uint32_t clientType, std::uint32_t serverType) {
        CConfiguration config;
        config.clientType = clientType;
        config.serverType = serverType;
        config.SetRevision(m_device->Revision());
        return config;
    }

    ScopedGantryDir m_dir;
    CInstantClock m_clock;
    OfflineIdentity m_offline;
    std::unique_ptr<CRequestGate> m_gate;
    std::unique_ptr<CDevice> m_device;
    Requests m_requests;
};

inline const char* const f_szJ1939Profibus =
    "Firmware Revision=1.08\nClient Type=J1939\nServer Type=PROFIBUS Slave\n";
inline const char* const f_szJ1939Modbus =
    "Firmware Revision=1.05\nClient Type=J1939\nServer Type=Modbus Slave\n";
inline const char* const f_szJ1939Ethernet =
    "Firmware Revision=2.07\nClient Type=J1939\nServer Type=Ethernet Server\n";
inline const char* const f_szEthernetDeviceNet =
    "Firmware Revision=2.02\nClient Type=DeviceNet Master\nServer Type=Ethernet Server\n";

class CRecordingNotifier : public INotifier {
public:
    NotifyAnswer Notify(const std::string& text, const std::string& caption, NotifyButtons,
                        NotifyIcon, NotifyAnswer) override {
        shown.push_back(caption + ": " + text);
        return NotifyAnswer::Ok;
    }
    std::vector<std::string> shown;
};

// A J1939 to PROFIBUS configuration of `points` one-byte inputs.
inline CConfiguration ProfibusTable(std::uint16_t revision, int points) {
    CConfiguration config;
    config.clientType = 9;
    config.serverType = 11;
    config.SetRevision(revision);
    for (int i = 0; i < points; ++i) {
        config.io.Append(tagJ1939DataPoint{JT_Input, static_cast<std::uint16_t>(8 * i), 8, 0, 1,
                                           static_cast<std::uint32_t>(1000 + i % 4), 0, 6});
    }
    config.UpdateLimits();
    return config;
}
