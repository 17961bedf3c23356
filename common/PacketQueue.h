// Fixed-capacity ring queue of packets of one class.
//
// A client connection of libKV121032.so owns three queues and hands pointers to
// them to the driver, whose worker thread pushes and pops from then on. Every
// operation holds the queue's lock for its whole body, including the copy of
// up to 2049 data bytes; none blocks waiting for room or data, and there is no
// signalling: a consumer finds new packets only by popping again.
#pragma once

#include <cstdint>
#include <mutex>

#include "common/Packet.h"

namespace gantry {

class CPacketQueue {
public:
    enum EState : std::uint32_t { QS_Empty = 0, QS_Full = 1, QS_Partial = 2 };

    // Builds `capacity` empty packets of the class chosen by `type`: CPacketCIP
    // for 1, CPacket1708 for 2, CCmdPacket for anything else (the library uses -1).
    CPacketQueue(std::uint32_t capacity, std::int32_t type);
    ~CPacketQueue();
    CPacketQueue(const CPacketQueue&) = delete;
    CPacketQueue& operator=(const CPacketQueue&) = delete;

    // Copies the packet into the next free slot; false when the queue is full,
    // or when the packet's class is not the queue's (the queue is unchanged then).
    bool Push(const CPacketCIP& packet);
    bool Push(const CPacket1708& packet);
    bool Push(const CCmdPacket& packet);

    // Copies the oldest packet into `packet` and frees its slot; false when the
    // queue is empty or holds another class (`packet` is left as it was).
    bool Pop(CPacketCIP& packet);
    bool Pop(CPacket1708& packet);
    bool Pop(CCmdPacket& packet);

    // Drops every stored packet.
    void Clear();

    std::int32_t Type() const { return m_nType; }
    std::uint32_t Capacity() const { return m_nCapacity; }
    // A snapshot; another thread may change it at once.
    std::uint32_t State() const;
    std::uint32_t ReadIndex() const;
    std::uint32_t WriteIndex() const;

private:
    template <class Packet>
    bool PushInto(Packet* slots, const Packet& packet);
    template <class Packet>
    bool PopFrom(Packet* slots, Packet& packet);
    std::uint32_t Advance(std::uint32_t index) const;
    static void CheckLayout();

    // Field order is part of the layout shared by both libraries.
    CPacket1708* m_p1708 = nullptr;  // non-null only for type 2
    CPacketCIP* m_pCIP = nullptr;    // non-null only for type 1
    CCmdPacket* m_pCmd = nullptr;    // non-null for any other type
    std::int32_t m_nType = 0;
    std::uint32_t m_nCapacity = 0;
    std::uint32_t m_nFirst = 0;  // always 0
    std::uint32_t m_nEnd = 0;    // equal to the capacity
    std::uint32_t m_nRead = 0;
    std::uint32_t m_nWrite = 0;
    std::uint32_t m_nState = QS_Empty;
    mutable std::mutex m_lock;  // protects the indices, the state and the slots
};

}  // namespace gantry
