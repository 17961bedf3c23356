// A stand-in RP1210 library for the transport's tests, built as a real shared
// library named libKV121032.so. It is scripted through environment variables,
// read on every call:
//   FAKE_RP1210_LOG            file that gets one line per call
//   FAKE_RP1210_CONNECT        "103:-1,105:3": ClientConnect result per device id
//                              (ids not listed answer 130)
//   FAKE_RP1210_SEND_RESULT    SendMessage result (default 0)
//   FAKE_RP1210_ERROR_TEXT     text GetErrorMsg writes (unset: GetErrorMsg fails)
//   FAKE_RP1210_REPLY          reply bytes in hexadecimal (unset: never replies)
//   FAKE_RP1210_REPLY_AFTER    the reply comes with the n-th read after a send
//   FAKE_RP1210_REPLY_DELAY_MS the reply comes no earlier than this after a send
// Built twice: once complete, once without RP1210_ReadMessage (FAKE_OMIT_READ).
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

int f_nReadsSinceSend = 0;
std::chrono::steady_clock::time_point f_sentAt;

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

void Log(const std::string& line) {
    const std::string path = Env("FAKE_RP1210_LOG");
    if (path.empty()) {
        return;
    }
    if (FILE* file = std::fopen(path.c_str(), "a")) {
        std::fprintf(file, "%s\n", line.c_str());
        std::fclose(file);
    }
}

std::string Hex(const char* bytes, int length) {
    std::string text;
    char pair[4];
    for (int i = 0; i < length; ++i) {
        std::snprintf(pair, sizeof pair, "%02X", static_cast<unsigned char>(bytes[i]));
        text += pair;
    }
    return text;
}

short ConnectResult(short deviceId) {
    const std::string script = Env("FAKE_RP1210_CONNECT");
    std::size_t position = 0;
    while (position < script.size()) {
        std::size_t end = script.find(',', position);
        if (end == std::string::npos) {
            end = script.size();
        }
        const std::string entry = script.substr(position, end - position);
        const std::size_t colon = entry.find(':');
        if (colon != std::string::npos && std::atoi(entry.substr(0, colon).c_str()) == deviceId) {
            return static_cast<short>(std::atoi(entry.substr(colon + 1).c_str()));
        }
        position = end + 1;
    }
    return 130;
}

}  // namespace

FAKE_EXPORT short RP1210_ClientConnect(void* /*window*/, short deviceId, const char* protocol,
                                       std::int32_t sendSize, std::int32_t receiveSize,
                                       short packetizing) {
    Log("connect " + std::to_string(deviceId) + " " + protocol + " " + std::to_string(sendSize) +
        " " + std::to_string(receiveSize) + " " + std::to_string(packetizing));
    return ConnectResult(deviceId);
}

FAKE_EXPORT short RP1210_ClientDisconnect(short clientId) {
    Log("disconnect " + std::to_string(clientId));
    return 0;
}

FAKE_EXPORT short RP1210_SendMessage(short clientId, const char* message, short size, short notify,
                                     short block) {
    Log("send " + std::to_string(clientId) + " " + Hex(message, size) + " " +
        std::to_string(notify) + " " + std::to_string(block));
    f_nReadsSinceSend = 0;
    f_sentAt = std::chrono::steady_clock::now();
    return static_cast<short>(std::atoi(Env("FAKE_RP1210_SEND_RESULT").c_str()));
}

#ifndef FAKE_OMIT_READ
FAKE_EXPORT short RP1210_ReadMessage(short clientId, char* buffer, short size, short block) {
    ++f_nReadsSinceSend;
    const std::string reply = Env("FAKE_RP1210_REPLY");
    const int after = std::max(1, std::atoi(Env("FAKE_RP1210_REPLY_AFTER").c_str()));
    const auto delay =
        std::chrono::milliseconds(std::atoi(Env("FAKE_RP1210_REPLY_DELAY_MS").c_str()));
    if (reply.empty() || f_nReadsSinceSend < after ||
        std::chrono::steady_clock::now() - f_sentAt < delay) {
        return 0;
    }
    const int length = static_cast<int>(reply.size() / 2);
    if (length > size) {
        return -141;
    }
    for (int i = 0; i < length; ++i) {
        buffer[i] = static_cast<char>(std::strtoul(reply.substr(2 * i, 2).c_str(), nullptr, 16));
    }
    Log("read " + std::to_string(clientId) + " " + std::to_string(size) + " " +
        std::to_string(block) + " after " + std::to_string(f_nReadsSinceSend));
    f_nReadsSinceSend = -1000000;  // one reply per send
    return static_cast<short>(length);
}
#endif

FAKE_EXPORT short RP1210_GetErrorMsg(short code, char* description) {
    Log("errormsg " + std::to_string(code));
    const char* text = std::getenv("FAKE_RP1210_ERROR_TEXT");
    if (text == nullptr) {
        return 134;
    }
    std::snprintf(description, 80, "%s", text);
    return 0;
}
