#include "common/PacketQueue.h"

#include <cstddef>

namespace gantry {

// The field order both libraries rely on.
void CPacketQueue::CheckLayout() {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
    static_assert(offsetof(CPacketQueue, m_p1708) == 0);
    static_assert(offsetof(CPacketQueue, m_pCIP) == 8);
    static_assert(offsetof(CPacketQueue, m_pCmd) == 16);
    static_assert(offsetof(CPacketQueue, m_nType) == 24);
    static_assert(offsetof(CPacketQueue, m_nCapacity) == 28);
    static_assert(offsetof(CPacketQueue, m_nFirst) == 32);
    static_assert(offsetof(CPacketQueue, m_nEnd) == 36);
    static_assert(offsetof(CPacketQueue, m_nRead) == 40);
    static_assert(offsetof(CPacketQueue, m_nWrite) == 44);
    static_assert(offsetof(CPacketQueue, m_nState) == 48);
    static_assert(offsetof(CPacketQueue, m_lock) == 56);
#pragma GCC diagnostic pop
}

CPacketQueue::CPacketQueue(std::uint32_t capacity, std::int32_t type)
    : m_nType(type), m_nCapacity(capacity), m_nEnd(capacity) {
    if (type == PROTOCOL_CIP) {
        m_pCIP = new CPacketCIP[capacity];
    } else if (type == PROTOCOL_J1708) {
        m_p1708 = new CPacket1708[capacity];
    } else {
        m_pCmd = new CCmdPacket[capacity];
    }
}

CPacketQueue::~CPacketQueue() {
    Clear();
    delete[] m_pCIP;
    delete[] m_p1708;
    delete[] m_pCmd;
}

std::uint32_t CPacketQueue::Advance(std::uint32_t index) const {
    ++index;
    return index == m_nEnd ? m_nFirst : index;
}

template <class Packet>
bool CPacketQueue::PushInto(Packet* slots, const Packet& packet) {
    std::lock_guard<std::mutex> guard(m_lock);
    if (slots == nullptr || m_nCapacity == 0 || m_nState == QS_Full) {
        return false;
    }
    slots[m_nWrite] = packet;
    m_nWrite = Advance(m_nWrite);
    // full and empty both have read == write; only the state tells them apart
    if (m_nWrite == m_nRead) {
        m_nState = QS_Full;
    } else if (m_nState == QS_Empty) {
        m_nState = QS_Partial;
    }
    return true;
}

template <class Packet>
bool CPacketQueue::PopFrom(Packet* slots, Packet& packet) {
    std::lock_guard<std::mutex> guard(m_lock);
    if (slots == nullptr || m_nState == QS_Empty) {
        return false;
    }
    packet = slots[m_nRead];
    if (m_nState == QS_Full) {
        m_nState = QS_Partial;
    }
    m_nRead = Advance(m_nRead);
    if (m_nRead == m_nWrite) {
        m_nState = QS_Empty;
    }
    return true;
}

bool CPacketQueue::Push(const CPacketCIP& packet) {
    return PushInto(m_pCIP, packet);
}
bool CPacketQueue::Push(const CPacket1708& packet) {
    return PushInto(m_p1708, packet);
}
bool CPacketQueue::Push(const CCmdPacket& packet) {
    return PushInto(m_pCmd, packet);
}
bool CPacketQueue::Pop(CPacketCIP& packet) {
    return PopFrom(m_pCIP, packet);
}
bool CPacketQueue::Pop(CPacket1708& packet) {
    return PopFrom(m_p1708, packet);
}
bool CPacketQueue::Pop(CCmdPacket& packet) {
    return PopFrom(m_pCmd, packet);
}

void CPacketQueue::Clear() {
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_nState != QS_Empty) {
        m_nRead = m_nWrite = m_nFirst;
        m_nState = QS_Empty;
    }
}

std::uint32_t CPacketQueue::State() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_nState;
}

std::uint32_t CPacketQueue::ReadIndex() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_nRead;
}

std::uint32_t CPacketQueue::WriteIndex() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_nWrite;
}

}  // namespace gantry
