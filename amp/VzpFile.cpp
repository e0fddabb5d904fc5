#include "VzpFile.h"

#include "ParameterIds.h"

#include <cmath>
#include <cstring>

const char* const kVzpNewerVersionMessage = "This preset was made with a newer version of\n"
                                            "software and cannot be read by this application.\n"
                                            "Please, download the latest version!\n"
                                            "www.kestrovanic.com";

namespace {
constexpr size_t kMagicSize = 6;
constexpr size_t kMaxTextBytes = 255;

float ModelValue(const VzpFile& file) {
    const float f4 = file.values[4];
    return file.version <= 2 ? f4 * 0.8f : f4;
}
} // namespace

int VzpValueCount(int version) {
    switch (version) {
    case 1:
        return 66;
    case 2:
    case 3:
        return 17;
    case 4:
        return 23;
    default:
        return 0;
    }
}

VzpStatus ParseVzpFile(const uint8_t* data, size_t size, VzpFile& out) {
    if (!data || size < kMagicSize)
        return size < kMagicSize ? VzpStatus::kTruncated : VzpStatus::kUnknownVersion;
    if (std::memcmp(data, "kvzp0", 5) != 0 || data[5] < '1' || data[5] > '4')
        return VzpStatus::kUnknownVersion;
    VzpFile file;
    file.version = data[5] - '0';
    size_t at = kMagicSize;
    for (std::string& text : file.texts) {
        const void* end = std::memchr(data + at, 0, size - at);
        if (!end) return VzpStatus::kTruncated;
        const size_t length = static_cast<size_t>(static_cast<const uint8_t*>(end) - (data + at));
        text.assign(reinterpret_cast<const char*>(data + at),
                    length < kMaxTextBytes ? length : kMaxTextBytes);
        at += length + 1;
    }
    const size_t count = static_cast<size_t>(VzpValueCount(file.version));
    if (size - at < 4 * count) return VzpStatus::kTruncated;
    file.values.resize(count);
    for (size_t i = 0; i < count; ++i, at += 4) {
        const uint32_t bits = static_cast<uint32_t>(data[at]) | static_cast<uint32_t>(data[at + 1]) << 8 |
                              static_cast<uint32_t>(data[at + 2]) << 16 |
                              static_cast<uint32_t>(data[at + 3]) << 24;
        float value;
        std::memcpy(&value, &bits, sizeof(value));
        // A damaged value must not reach a parameter as NaN or outside 0..1.
        file.values[i] = std::isfinite(value) ? (value < 0.0f ? 0.0f : (value > 1.0f ? 1.0f : value)) : 0.0f;
    }
    out = std::move(file);
    return VzpStatus::kOk;
}

int VzpModel(const VzpFile& file) {
    if (file.values.size() <= 4) return 0;
    const int m = static_cast<int>(std::floor(static_cast<double>(ModelValue(file)) * 15.0 + 0.5));
    return m < 0 ? 0 : (m > kLastModel ? kLastModel : m);
}

std::vector<VzpSetting> VzpSettings(const VzpFile& file) {
    std::vector<VzpSetting> settings;
    if (static_cast<int>(file.values.size()) != VzpValueCount(file.version)) return settings;
    const auto F = [&](int i) { return static_cast<double>(file.values[static_cast<size_t>(i)]); };
    const int m = VzpModel(file);
    settings = {{kModelVolume + m, F(5)},
                {kModelGain + m, F(6)},
                {kModelBass + m, F(9)},
                {kModelMiddle + m, F(10)},
                {kModelTreble + m, F(11)}};
    for (int p : {kGate, kGateThreshold, kGateRelease, kAmpOn, kAmpVolume, kAmpGain, kToneFreq,
                  kToneResonance, kAmpBass, kAmpMiddle, kAmpTreble, kCabPreset})
        settings.push_back({p, F(p)});
    if (file.version == 1) {
        settings.push_back({kEqLow, F(63)});
        settings.push_back({kEqHigh, F(64)});
        settings.push_back({kMasterVolume, F(65)});
    } else {
        settings.push_back({kEqLow, F(13)});
        settings.push_back({kEqHigh, F(14)});
        settings.push_back({kMasterVolume, F(16)});
    }
    if (file.version == 4) {
        settings.push_back({kIrDry, F(21)});
        settings.push_back({kIrWet, F(22)});
    }
    settings.push_back({kAmpModel, static_cast<double>(ModelValue(file))});
    return settings;
}

bool VzpImpulseOn(const VzpFile& file) {
    return file.version == 4 && file.values.size() > 18 && file.values[18] > 0.5f;
}
