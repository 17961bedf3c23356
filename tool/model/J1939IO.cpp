#include "tool/model/J1939IO.h"

#include <algorithm>

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
