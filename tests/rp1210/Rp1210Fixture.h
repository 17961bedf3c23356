// Loads a fresh copy of libKV121032.so for each test (so every test starts
// with an empty library state), in a fresh Gantry directory, and reaches the
// stub drivers that the tests name in KV121032.INI.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "common/PacketQueue.h"
#include "common/SharedLibrary.h"
#include "rp1210/RP1210.h"

using namespace gantry;

inline std::string StubPath(const std::string& name) {
    return std::string(STUB_DIR) + "/lib" + name + ".so";
}

class Rp1210Test : public ::testing::Test {
protected:
    void SetUp() override {
        ::unsetenv("STUB_CONNECT_RESULT");
        ASSERT_TRUE(m_library.Open(KV121032_PATH)) << m_library.Error();
        ClientConnect = Bind<RP1210ClientConnectFn>("RP1210_ClientConnect");
        ClientDisconnect = Bind<RP1210ClientDisconnectFn>("RP1210_ClientDisconnect");
        SendMessage = Bind<RP1210SendMessageFn>("RP1210_SendMessage");
        ReadMessage = Bind<RP1210ReadMessageFn>("RP1210_ReadMessage");
        SendCommand = Bind<RP1210SendCommandFn>("RP1210_SendCommand");
        ReadVersion = Bind<RP1210ReadVersionFn>("RP1210_ReadVersion");
        GetErrorMsg = Bind<RP1210GetErrorMsgFn>("RP1210_GetErrorMsg");
        GetHardwareStatus = Bind<RP1210GetHardwareStatusFn>("RP1210_GetHardwareStatus");
    }
    void TearDown() override {
        UnloadLibrary();
        ::unsetenv("STUB_CONNECT_RESULT");
    }

    // Unloading the library destroys its state: remaining clients are
    // disconnected and their drivers unloaded.
    void UnloadLibrary() { m_library.Close(); }

    template <class Function>
    Function Bind(const char* name) {
        auto function = m_library.Resolve<Function>(name);
        EXPECT_NE(function, nullptr) << name;
        return function;
    }

    // Writes KV121032.INI with one DeviceParams value per device id.
    void WriteIni(const std::map<int, std::string>& devices) {
        std::ofstream ini(m_dir.File("KV121032.INI"));
        ini << "; written by the test\r\n";
        for (const auto& [deviceId, params] : devices) {
            ini << "[DeviceInformation" << deviceId << "]\r\nDeviceParams=" << params << "\r\n";
        }
    }

    // The calls a stub driver logged, one per line.
    std::vector<std::string> StubLog(const std::string& name = "StubDriver") const {
        std::vector<std::string> lines;
        std::ifstream log(m_dir.File(name + ".log"));
        for (std::string line; std::getline(log, line);) {
            lines.push_back(line);
        }
        return lines;
    }
    int CountInLog(const std::string& line, const std::string& name = "StubDriver") const {
        int count = 0;
        for (const auto& logged : StubLog(name)) {
            count += logged == line ? 1 : 0;
        }
        return count;
    }

    // True when the stub driver is loaded in the process now.
    static bool StubLoaded(const std::string& name) {
        void* handle = ::dlopen(StubPath(name).c_str(), RTLD_NOW | RTLD_NOLOAD);
        if (handle == nullptr) {
            return false;
        }
        ::dlclose(handle);
        return true;
    }

    // A hook of a loaded stub driver.
    template <class Function>
    static Function StubHook(const std::string& name, const char* hook) {
        void* handle = ::dlopen(StubPath(name).c_str(), RTLD_NOW | RTLD_NOLOAD);
        if (handle == nullptr) {
            return nullptr;
        }
        auto function = reinterpret_cast<Function>(::dlsym(handle, hook));
        ::dlclose(handle);  // the library itself keeps it loaded
        return function;
    }
    static CPacketQueue* StubQueue(const char* hook, int deviceId,
                                   const std::string& name = "StubDriver") {
        auto function = StubHook<CPacketQueue* (*)(std::int32_t)>(name, hook);
        return function != nullptr ? function(deviceId) : nullptr;
    }
    static CPacketQueue* ReceiveQueue(int deviceId, const std::string& name = "StubDriver") {
        return StubQueue("Stub_ReceiveQueue", deviceId, name);
    }
    static CPacketQueue* TransmitQueue(int deviceId, const std::string& name = "StubDriver") {
        return StubQueue("Stub_TransmitQueue", deviceId, name);
    }
    static CPacketQueue* CommandQueue(int deviceId, const std::string& name = "StubDriver") {
        return StubQueue("Stub_CommandQueue", deviceId, name);
    }

    // Connect with the usual ignored arguments.
    std::int16_t Connect(int deviceId, const char* protocol) {
        return ClientConnect(nullptr, static_cast<std::int16_t>(deviceId), protocol, 512, 512, 0);
    }

    ScopedGantryDir m_dir;  // first: outlives the library
    CSharedLibrary m_library;
    RP1210ClientConnectFn ClientConnect = nullptr;
    RP1210ClientDisconnectFn ClientDisconnect = nullptr;
    RP1210SendMessageFn SendMessage = nullptr;
    RP1210ReadMessageFn ReadMessage = nullptr;
    RP1210SendCommandFn SendCommand = nullptr;
    RP1210ReadVersionFn ReadVersion = nullptr;
    RP1210GetErrorMsgFn GetErrorMsg = nullptr;
    RP1210GetHardwareStatusFn GetHardwareStatus = nullptr;
};
