// The J1939 I/O table: one record per point and the two ordered point arrays.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tool/device/DeviceRequest.h"
#include "tool/device/IoPointRecord.h"

namespace gantry::tool {

// One J1939 I/O data point: one PGN, or part of one, mapped into the gateway's
// data table. Offsets and lengths are in bits, the update rate in ms. The same
// record the gateway reads and writes (class 111).
using tagJ1939DataPoint = IoPointRecord;

enum J1939TableType : std::uint8_t {
    JT_Input = 0,
    JT_Output = 1,
    JT_ActiveDtc = 2,
    JT_PreviouslyActiveDtc = 3,
};

// Which of the two arrays a point lives in.
enum class IoDirection { Input = 0, Output = 1 };

constexpr std::uint32_t f_nDm1Pgn = 65226;
constexpr std::uint32_t f_nDm2Pgn = 65227;
constexpr std::size_t f_nTotalPointLimit = 200;

// Table types 0, 2 and 3 are received into the input table, 1 is sent from the
// output table. Other types belong to neither (false from IsValidTableType).
bool IsValidTableType(std::uint8_t table);
IoDirection DirectionOfTable(std::uint8_t table);
bool IsDtcTable(std::uint8_t table);

// Re-orders points ascending by dataOffset with the table's own procedure: the
// point at j moves behind the last later point with a smaller offset, and
// position j is examined again. Equal offsets keep the order this produces.
void OrderPoints(std::vector<tagJ1939DataPoint>& points);

// The J1939 I/O table. Main thread only. The arrays may hold more than the
// 200-point limit after a file was opened; only adding through the edit
// rules checks the limit.
class CJ1939IO {
public:
    // Adds a copy to the array of its direction and re-orders that array. A
    // point with a table type above 3 is ignored.
    void Add(const tagJ1939DataPoint& point);
    // Adds every point in turn exactly as Add would, in O(n log n): opening a
    // file of many points stays fast.
    void AddAll(const std::vector<tagJ1939DataPoint>& points);
    // Adds without re-ordering (an upload sorts once at the end).
    void Append(const tagJ1939DataPoint& point);
    // Replaces the point at index and re-orders; an index outside does nothing.
    void Replace(IoDirection direction, std::size_t index, const tagJ1939DataPoint& point);
    // The point at index, or nullptr when outside the array.
    const tagJ1939DataPoint* Get(IoDirection direction, std::size_t index) const;
    void Remove(IoDirection direction, std::size_t index);
    void RemoveAll(IoDirection direction);
    void Clear();
    void SortBoth();

    const std::vector<tagJ1939DataPoint>& Points(IoDirection direction) const;
    const std::vector<tagJ1939DataPoint>& Inputs() const { return m_inputs; }
    const std::vector<tagJ1939DataPoint>& Outputs() const { return m_outputs; }
    std::size_t TotalCount() const { return m_inputs.size() + m_outputs.size(); }

    // Largest dataOffset + dataLength over the array, 0 when empty, in bits.
    std::uint32_t UsedEnd(IoDirection direction) const;

    bool operator==(const CJ1939IO&) const = default;

private:
    std::vector<tagJ1939DataPoint>& Array(IoDirection direction);

    std::vector<tagJ1939DataPoint> m_inputs;
    std::vector<tagJ1939DataPoint> m_outputs;
};

}  // namespace gantry::tool
