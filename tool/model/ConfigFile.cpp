#include "tool/model/ConfigFile.h"

#include <algorithm>
#include <cstdio>

#include "common/AtomicFile.h"
#include "tool/device/DeviceRequest.h"
#include "tool/device/InputFile.h"
#include "tool/device/ProductCatalogue.h"
#include "tool/model/ByteCursor.h"

namespace gantry::tool {

namespace {

constexpr std::size_t PointRecordSize(std::uint32_t version) {
    return version < 2 ? 14 : 15;
}

bool ReadDeviceNet(CByteReader& in, std::uint32_t version, DeviceNetFileSection& s) {
    if (!in.Long(s.macAddress) || !in.Long(s.baudIndex) || !in.Long(s.autobaud) ||
        !in.Long(s.swapIo)) {
        return false;
    }
    if (version >= 3) {
        return in.Long(s.statusInInput) && in.Long(s.inputSafeState);
    }
    return true;
}

bool ReadModbus(CByteReader& in, bool enhanced, ModbusFileSection& s) {
    if (!in.Long(s.networkAddress) || !in.Long(s.baudRate) || !in.Long(s.parity) ||
        !in.Long(s.stopBits) || !in.Long(s.watchdogMs)) {
        return false;
    }
    return !enhanced || (in.Long(s.networkType) && in.Long(s.networkDuplex));
}

// Versions 1 and 2: each flag is present only behind its 0xFFFF marker; the
// last value read is the address count.
bool ReadOldJ1939Flags(CByteReader& in, J1939FileSection& s, std::uint32_t& count) {
    std::uint32_t value = 0;
    if (!in.Long(value)) {
        return false;
    }
    s.busOffMarker = value == f_nJ1939SectionMarker;
    if (s.busOffMarker && (!in.Long(s.busOffReset) || !in.Long(value))) {
        return false;
    }
    s.swapMarker = value == f_nJ1939SectionMarker;
    if (s.swapMarker && (!in.Long(s.swapIo) || !in.Long(value))) {
        return false;
    }
    count = value;
    return true;
}

bool ReadPoint(CByteReader& in, std::uint32_t version, tagJ1939DataPoint& point) {
    // length before offset, address before PGN: the file's own field order
    if (!in.Byte(point.table) || !in.Byte(point.address) || !in.Long(point.pgn) ||
        !in.Word(point.dataLength) || !in.Word(point.dataOffset) || !in.Word(point.updateRate) ||
        !in.Word(point.messageOffset)) {
        return false;
    }
    point.priority = 6;
    return version < 2 || in.Byte(point.priority);
}

bool ReadJ1939(CByteReader& in, std::uint32_t version, J1939FileSection& s) {
    std::uint32_t count = 0;
    if (!in.Bytes(s.name.data(), s.name.size())) {
        return false;
    }
    if (version >= 3) {
        std::uint32_t marker = 0;
        if (!in.Long(marker) || !in.Long(s.busOffReset) || !in.Long(marker) || !in.Long(s.swapIo) ||
            !in.Long(s.statusInInput) || !in.Long(count)) {
            return false;
        }
    } else if (!ReadOldJ1939Flags(in, s, count)) {
        return false;
    }
    if (count > 255) {
        return false;  // the list holds at most 255 addresses
    }
    s.addresses.resize(count);
    if (!in.Bytes(s.addresses.data(), count)) {
        return false;
    }
    if (version >= 5 && !in.Long(s.offlineTimeMs)) {
        return false;
    }
    if (version >= 6 && !in.Long(s.baudIndex)) {
        return false;
    }
    std::uint32_t points = 0;
    if (!in.Long(points) || points > in.Remaining() / PointRecordSize(version)) {
        return false;
    }
    s.points.resize(points);
    for (auto& point : s.points) {
        if (!ReadPoint(in, version, point)) {
            return false;
        }
    }
    return true;
}

bool ReadEthernet(CByteReader& in, std::uint32_t version, EthernetFileSection& s) {
    if (!in.Bytes(s.ip.data(), 4) || !in.Bytes(s.subnetMask.data(), 4) ||
        !in.Bytes(s.gateway.data(), 4) || !in.Long(s.dhcpIndex) || !in.Long(s.speedIndex) ||
        !in.Long(s.duplexIndex) || !in.Long(s.modbusTimeoutMs)) {
        return false;
    }
    s.ioSize = 500;
    return version < 4 || in.Long(s.ioSize);
}

bool ReadHeader(CByteReader& in, ConfigFileImage& image) {
    std::uint32_t first = 0;
    std::uint32_t second = 0;
    if (!in.Long(first) || !in.Long(second)) {
        return false;
    }
    if (first == f_nConfigFileMagic) {
        image.version = second;
        // no file was ever written as version 0 or of an unknown interface:
        // neither layout is known
        return image.version != 0 && in.Long(image.clientType) && in.Long(image.serverType) &&
               IsKnownInterfaceType(image.clientType) && IsKnownInterfaceType(image.serverType) &&
               in.Long(image.runState);
    }
    // Without the magic the first two values must be interface type codes, or
    // any file at all (a text file) would open as a version-1 configuration.
    if (!IsKnownInterfaceType(first) || !IsKnownInterfaceType(second)) {
        return false;
    }
    image.version = 1;
    image.clientType = first;
    image.serverType = second;
    return in.Long(image.runState);
}

}  // namespace

std::optional<std::pair<std::uint32_t, std::uint32_t>> ParseConfigFilePair(
    std::span<const std::uint8_t> bytes) {
    CByteReader in(bytes);
    ConfigFileImage image;
    if (!ReadHeader(in, image)) {
        return std::nullopt;
    }
    return std::make_pair(image.clientType, image.serverType);
}

std::optional<ConfigFileImage> ParseConfigFile(std::span<const std::uint8_t> bytes) {
    CByteReader in(bytes);
    ConfigFileImage image;
    if (!ReadHeader(in, image)) {
        return std::nullopt;
    }
    const std::uint32_t version = image.version > 6 ? 6 : image.version;
    const RecordSet records = RecordsOfPair(image.clientType, image.serverType);
    if (records.deviceNet && !ReadDeviceNet(in, version, image.deviceNet.emplace())) {
        return std::nullopt;
    }
    if (records.modbus && !ReadModbus(in, false, image.modbus.emplace())) {
        return std::nullopt;
    }
    if (records.modbusEnhanced && !ReadModbus(in, true, image.modbusEnhanced.emplace())) {
        return std::nullopt;
    }
    if (records.j1939 && !ReadJ1939(in, version, image.j1939.emplace())) {
        return std::nullopt;
    }
    if (records.ethernet && !ReadEthernet(in, version, image.ethernet.emplace())) {
        return std::nullopt;
    }
    // Bytes after the last section mean the file is not of the version it
    // claims (a version 6 file relabelled 1 would lose its I/O table). Only a
    // version above 6 may carry sections this tool does not know.
    if (in.Remaining() != 0 && image.version <= f_nConfigFileVersion) {
        return std::nullopt;
    }
    return image;
}

namespace {

void WriteJ1939(CByteWriter& out, std::uint32_t version, const J1939FileSection& s) {
    out.Bytes(s.name);
    if (version >= 3) {
        out.Long(f_nJ1939SectionMarker);
        out.Long(s.busOffReset);
        out.Long(f_nJ1939SectionMarker);
        out.Long(s.swapIo);
        out.Long(s.statusInInput);
    } else if (s.busOffMarker && s.swapMarker) {
        out.Long(f_nJ1939SectionMarker);
        out.Long(s.busOffReset);
        out.Long(f_nJ1939SectionMarker);
        out.Long(s.swapIo);
    }
    out.Long(static_cast<std::uint32_t>(s.addresses.size()));
    out.Bytes(s.addresses);
    if (version >= 5) {
        out.Long(s.offlineTimeMs);
    }
    if (version >= 6) {
        out.Long(s.baudIndex);
    }
    out.Long(static_cast<std::uint32_t>(s.points.size()));
    for (const auto& point : s.points) {
        out.Byte(point.table);
        out.Byte(point.address);
        out.Long(point.pgn);
        out.Word(point.dataLength);
        out.Word(point.dataOffset);
        out.Word(point.updateRate);
        out.Word(point.messageOffset);
        if (version >= 2) {
            out.Byte(point.priority);
        }
    }
}

void WriteModbus(CByteWriter& out, const ModbusFileSection& s, bool enhanced) {
    for (std::uint32_t value : {s.networkAddress, s.baudRate, s.parity, s.stopBits, s.watchdogMs}) {
        out.Long(value);
    }
    if (enhanced) {
        out.Long(s.networkType);
        out.Long(s.networkDuplex);
    }
}

}  // namespace

std::vector<std::uint8_t> EncodeConfigFile(const ConfigFileImage& image, std::uint32_t version) {
    CByteWriter out;
    if (version >= 2) {
        out.Long(f_nConfigFileMagic);
        out.Long(version);
    }
    out.Long(image.clientType);
    out.Long(image.serverType);
    out.Long(image.runState);
    if (const auto& s = image.deviceNet) {
        for (std::uint32_t value : {s->macAddress, s->baudIndex, s->autobaud, s->swapIo}) {
            out.Long(value);
        }
        if (version >= 3) {
            out.Long(s->statusInInput);
            out.Long(s->inputSafeState);
        }
    }
    if (image.modbus) {
        WriteModbus(out, *image.modbus, false);
    }
    if (image.modbusEnhanced) {
        WriteModbus(out, *image.modbusEnhanced, true);
    }
    if (image.j1939) {
        WriteJ1939(out, version, *image.j1939);
    }
    if (const auto& s = image.ethernet) {
        out.Bytes(s->ip);
        out.Bytes(s->subnetMask);
        out.Bytes(s->gateway);
        for (std::uint32_t value :
             {s->dhcpIndex, s->speedIndex, s->duplexIndex, s->modbusTimeoutMs}) {
            out.Long(value);
        }
        if (version >= 4) {
            out.Long(s->ioSize);
        }
    }
    return out.Take();
}

ConfigFileImage ImageOfConfiguration(const CConfiguration& config, std::uint32_t runState) {
    ConfigFileImage image;
    image.version = f_nConfigFileVersion;
    image.clientType = config.clientType;
    image.serverType = config.serverType;
    image.runState = runState;
    const RecordSet records = config.Records();
    if (records.deviceNet) {
        const auto& d = config.deviceNet;
        image.deviceNet = DeviceNetFileSection{d.macAddress, d.baudIndex,     d.autobaud,
                                               d.swapIo,     d.statusInInput, d.inputSafeState};
    }
    if (records.modbus) {
        const auto& m = config.modbus;
        image.modbus = ModbusFileSection{m.networkAddress, m.baudRate, m.parity, m.stopBits,
                                         m.watchdogMs,     0,          0};
    }
    if (records.modbusEnhanced) {
        const auto& m = config.modbusEnhanced;
        image.modbusEnhanced =
            ModbusFileSection{m.networkAddress, m.baudRate,    m.parity,       m.stopBits,
                              m.watchdogMs,     m.networkType, m.networkDuplex};
    }
    if (records.j1939) {
        const auto& j = config.j1939;
        J1939FileSection s;
        s.name = j.name;
        s.busOffReset = j.busOffReset;
        s.swapIo = j.swapIo;
        s.statusInInput = j.statusInInput;
        const std::vector<std::uint8_t> list = j.AddressListBytes();  // at most 255
        s.addresses.assign(list.begin() + 1, list.end());
        s.offlineTimeMs = j.offlineTimeMs;
        s.baudIndex = static_cast<std::uint32_t>(j.baudIndex);  // no selection: 0xFFFFFFFF
        s.points = config.io.Inputs();
        s.points.insert(s.points.end(), config.io.Outputs().begin(), config.io.Outputs().end());
        image.j1939 = std::move(s);
    }
    if (records.ethernet) {
        const auto& e = config.ethernet;
        image.ethernet =
            EthernetFileSection{e.ip,         e.subnetMask,  e.gateway,         e.dhcpIndex,
                                e.speedIndex, e.duplexIndex, e.modbusTimeoutMs, e.ioSize};
    }
    return image;
}

std::vector<std::uint8_t> WriteConfigFile(const CConfiguration& config, std::uint32_t runState) {
    return EncodeConfigFile(ImageOfConfiguration(config, runState), f_nConfigFileVersion);
}

namespace {

void ApplyJ1939(const ConfigFileImage& image, CConfiguration& config) {
    const J1939FileSection& s = *image.j1939;
    const std::uint32_t version = image.version > 6 ? 6 : image.version;
    J1939Settings& j = config.j1939;
    j.name = s.name;
    TakeCheckBox(s.busOffReset, j.busOffReset);
    TakeCheckBox(s.swapIo, j.swapIo);
    TakeCheckBox(version >= 3 ? s.statusInInput : 0, j.statusInInput);
    j.addressList = s.addresses;
    j.offlineTimeMs = version >= 5 ? s.offlineTimeMs : 0;
    config.SelectJ1939BaudIndex(version >= 6 ? s.baudIndex : 0);
    config.io.Clear();
    config.io.AddAll(s.points);
}

}  // namespace

TableCheck ApplyConfigFileImage(const ConfigFileImage& image, CConfiguration& config) {
    if (const auto& s = image.deviceNet) {
        DeviceNetSettings& d = config.deviceNet;
        d.macAddress = s->macAddress;
        TakeListValue(d.baudIndex, s->baudIndex, IsDeviceNetBaudIndex(s->baudIndex));
        TakeCheckBox(s->autobaud, d.autobaud);
        TakeCheckBox(s->swapIo, d.swapIo);
        TakeCheckBox(s->statusInInput, d.statusInInput);
        d.inputSafeState = s->inputSafeState <= 1 ? s->inputSafeState : 0;
    }
    if (const auto& s = image.modbus) {
        StoreModbusValues(config.modbus, s->networkAddress, s->baudRate, s->parity, s->stopBits,
                          s->watchdogMs);
    }
    if (const auto& s = image.modbusEnhanced) {
        EnhancedModbusSettings& m = config.modbusEnhanced;
        StoreModbusValues(m, s->networkAddress, s->baudRate, s->parity, s->stopBits, s->watchdogMs);
        TakeListValue(m.networkType, s->networkType, IsTwoEntryIndex(s->networkType));
        TakeListValue(m.networkDuplex, s->networkDuplex, IsTwoEntryIndex(s->networkDuplex));
    }
    if (image.j1939) {
        ApplyJ1939(image, config);
    }
    if (const auto& s = image.ethernet) {
        EthernetSettings& e = config.ethernet;
        e.ip = s->ip;
        e.subnetMask = s->subnetMask;
        e.gateway = s->gateway;
        e.dhcpIndex = EthernetListIndex(s->dhcpIndex, 2);
        e.speedIndex = EthernetListIndex(s->speedIndex, 3);
        e.duplexIndex = EthernetListIndex(s->duplexIndex, 3);
        e.modbusTimeoutMs = s->modbusTimeoutMs;
        e.ioSize = s->ioSize;
    }
    return config.UpdateLimits();
}

OpenResult OpenConfigFile(std::span<const std::uint8_t> bytes, OpenEnvironment& environment,
                          CConfiguration& config) {
    OpenResult result;
    const auto pair = ParseConfigFilePair(bytes);
    if (!pair) {
        result.message = f_szUnexpectedFileFormat;
        return result;
    }
    const bool gatewayWorking =
        (environment.runState == 0 || environment.runState == 1) && !environment.offline;
    const bool samePair = static_cast<std::uint32_t>(environment.clientType) == pair->first &&
                          static_cast<std::uint32_t>(environment.serverType) == pair->second;
    if (gatewayWorking && !samePair) {
        result.message = f_szFailedToOpenDocument;
        result.reason =
            ProductMismatchText(static_cast<int>(pair->first), static_cast<int>(pair->second),
                                environment.clientType, environment.serverType);
        return result;
    }
    // The whole file is read before anything changes: a file that ends early
    // leaves the records, the mode and the pair as they were.
    const auto image = ParseConfigFile(bytes);
    if (!image) {
        result.message = f_szUnexpectedFileFormat;
        return result;
    }
    if (!gatewayWorking) {
        environment.offline = true;
        environment.runState = 0;
        if (!samePair) {
            const ProductCombination product = LookupProductCombination(
                static_cast<int>(image->clientType), static_cast<int>(image->serverType));
            environment.clientType = static_cast<int>(image->clientType);
            environment.serverType = static_cast<int>(image->serverType);
            environment.revision = product.revision;
            result.pairChanged = true;
        }
    }
    config.clientType = image->clientType;
    config.serverType = image->serverType;
    config.SetRevision(environment.revision);
    result.tableCheck = ApplyConfigFileImage(*image, config);
    result.opened = true;
    result.formatVersion = image->version;
    return result;
}

std::optional<std::vector<std::uint8_t>> ReadFileContents(const std::string& path) {
    return ReadInputFile(path, kMaxConfigurationFileBytes).bytes;
}

bool SaveFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes) {
    return WriteFileAtomically(path, bytes);
}

}  // namespace gantry::tool
