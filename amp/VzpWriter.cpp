#include "VzpWriter.h"

#include "ParameterIds.h"

#include <cctype>
#include <cstring>

namespace {
// Cuts text to at most max bytes without splitting a UTF-8 character.
std::string Cut(const std::string& text, size_t max) {
    if (text.size() <= max) return text;
    size_t end = max;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

void PutFloat(std::vector<unsigned char>& out, float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof(bits));
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<unsigned char>(bits >> shift));
}

bool Reserved(const std::string& stem) {
    std::string upper;
    for (char c : stem)
        upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const char* name : {"CON", "PRN", "AUX", "NUL"})
        if (upper == name) return true;
    return upper.size() == 4 && (upper.compare(0, 3, "COM") == 0 || upper.compare(0, 3, "LPT") == 0) &&
           upper[3] >= '1' && upper[3] <= '9';
}
} // namespace

VzpFile VzpFromSettings(double (*normalized)(const void* context, int index), const void* context, int model,
                        const std::string& name, const std::string& impulsePath) {
    VzpFile file;
    file.version = kVzpWriteVersion;
    file.texts[0] = Cut(name, kVzpMaxText);
    file.texts[1] = "Vulpane";
    file.texts[2] = "";
    file.texts[3] = "User preset";
    file.texts[4] = impulsePath;
    file.values.assign(static_cast<size_t>(VzpValueCount(kVzpWriteVersion)), 0.0f);
    // Slots 0..22 hold the parameters of the same index; the amp knobs hold the selected
    // model's own copies, which the reader gives back to both.
    for (int p = 0; p < static_cast<int>(file.values.size()); ++p)
        file.values[static_cast<size_t>(p)] = static_cast<float>(normalized(context, p));
    if (model >= 0 && model < kNumModels) {
        file.values[kAmpVolume] = static_cast<float>(normalized(context, kModelVolume + model));
        file.values[kAmpGain] = static_cast<float>(normalized(context, kModelGain + model));
        file.values[kAmpBass] = static_cast<float>(normalized(context, kModelBass + model));
        file.values[kAmpMiddle] = static_cast<float>(normalized(context, kModelMiddle + model));
        file.values[kAmpTreble] = static_cast<float>(normalized(context, kModelTreble + model));
        file.values[kAmpModel] = static_cast<float>(model / static_cast<double>(kLastModel));
    }
    return file;
}

std::vector<unsigned char> FormatVzpFile(const VzpFile& file) {
    std::vector<unsigned char> out = {'k', 'v', 'z',
                                      'p', '0', static_cast<unsigned char>('0' + file.version)};
    for (const std::string& text : file.texts) {
        const std::string cut = Cut(text.substr(0, text.find('\0')), kVzpMaxText);
        out.insert(out.end(), cut.begin(), cut.end());
        out.push_back(0);
    }
    for (float value : file.values)
        PutFloat(out, value);
    return out;
}

std::string PresetFileStem(const std::string& name) {
    std::string stem;
    for (char c : name) {
        const unsigned char u = static_cast<unsigned char>(c);
        stem += (u < 32 || u == 127 || std::strchr("/\\:*?\"<>|", c)) ? '_' : c;
    }
    const size_t first = stem.find_first_not_of(" .");
    stem = first == std::string::npos ? std::string() : stem.substr(first);
    while (!stem.empty() && (stem.back() == ' ' || stem.back() == '.'))
        stem.pop_back();
    stem = Cut(stem, 120);
    if (stem.empty() || Reserved(stem)) return "Preset";
    return stem;
}
