#include "rp1210/ConnectionManager.h"

#include <chrono>
#include <functional>
#include <list>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>

#include "common/Assert.h"
#include "common/Packet.h"
#include "rp1210/Connection.h"
#include "rp1210/Exception.h"
#include "rp1210/Lib.h"

namespace gantry::rp1210 {

namespace {

constexpr std::int16_t f_nMaximumClientId = 127;
// Pause between two empty polls of a blocking read, so that it does not
// spin a core while it waits.
constexpr auto f_blockingReadPoll = std::chrono::milliseconds(1);

}  // namespace

struct ConnectionManager::Impl {
    // protects m_connections, m_libs, m_nNextSerial, every connection's state
    // and every call into a driver
    mutable std::mutex m_lock;
    std::map<std::int16_t, std::unique_ptr<CConnection>> m_connections;
    std::list<std::unique_ptr<Lib>> m_libs;
    std::uint64_t m_nNextSerial = 1;
    std::function<void()> m_driverLoaded;

    // The connection of `clientId`; throws 129 when there is none.
    CConnection& Find(std::int16_t clientId) const {
        const auto hit = m_connections.find(clientId);
        if (hit == m_connections.end()) {
            ThrowError(ERR_INVALID_CLIENT_ID);
        }
        return *hit->second;
    }
    // As Find, and throws 148 when the link was closed by command 0.
    CConnection& FindLinked(std::int16_t clientId) const {
        CConnection& connection = Find(clientId);
        if (!connection.IsLinked()) {
            ThrowError(ERR_CLIENT_DISCONNECTED);
        }
        return connection;
    }
    Lib& FindOrLoadDriver(const std::string& fileName);
    void ReleaseDriver(Lib& lib);
    std::int16_t FreeClientId() const;
    void DisconnectLocked(std::int16_t clientId);
};

Lib& ConnectionManager::Impl::FindOrLoadDriver(const std::string& fileName) {
    for (const auto& lib : m_libs) {
        if (lib->FileName() == fileName) {
            return *lib;
        }
    }
    m_libs.push_back(std::make_unique<Lib>(fileName));
    if (m_driverLoaded) {
        m_driverLoaded();
    }
    return *m_libs.back();
}

void ConnectionManager::Impl::ReleaseDriver(Lib& lib) {
    if (lib.ClientCount() != 0) {
        return;
    }
    const auto erased = m_libs.remove_if([&lib](const auto& held) { return held.get() == &lib; });
    GY_ASSERT(erased == 1);
}

std::int16_t ConnectionManager::Impl::FreeClientId() const {
    for (std::int16_t id = 0; id <= f_nMaximumClientId; ++id) {
        if (m_connections.count(id) == 0) {
            return id;
        }
    }
    ThrowError(ERR_CLIENT_AREA_FULL);
}

void ConnectionManager::Impl::DisconnectLocked(std::int16_t clientId) {
    CConnection& connection = Find(clientId);
    Lib& lib = connection.Driver();
    connection.CloseLink();
    const std::size_t nNumErased = m_connections.erase(clientId);
    GY_ASSERT(nNumErased == 1);
    ReleaseDriver(lib);
}

ConnectionManager::ConnectionManager() : m_pImpl(std::make_unique<Impl>()) {}

ConnectionManager::~ConnectionManager() {
    DisconnectAll();
    GY_ASSERT(m_pImpl->m_connections.empty() && m_pImpl->m_libs.empty());
}

void ConnectionManager::DisconnectAll() {
    std::lock_guard<std::mutex> guard(m_pImpl->m_lock);
    while (!m_pImpl->m_connections.empty()) {
        m_pImpl->DisconnectLocked(m_pImpl->m_connections.begin()->first);
    }
    m_pImpl->m_libs.clear();
}

void ConnectionManager::SetDriverLoadedHook(std::function<void()> hook) {
    std::lock_guard<std::mutex> guard(m_pImpl->m_lock);
    m_pImpl->m_driverLoaded = std::move(hook);
}

namespace {

std::string FirstWord(std::istringstream& words) {
    std::string word;
    words >> word;
    return word;
}

}  // namespace

std::int16_t ConnectionManager::Connect(std::int32_t deviceId, const char* protocol,
                                        std::int32_t sendSize, std::int32_t receiveSize) {
    Impl& impl = *m_pImpl;
    std::lock_guard<std::mutex> guard(impl.m_lock);
    const std::string params = ReadDeviceParams(deviceId);
    const std::int32_t protocolCode = ProtocolCodeFromName(protocol);
    if (protocolCode != PROTOCOL_CIP && protocolCode != PROTOCOL_J1708) {
        ThrowError(ERR_INVALID_PROTOCOL);
    }
    if (impl.m_connections.size() == 1 && !impl.m_connections.begin()->second->J1708Mode()) {
        ThrowError(ERR_CONNECT_NOT_ALLOWED);
    }
    std::istringstream words(params);
    const std::string driverFile = FirstWord(words);
    const std::string portParams = FirstWord(words);
    Lib& lib = impl.FindOrLoadDriver(driverFile);
    std::unique_ptr<CConnection> connection;
    std::uint16_t result = 0;
    try {
        const std::int16_t clientId = impl.FreeClientId();
        connection =
            std::make_unique<CConnection>(clientId, deviceId, portParams, lib, protocolCode,
                                          sendSize, receiveSize, impl.m_nNextSerial++);
        result = static_cast<std::uint16_t>(connection->OpenLink());
        if (result <= 126) {
            impl.m_connections.emplace(clientId, std::move(connection));
            return clientId;
        }
    } catch (...) {
        connection.reset();
        impl.ReleaseDriver(lib);
        throw;
    }
    connection.reset();
    impl.ReleaseDriver(lib);
    // The driver reports a failure as a negated code. A result that does not
    // negate to a code (127..32767) would read as a client id or as nonsense,
    // so it becomes "Unknown driver error".
    const auto refusal = static_cast<std::int16_t>(static_cast<std::uint16_t>(-result));
    ThrowError(refusal > 0 ? refusal : static_cast<std::int16_t>(ERR_UNKNOWN_DRIVER_ERROR));
}

void ConnectionManager::Disconnect(std::int16_t clientId) {
    std::lock_guard<std::mutex> guard(m_pImpl->m_lock);
    m_pImpl->DisconnectLocked(clientId);
}

void ConnectionManager::Send(std::int16_t clientId, const std::uint8_t* message,
                             std::int32_t size) {
    std::lock_guard<std::mutex> guard(m_pImpl->m_lock);
    m_pImpl->FindLinked(clientId).Send(message, size);
}

namespace {

// Pops one packet of the queue's class and formats it under the lock.
template <class Packet>
bool PopAndFormat(CPacketQueue& queue, std::mutex& lock,
                  const std::function<CConnection&()>& findSame, std::uint8_t* buffer,
                  std::int16_t size, std::int16_t& result) {
    Packet packet;
    if (!queue.Pop(packet)) {
        return false;
    }
    std::lock_guard<std::mutex> guard(lock);
    result = findSame().FormatReceived(packet, buffer, size);
    return true;
}

}  // namespace

std::int16_t ConnectionManager::Read(std::int16_t clientId, std::uint8_t* buffer, std::int16_t size,
                                     bool blocking) {
    Impl& impl = *m_pImpl;
    std::uint64_t serial = 0;
    // The same connection the read started on: a client disconnected (and its
    // id perhaps taken by a new client) meanwhile gives 129.
    const std::function<CConnection&()> findSame = [&]() -> CConnection& {
        CConnection& connection = impl.FindLinked(clientId);
        if (serial != 0 && connection.Serial() != serial) {
            ThrowError(ERR_INVALID_CLIENT_ID);
        }
        return connection;
    };
    for (;;) {
        std::shared_ptr<CPacketQueue> queue;
        std::int32_t protocol = 0;
        {
            std::lock_guard<std::mutex> guard(impl.m_lock);
            CConnection& connection = findSame();
            serial = connection.Serial();
            queue = connection.ReceiveQueue();
            protocol = connection.Protocol();
        }
        // Popping needs only the queue's own lock; the queue stays alive
        // through `queue` even if another thread closes the link now.
        std::int16_t result = 0;
        const bool popped =
            protocol == PROTOCOL_J1708
                ? PopAndFormat<CPacket1708>(*queue, impl.m_lock, findSame, buffer, size, result)
                : PopAndFormat<CPacketCIP>(*queue, impl.m_lock, findSame, buffer, size, result);
        if (popped || !blocking) {
            return result;
        }
        std::this_thread::sleep_for(f_blockingReadPoll);
    }
}

void ConnectionManager::Command(std::int16_t command, std::int16_t clientId,
                                const std::uint8_t* buffer, std::int16_t size) {
    Impl& impl = *m_pImpl;
    std::lock_guard<std::mutex> guard(impl.m_lock);
    CConnection& connection = impl.FindLinked(clientId);
    if (command == RC_ResetDevice) {
        if (impl.m_connections.size() >= 2) {
            ThrowError(ERR_MULTIPLE_CLIENTS_CONNECTED);
        }
        connection.CloseLink();
        return;
    }
    connection.Execute(command, buffer, size, impl.m_connections.size());
}

void ConnectionManager::Status(std::int16_t clientId, std::uint8_t* buffer) {
    std::lock_guard<std::mutex> guard(m_pImpl->m_lock);
    m_pImpl->FindLinked(clientId).WriteStatus(buffer);
}

void PreCheckCommand(std::int16_t command, const char* buffer, std::int16_t size) {
    switch (command) {
        case RC_ResetDevice:
        case RC_SetAllFiltersStatesToPass:
        case RC_SetAllFiltersStatesToDiscard:
            return;
        case RC_SetMessageFilteringForJ1939:
        case RC_SetMessageFilteringForCAN:
        case RC_GenericDriverCommand:
        case RC_ReleaseJ1939Address:
            ThrowError(ERR_DLL_NOT_INITIALIZED);
        case RC_SetMessageFilteringForJ1708:
            if (buffer == nullptr) {
                ThrowError(PE_InvalidBuffer);
            }
            // the MID list travels in one packet's data area
            if (size <= 0 || size > f_nPacketDataSize) {
                ThrowError(PE_InvalidBufferSize);
            }
            return;
        case RC_SetJ1708Mode:
        case RC_EchoTransmittedMessages:
        case RC_SetMessageReceive:
            if (buffer == nullptr) {
                ThrowError(PE_InvalidBuffer);
            }
            if (size <= 0) {
                ThrowError(PE_InvalidBufferSize);
            }
            if (buffer[0] != 0 && buffer[0] != 1) {
                ThrowError(ERR_INVALID_COMMAND);
            }
            return;
        default:
            ThrowError(ERR_COMMAND_NOT_SUPPORTED);
    }
}

}  // namespace gantry::rp1210
