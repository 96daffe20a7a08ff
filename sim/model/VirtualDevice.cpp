#include "VirtualDevice.h"

#include <cstring>

#include "ZKVRegisterFields.h"

namespace zkvsim {
namespace {

const DeviceKind& KindOf(const DeviceSettings& settings) {
    const DeviceKind* kind = FindDeviceKind(settings.kind);
    if (kind) return *kind;
    std::size_t count = 0;
    return DeviceKinds(&count)[0];
}

std::uint32_t SerialOf(const DeviceSettings& settings) {
    return settings.serialNumber ? settings.serialNumber : DefaultSerialNumber(settings.index);
}

std::uint32_t RecordSize(std::uint32_t id) {
    switch (id) {
        case ZKV_PROPERTY_REGISTER: return sizeof(RegisterRequest);
        case ZKV_PROPERTY_FORMAT7: return sizeof(Format7Request);
        case ZKV_PROPERTY_BUFFER_COUNT: return sizeof(BufferCountRequest);
        default: return 0;
    }
}

std::uint32_t FieldAt(const std::uint8_t* data, std::size_t offset) {
    std::uint32_t v;
    std::memcpy(&v, data + offset, sizeof v);
    return v;
}

void PutField(std::uint8_t* data, std::size_t offset, std::uint32_t v) { std::memcpy(data + offset, &v, sizeof v); }

}  // namespace

VirtualDevice::VirtualDevice(const DeviceSettings& settings)
    : m_settings(settings), m_model(KindOf(settings), SerialOf(settings)) {
    Configure(settings);
}

void VirtualDevice::Configure(const DeviceSettings& settings) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_settings = settings;
    m_model = CameraModel(KindOf(settings), SerialOf(settings));
    m_faults.clear();
    for (const FaultSpec& f : settings.faults) m_faults[{f.point, f.key}] = f.result;
    m_liveSource = nullptr;
    m_liveFaults.clear();
    m_channelStore = ChannelStore{};
    m_model.RemoveControls(settings.lacks);
    m_withheld = settings.withheld;
    for (std::uint32_t mode : settings.format7Unavailable) m_model.SetFormat7ModeAvailable(mode, false);
    if (settings.start.given) m_model.SetStreamFormat(StreamFormatOf(settings.start));
    m_lastRequests.clear();
    m_registerWrites.clear();
}

void VirtualDevice::SetLiveFaultSource(LiveFaultSource source) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_liveSource = std::move(source);
    m_liveFaults.clear();
    m_liveGeneration = 0;
    PollLiveFaultsLocked();
}

void VirtualDevice::SetChannelStore(ChannelStore store) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_channelStore = std::move(store);
    if (!m_channelStore.load) return;
    for (std::uint32_t channel = 1; channel <= m_model.MemoryChannelCount(); ++channel) {
        std::vector<std::uint32_t> words;
        // A kept channel that does not fit this camera is left at the factory settings.
        if (m_channelStore.load(channel, &words)) m_model.SetChannelData(channel, words);
    }
}

DeviceSettings VirtualDevice::Settings() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_settings;
}

void VirtualDevice::SetFault(std::uint32_t point, std::uint32_t key, ModelResult result) {
    std::lock_guard<std::mutex> guard(m_lock);
    if (Failed(result)) {
        m_faults[{point, key}] = result;
    } else {
        m_faults.erase({point, key});
    }
}

void VirtualDevice::ClearFaults() {
    std::lock_guard<std::mutex> guard(m_lock);
    m_faults.clear();
}

ModelResult VirtualDevice::Fault(std::uint32_t point, std::uint32_t key) const {
    std::lock_guard<std::mutex> guard(m_lock);
    return FaultLocked(point, key);
}

void VirtualDevice::PollLiveFaultsLocked() const {
    std::vector<FaultSpec> faults;
    if (!m_liveSource || !m_liveSource(&m_liveGeneration, &faults)) return;
    m_liveFaults.clear();
    for (const FaultSpec& f : faults) m_liveFaults[{f.point, f.key}] = f.result;
}

ModelResult VirtualDevice::FaultLocked(std::uint32_t point, std::uint32_t key) const {
    PollLiveFaultsLocked();
    for (std::uint32_t k : {key, kAnyKey}) {
        for (const FaultTable* table : {static_cast<const FaultTable*>(&m_liveFaults), &m_faults}) {
            auto it = table->find({point, k});
            if (it != table->end()) return it->second;
        }
    }
    return kOk;
}

std::uint32_t VirtualDevice::DropPeriodLocked() const {
    PollLiveFaultsLocked();
    std::uint32_t period = 0;
    for (const FaultTable* table : {static_cast<const FaultTable*>(&m_liveFaults), &m_faults}) {
        for (auto it = table->lower_bound({kFaultDropFrames, 0});
             it != table->end() && it->first.first == kFaultDropFrames; ++it) {
            const std::uint32_t p = it->first.second == kAnyKey ? 1 : it->first.second;
            if (p && (!period || p < period)) period = p;
        }
    }
    return period;
}

bool VirtualDevice::IsWithheld(std::uint32_t which) const {
    std::lock_guard<std::mutex> guard(m_lock);
    return (m_withheld & which) != 0;
}

void VirtualDevice::Withhold(std::uint32_t which, bool withhold) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_withheld = withhold ? (m_withheld | which) : (m_withheld & ~which);
}

bool VirtualDevice::IsVendorProperty(std::uint32_t id) { return RecordSize(id) != 0; }

ModelResult VirtualDevice::RegisterGet(std::uint8_t* data) {
    const std::uint32_t address = FieldAt(data, offsetof(RegisterRequest, address));
    ModelResult r = FaultLocked(kFaultRegisterGet, address);
    if (Failed(r)) return r;
    std::uint32_t value = 0;
    r = m_model.ReadRegister(address, &value);
    if (!Failed(r)) PutField(data, offsetof(RegisterRequest, value), value);
    return r;
}

ModelResult VirtualDevice::RegisterSet(const std::uint8_t* data) {
    const std::uint32_t address = FieldAt(data, offsetof(RegisterRequest, address));
    const std::uint32_t value = FieldAt(data, offsetof(RegisterRequest, value));
    m_registerWrites.emplace_back(address, value);
    if (m_registerWrites.size() > kRegisterWriteLogLimit) m_registerWrites.pop_front();
    ModelResult r = FaultLocked(kFaultRegisterSet, address);
    if (Failed(r)) return r;
    std::uint32_t saveChannel = 0;
    m_model.ReadRegister(zkv::CameraRegister::MEM_SAVE_CH, &saveChannel);
    const std::uint32_t channel = zkv::GetField(saveChannel, zkv::MemSaveCh::Channel);
    const bool saving = address == zkv::CameraRegister::MEMORY_SAVE && zkv::GetField(value, zkv::MemorySave::Save);
    const std::vector<std::uint32_t> before = saving ? m_model.ChannelData(channel) : std::vector<std::uint32_t>{};
    r = m_model.WriteRegister(address, value);
    if (saving && !Failed(r) && m_channelStore.save) {
        // A channel the camera could not keep is not saved at all.
        r = m_channelStore.save(channel, m_model.ChannelData(channel));
        if (Failed(r)) m_model.SetChannelData(channel, before);
    }
    return r;
}

ModelResult VirtualDevice::PropertyGet(std::uint32_t id, std::uint8_t* data, std::uint32_t size,
                                       std::uint32_t* returned) {
    std::lock_guard<std::mutex> guard(m_lock);
    const std::uint32_t need = RecordSize(id);
    if (!need) return kPropIdUnsupported;
    if (!data || size < need) return kBufferTooSmall;
    m_lastRequests[{id, false}].assign(data, data + need);
    ModelResult r = FaultLocked(kFaultPropertyGet, id);
    if (Failed(r)) return r;
    switch (id) {
        case ZKV_PROPERTY_REGISTER:
            r = RegisterGet(data);
            break;
        case ZKV_PROPERTY_FORMAT7: {
            Format7Request request;
            std::memcpy(&request, data, sizeof request);
            r = FaultLocked(kFaultFormat7Get, request.mode);
            if (!Failed(r)) r = m_model.GetFormat7(&request);
            if (!Failed(r)) std::memcpy(data, &request, sizeof request);
            break;
        }
        default:
            r = FaultLocked(kFaultBufferCountGet, kAnyKey);
            if (!Failed(r)) PutField(data, offsetof(BufferCountRequest, count), m_model.BufferCount());
            break;
    }
    if (returned) *returned = Failed(r) ? 0 : need;
    return r;
}

ModelResult VirtualDevice::PropertySet(std::uint32_t id, const std::uint8_t* data, std::uint32_t size) {
    std::lock_guard<std::mutex> guard(m_lock);
    const std::uint32_t need = RecordSize(id);
    if (!need) return kPropIdUnsupported;
    if (!data || size < need) return kBufferTooSmall;
    m_lastRequests[{id, true}].assign(data, data + need);
    ModelResult r = FaultLocked(kFaultPropertySet, id);
    if (Failed(r)) return r;
    switch (id) {
        case ZKV_PROPERTY_REGISTER:
            return RegisterSet(data);
        case ZKV_PROPERTY_FORMAT7: {
            Format7Request request;
            std::memcpy(&request, data, sizeof request);
            r = FaultLocked(kFaultFormat7Set, request.mode);
            return Failed(r) ? r : m_model.SetFormat7(request);
        }
        default:
            r = FaultLocked(kFaultBufferCountSet, kAnyKey);
            return Failed(r) ? r : m_model.SetBufferCount(FieldAt(data, offsetof(BufferCountRequest, count)));
    }
}

ModelResult VirtualDevice::LastRequest(std::uint32_t id, bool set, std::uint8_t* record, std::uint32_t size) const {
    std::lock_guard<std::mutex> guard(m_lock);
    if (!RecordSize(id)) return kInvalidArg;
    if (size && !record) return kInvalidArg;
    if (size) std::memset(record, 0, size);
    auto it = m_lastRequests.find({id, set});
    if (it == m_lastRequests.end()) return kFalse;
    std::memcpy(record, it->second.data(), size < it->second.size() ? size : it->second.size());
    return kOk;
}

std::vector<std::pair<std::uint32_t, std::uint32_t>> VirtualDevice::RegisterWrites() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return {m_registerWrites.begin(), m_registerWrites.end()};
}

void VirtualDevice::ClearRegisterWrites() {
    std::lock_guard<std::mutex> guard(m_lock);
    m_registerWrites.clear();
}

ModelResult VirtualDevice::PeekRegister(std::uint32_t address, std::uint32_t* value) const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_model.ReadRegister(address, value);
}

ModelResult VirtualDevice::PokeRegister(std::uint32_t address, std::uint32_t value) {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_model.PokeRegister(address, value);
}

ModelResult VirtualDevice::SetFormat7ModeAvailable(std::uint32_t mode, bool available) {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_model.SetFormat7ModeAvailable(mode, available);
}

ModelResult VirtualDevice::ProcAmpGetRange(std::int32_t code, ProcAmpRange* range) const {
    std::lock_guard<std::mutex> guard(m_lock);
    const ModelResult r = FaultLocked(kFaultProcAmpGetRange, static_cast<std::uint32_t>(code));
    return Failed(r) ? r : m_model.ProcAmpGetRange(code, range);
}

ModelResult VirtualDevice::ProcAmpGet(std::int32_t code, std::int32_t* value, std::int32_t* flags) const {
    std::lock_guard<std::mutex> guard(m_lock);
    const ModelResult r = FaultLocked(kFaultProcAmpGet, static_cast<std::uint32_t>(code));
    return Failed(r) ? r : m_model.ProcAmpGet(code, value, flags);
}

ModelResult VirtualDevice::ProcAmpSet(std::int32_t code, std::int32_t value, std::int32_t flags) {
    std::lock_guard<std::mutex> guard(m_lock);
    const ModelResult r = FaultLocked(kFaultProcAmpSet, static_cast<std::uint32_t>(code));
    return Failed(r) ? r : m_model.ProcAmpSet(code, value, flags);
}

ModelResult VirtualDevice::GetStreamFormat(StreamFormat* format) const {
    std::lock_guard<std::mutex> guard(m_lock);
    const ModelResult r = FaultLocked(kFaultStreamGetFormat, kAnyKey);
    if (Failed(r)) return r;
    *format = m_model.CurrentStreamFormat();
    return kOk;
}

ModelResult VirtualDevice::CheckStreamFormat(const StreamFormat& format) const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_model.CheckStreamFormat(format);
}

ModelResult VirtualDevice::SetStreamFormat(const StreamFormat& format) {
    std::lock_guard<std::mutex> guard(m_lock);
    const ModelResult r = FaultLocked(kFaultStreamSetFormat, kAnyKey);
    return Failed(r) ? r : m_model.SetStreamFormat(format);
}

ModelResult VirtualDevice::GetNumberOfCapabilities(std::uint32_t* count) const {
    std::lock_guard<std::mutex> guard(m_lock);
    const ModelResult r = FaultLocked(kFaultStreamGetNumberOfCaps, kAnyKey);
    if (Failed(r)) return r;
    *count = static_cast<std::uint32_t>(m_model.StreamCapabilities().size());
    return kOk;
}

ModelResult VirtualDevice::GetStreamCapability(std::uint32_t index, StreamCapability* cap) const {
    std::lock_guard<std::mutex> guard(m_lock);
    const ModelResult r = FaultLocked(kFaultStreamGetStreamCaps, index);
    if (Failed(r)) return r;
    const std::vector<StreamCapability> caps = m_model.StreamCapabilities();
    if (index >= caps.size()) return kFalse;
    *cap = caps[index];
    return kOk;
}

StreamFormat VirtualDevice::CurrentStreamFormat() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_model.CurrentStreamFormat();
}

ModelResult VirtualDevice::ApplyStreamFormat(const StreamFormat& format) {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_model.SetStreamFormat(format);
}

std::uint32_t VirtualDevice::BufferCount() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_model.BufferCount();
}

std::int64_t VirtualDevice::FrameInterval() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_model.FrameInterval();
}

BayerTile VirtualDevice::SensorTile() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_model.Kind().tile;
}

void VirtualDevice::SetStreaming(bool streaming) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_model.SetStreaming(streaming);
}

FrameDecision VirtualDevice::NextFrame(std::uint64_t* number) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_model.Gate().SetDropPeriod(DropPeriodLocked());
    return m_model.NextFrame(number);
}

std::uint64_t VirtualDevice::MissFrames(std::uint64_t count) {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_model.MissFrames(count);
}

void VirtualDevice::FrameDelivered() {
    std::lock_guard<std::mutex> guard(m_lock);
    m_model.Gate().FrameDelivered();
}

void VirtualDevice::LoseFrame(std::uint64_t number) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_model.Gate().LoseFrame(number);
}

void VirtualDevice::DropFrames(std::uint32_t count) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_model.Gate().DropFrames(count);
}

void VirtualDevice::FrameCounts(std::uint64_t* delivered, std::uint64_t* dropped) const {
    std::lock_guard<std::mutex> guard(m_lock);
    *delivered = m_model.Gate().Delivered();
    *dropped = m_model.Gate().Dropped();
}

std::uint64_t VirtualDevice::FramesTaken() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_model.Gate().Taken();
}

std::vector<std::uint64_t> VirtualDevice::DroppedFrameNumbers() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_model.Gate().DroppedFrameNumbers();
}

void VirtualDevice::ResetFrameCounts() {
    std::lock_guard<std::mutex> guard(m_lock);
    m_model.Gate().ResetCounts();
}

}  // namespace zkvsim
