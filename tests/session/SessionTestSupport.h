// A session against the in-process simulator answering as a gateway through
// the real request gate, with every encoded request recorded, every message
// box recorded and answered, and every report of the session recorded.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "RequestText.h"
#include "TestSupport.h"
#include "tool/device/Notifier.h"
#include "tool/device/ProductCatalogue.h"
#include "tool/device/SimulatorResponder.h"
#include "tool/session/ConfigurationSession.h"

using namespace gantry;

using namespace gantry::tool;

// The simulator as a gateway that can be unplugged: from the armed request on
// every reply is lost and every connect refused.
class CUnpluggableGateway : public CSimulatorResponder {
public:
    CUnpluggableGateway() { Simulator().SetCompleteMode(true); }

    DeviceResult Connect() override {
        ++connects;
        return unplugged ? DeviceResult::Failed : CSimulatorResponder::Connect();
    }
    DeviceResult SendRequest(const DeviceRequest& request, DeviceReply& reply) override {
        if (loseFrom > 0 && --loseFrom == 0) {
            unplugged = true;
        }
        if (unplugged) {
            return DeviceResult::Failed;
        }
        return CSimulatorResponder::SendRequest(request, reply);
    }

    int loseFrom = 0;  // 0: never; n: the n-th request from now is lost
    bool unplugged = false;
    int connects = 0;
};

struct ShownMessage {
    std::string text;
    std::string caption;
    NotifyButtons buttons;
    NotifyIcon icon;
    NotifyAnswer defaultAnswer = NotifyAnswer::Ok;  // the button Enter chooses
};

class CRecordingNotifier : public INotifier {
public:
    NotifyAnswer Notify(const std::string& text, const std::string& caption, NotifyButtons buttons,
                        NotifyIcon icon, NotifyAnswer defaultAnswer) override {
        shown.push_back({text, caption, buttons, icon, defaultAnswer});
        if (buttons == NotifyButtons::YesNoCancel && answerCancel) {
            return NotifyAnswer::Cancel;
        }
        if (buttons == NotifyButtons::YesNo || buttons == NotifyButtons::YesNoCancel) {
            return answerYes ? NotifyAnswer::Yes : NotifyAnswer::No;
        }
        return NotifyAnswer::Ok;
    }
    bool answerYes = true;
    bool answerCancel = false;  // Yes / No / Cancel questions answered Cancel
    std::vector<ShownMessage> shown;
};

class CRecordingListener : public ISessionListener {
public:
    void LayoutRebuilt(const ScreenLayout& layout, int previousHeight) override {
        layouts.push_back(layout);
        previousHeights.push_back(previousHeight);
    }
    void ScreensChanged(const std::vector<ScreenKind>& screens) override {
        screenChanges.push_back(screens);
    }
    void RunStateChanged(int runState) override { runStates.push_back(runState); }
    void OfflineChanged(bool offline) override { offlineChanges.push_back(offline); }
    std::optional<std::string> ChooseSavePath(const std::string& title) override {
        saveDialogTitles.push_back(title);
        return savePath;
    }
    ScreenEntries CurrentEntries() override { return entries; }
    std::optional<int> ChooseProduct(const std::vector<std::string>& items) override {
        productLists.push_back(items);
        return productChoice;
    }
    void IoTableProgress(int point, int total) override { progress.emplace_back(point, total); }
    void Clear() { *this = CRecordingListener{}; }

    std::vector<ScreenLayout> layouts;
    std::vector<int> previousHeights;
    std::vector<std::vector<ScreenKind>> screenChanges;
    std::vector<int> runStates;
    std::vector<bool> offlineChanges;
    std::vector<std::string> saveDialogTitles;
    std::optional<std::string> savePath;  // the Save As dialog's answer
    ScreenEntries entries;                // what the screens' entries hold
    std::vector<std::vector<std::string>> productLists;
    std::optional<int> productChoice;
    std::vector<std::pair<int, int>> progress;  // I/O table: point k of n
};

// Identity sections of the five known pairs as GYSim.ini writes them.
struct GatewayIdentity {
    int clientType;
    int serverType;
    std::string revision;  // "1.08"
    std::uint32_t serial;
    std::string runMode = "Idle";
};

class SessionTest : public ::testing::Test {
protected:
    // A gateway of the identity on the line; the session not yet started.
    void Plug(const GatewayIdentity& identity, const std::string& extraSections = "") {
        WriteIdentity(identity, extraSections);
        Attach(std::make_unique<CUnpluggableGateway>());
    }
    // A session on `gateway` whose requests are recorded; not yet started.
    void Attach(std::unique_ptr<CUnpluggableGateway> gateway) {
        m_gateway = gateway.get();
        m_session = std::make_unique<ConfigurationSession>(std::move(gateway), &m_notifier,
                                                           &m_clock, &m_listener);
        m_session->Gate().SetRequestObserver(
            [this](const std::vector<std::uint8_t>& bytes, int result, const DeviceReply&) {
                m_requests.push_back(DescribeRequest(bytes));
                m_results.push_back(result);
            });
    }
    // Plugs and starts: the first Refresh Device Status uploads.
    void PlugAndStart(const GatewayIdentity& identity, const std::string& extraSections = "") {
        Plug(identity, extraSections);
        m_session->Start();
        ASSERT_EQ(m_session->ModulePaneText(), "ONLINE");
        TakeRequests();
        m_notifier.shown.clear();
        m_listener.Clear();
    }
    // Rewrites the simulated gateway's identity (another gateway on the line,
    // or the same one in another mode); other sections are replaced too.
    void WriteIdentity(const GatewayIdentity& id, const std::string& extraSections = "") {
        WriteFileBytes(
            m_dir.File("GYSim.ini"),
            "[Identity]\nProduct Name=Test Gateway\nClient Type=" + std::to_string(id.clientType) +
                "\nServer Type=" + std::to_string(id.serverType) +
                "\nFirmware Revision=" + id.revision +
                "\nSerial Number=" + std::to_string(id.serial) + "\nRun Mode=" + id.runMode +
                "\n[ModbusConfig]\nSlave Address=5\n[DNetConfig]\nMAC Address=63\n" +
                extraSections);
    }
    std::vector<std::string> TakeRequests() {
        m_results.clear();
        return std::exchange(m_requests, {});
    }
    // Requests that change the gateway: Set single, Set all, Save, Reset.
    static int CountWrites(const std::vector<std::string>& requests) {
        int writes = 0;
        for (const std::string& r : requests) {
            if (r.rfind("S ", 0) == 0 || r.rfind("SA ", 0) == 0 || r.rfind("Save ", 0) == 0 ||
                r.rfind("5 ", 0) == 0) {
                ++writes;
            }
        }
        return writes;
    }
    static std::vector<std::string> Saves(const std::vector<std::string>& requests) {
        std::vector<std::string> saves;
        for (const std::string& r : requests) {
            if (r.rfind("Save ", 0) == 0) {
                saves.push_back(r);
            }
        }
        return saves;
    }
    static int CountPrefix(const std::vector<std::string>& requests, const std::string& prefix) {
        int count = 0;
        for (const std::string& r : requests) {
            count += r.rfind(prefix, 0) == 0 ? 1 : 0;
        }
        return count;
    }

    ScopedGantryDir m_dir;
    CInstantClock m_clock;
    CRecordingNotifier m_notifier;
    CRecordingListener m_listener;
    CUnpluggableGateway* m_gateway = nullptr;
    std::unique_ptr<ConfigurationSession> m_session;
    std::vector<std::string> m_requests;
    std::vector<int> m_results;
};

inline const GatewayIdentity f_profibusJ1939{IT_J1939, IT_ProfibusSlave, "1.08", 0x1001};
inline const GatewayIdentity f_ethernetJ1939{IT_J1939, IT_EthernetServer, "2.08", 0x2002};
inline const GatewayIdentity f_j1939Modbus{IT_J1939, IT_ModbusSlave, "2.07", 0x3003};
inline const GatewayIdentity f_ethernetDeviceNet{IT_DeviceNetMaster, IT_EthernetServer, "1.11",
                                                 0x4004};
inline const GatewayIdentity f_profibusDeviceNet{IT_DeviceNetMaster, IT_ProfibusSlave, "1.10",
                                                 0x5005};
