#include "tool/model/J1939IO.h"

#include <algorithm>
#include <tuple>

namespace gantry::tool {

bool IsValidTableType(std::uint8_t table) {
    return table <= JT_PreviouslyActiveDtc;
}

IoDirection DirectionOfTable(std::uint8_t table) {
    return table == JT_Output ? IoDirection::Output : IoDirection::Input;
}

bool IsDtcTable(std::uint8_t table) {
    return table == JT_ActiveDtc || table == JT_PreviouslyActiveDtc;
}

void OrderPoints(std::vector<tagJ1939DataPoint>& points) {
    std::size_t j = 0;
    while (j + 1 < points.size()) {
        const std::uint16_t offset = points[j].dataOffset;
        std::size_t found = j;
        for (std::size_t k = points.size() - 1; k > j; --k) {
            if (points[k].dataOffset < offset) {
                found = k;
                break;
            }
        }
        if (found == j) {
            ++j;
            continue;
        }
        // insert after position k, then remove from j: a left rotation of [j, k]
        std::rotate(points.begin() + static_cast<std::ptrdiff_t>(j),
                    points.begin() + static_cast<std::ptrdiff_t>(j) + 1,
                    points.begin() + static_cast<std::ptrdiff_t>(found) + 1);
    }
}

void CJ1939IO::Add(const tagJ1939DataPoint& point) {
    if (!IsValidTableType(point.table)) {
        return;
    }
    auto& array = Array(DirectionOfTable(point.table));
    auto byOffset = [](const tagJ1939DataPoint& a, const tagJ1939DataPoint& b) {
        return a.dataOffset < b.dataOffset;
    };
    if (!std::is_sorted(array.begin(), array.end(), byOffset)) {
        array.push_back(point);
        OrderPoints(array);
        return;
    }
    // On an ordered array the procedure leaves the points up to the new
    // offset in place, puts the new point behind them, and moves every later
    // point behind it one by one, which reverses each run of equal offsets.
    // Doing that directly keeps opening a large file linear per point.
    const auto firstGreater = std::upper_bound(array.begin(), array.end(), point, byOffset);
    const auto position = array.insert(firstGreater, point);
    for (auto run = position + 1; run != array.end();) {
        auto runEnd = run;
        while (runEnd != array.end() && runEnd->dataOffset == run->dataOffset) {
            ++runEnd;
        }
        std::reverse(run, runEnd);
        run = runEnd;
    }
}

namespace {

// Counts of the offsets added so far, to ask how many are below an offset.
// Indexed by rank among the batch's distinct offsets.
class COffsetCounts {
public:
    explicit COffsetCounts(const std::vector<tagJ1939DataPoint>& points) {
        for (const auto& point : points) {
            m_offsets.push_back(point.dataOffset);
        }
        std::sort(m_offsets.begin(), m_offsets.end());
        m_offsets.erase(std::unique(m_offsets.begin(), m_offsets.end()), m_offsets.end());
        m_tree.assign(m_offsets.size() + 1, 0);
    }
    void Add(std::uint16_t offset) {
        for (std::size_t i = Rank(offset) + 1; i < m_tree.size(); i += i & (~i + 1)) {
            ++m_tree[i];
        }
    }
    std::size_t Below(std::uint16_t offset) const {
        std::size_t count = 0;
        for (std::size_t i = Rank(offset); i > 0; i -= i & (~i + 1)) {
            count += m_tree[i];
        }
        return count;
    }

private:
    std::size_t Rank(std::uint16_t offset) const {
        return static_cast<std::size_t>(
            std::lower_bound(m_offsets.begin(), m_offsets.end(), offset) - m_offsets.begin());
    }

    std::vector<std::uint16_t> m_offsets;
    std::vector<std::size_t> m_tree;
};

// The order that adding the points one by one to an empty array gives. A
// point goes behind the points with offsets up to its own, and every run of
// equal larger offsets is reversed: so a run is reversed once per later point
// with a smaller offset. Within its run a point therefore lands at the back
// when an even number of smaller points came before it, else at the front;
// the run as a whole is reversed once more when the number of smaller points
// in the end is odd.
std::vector<tagJ1939DataPoint> OrderAsAdded(const std::vector<tagJ1939DataPoint>& points) {
    COffsetCounts counts(points);
    // (offset, place in its run, index): fronts come latest first, backs in turn
    std::vector<std::tuple<std::uint16_t, std::int64_t, std::size_t>> places;
    places.reserve(points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        const std::uint16_t offset = points[i].dataOffset;
        const bool front = counts.Below(offset) % 2 == 1;
        const auto at = static_cast<std::int64_t>(i);
        places.emplace_back(offset, front ? -at - 1 : at, i);
        counts.Add(offset);
    }
    std::sort(places.begin(), places.end());
    std::vector<tagJ1939DataPoint> ordered;
    ordered.reserve(points.size());
    for (std::size_t runStart = 0; runStart < places.size();) {
        std::size_t runEnd = runStart;
        while (runEnd < places.size() &&
               std::get<0>(places[runEnd]) == std::get<0>(places[runStart])) {
            ++runEnd;
        }
        const std::size_t first = ordered.size();
        for (std::size_t k = runStart; k < runEnd; ++k) {
            ordered.push_back(points[std::get<2>(places[k])]);
        }
        if (first % 2 == 1) {  // an odd number of smaller points in the end
            std::reverse(ordered.begin() + static_cast<std::ptrdiff_t>(first), ordered.end());
        }
        runStart = runEnd;
    }
    return ordered;
}

}  // namespace

void CJ1939IO::AddAll(const std::vector<tagJ1939DataPoint>& points) {
    std::vector<tagJ1939DataPoint> byDirection[2];
    for (const auto& point : points) {
        if (IsValidTableType(point.table)) {
            byDirection[static_cast<int>(DirectionOfTable(point.table))].push_back(point);
        }
    }
    for (IoDirection direction : {IoDirection::Input, IoDirection::Output}) {
        auto& array = Array(direction);
        const auto& added = byDirection[static_cast<int>(direction)];
        if (array.empty()) {
            array = OrderAsAdded(added);
            continue;
        }
        for (const auto& point : added) {
            Add(point);
        }
    }
}

void CJ1939IO::Append(const tagJ1939DataPoint& point) {
    if (IsValidTableType(point.table)) {
        Array(DirectionOfTable(point.table)).push_back(point);
    }
}

void CJ1939IO::Replace(IoDirection direction, std::size_t index, const tagJ1939DataPoint& point) {
    auto& array = Array(direction);
    if (index >= array.size()) {
        return;
    }
    array[index] = point;
    OrderPoints(array);
}

const tagJ1939DataPoint* CJ1939IO::Get(IoDirection direction, std::size_t index) const {
    const auto& array = Points(direction);
    return index < array.size() ? &array[index] : nullptr;
}

void CJ1939IO::Remove(IoDirection direction, std::size_t index) {
    auto& array = Array(direction);
    if (index < array.size()) {
        array.erase(array.begin() + static_cast<std::ptrdiff_t>(index));
    }
}

void CJ1939IO::RemoveAll(IoDirection direction) {
    Array(direction).clear();
}

void CJ1939IO::Clear() {
    m_inputs.clear();
    m_outputs.clear();
}

void CJ1939IO::SortBoth() {
    OrderPoints(m_inputs);
    OrderPoints(m_outputs);
}

const std::vector<tagJ1939DataPoint>& CJ1939IO::Points(IoDirection direction) const {
    return direction == IoDirection::Input ? m_inputs : m_outputs;
}

std::vector<tagJ1939DataPoint>& CJ1939IO::Array(IoDirection direction) {
    return direction == IoDirection::Input ? m_inputs : m_outputs;
}

std::uint32_t CJ1939IO::UsedEnd(IoDirection direction) const {
    std::uint32_t end = 0;
    for (const auto& point : Points(direction)) {
        end = std::max<std::uint32_t>(end, std::uint32_t{point.dataOffset} + point.dataLength);
    }
    return end;
}

}  // namespace gantry::tool
