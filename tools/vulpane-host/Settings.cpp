// Applying settings through the plug-in's own names and display texts, as a host would.
#include "Options.h"

#include "HostedPlugin.h"
#include "PresetFile.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <set>

namespace {
constexpr int kTextSteps = 2000; // normalised values tried when looking for a display text
constexpr size_t kListedChoices = 16;
constexpr size_t kClosest = 5;

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool ParseNumber(const std::string& text, double& out) {
    char* end = nullptr;
    out = std::strtod(text.c_str(), &end);
    return !text.empty() && end && *end == '\0';
}

// Edit distance of the lower-case texts, to suggest what was probably meant.
size_t Distance(const std::string& a, const std::string& b) {
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t up = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = up;
        }
    }
    return row[b.size()];
}

std::string Quoted(const std::vector<std::string>& texts) {
    std::string list;
    for (const std::string& t : texts) list += (list.empty() ? "\"" : ", \"") + t + "\"";
    return list;
}

std::vector<std::string> Closest(const std::string& wanted, std::vector<std::string> candidates) {
    const std::string key = Lower(wanted);
    // Distance to the whole text or to its start, so "mesa" finds "Meza style".
    auto score = [&](const std::string& c) {
        const std::string l = Lower(c);
        return std::min(Distance(key, l), Distance(key, l.substr(0, key.size())));
    };
    std::stable_sort(candidates.begin(), candidates.end(),
                     [&](const std::string& a, const std::string& b) { return score(a) < score(b); });
    if (candidates.size() > kClosest) candidates.resize(kClosest);
    return candidates;
}

// The plug-in's names and identifiers of its parameters, asked once.
struct ParameterNames {
    explicit ParameterNames(HostedPlugin& plugin) {
        for (int i = 0; i < plugin.Effect()->numParams; ++i) {
            names.push_back(plugin.ParamName(i));
            identifiers.push_back(plugin.ParamIdentifier(i));
        }
    }
    int Find(const std::string& wanted) const {
        double number;
        if (ParseNumber(wanted, number) && number >= 0 && number == static_cast<int>(number) &&
            number < static_cast<double>(names.size()))
            return static_cast<int>(number);
        const std::string key = Lower(wanted);
        for (const std::vector<std::string>* list : {&names, &identifiers})
            for (size_t i = 0; i < list->size(); ++i)
                if (!(*list)[i].empty() && Lower((*list)[i]) == key) return static_cast<int>(i);
        return -1;
    }
    std::vector<std::string> All() const {
        std::vector<std::string> all;
        for (const std::vector<std::string>* list : {&names, &identifiers})
            for (const std::string& n : *list)
                if (!n.empty()) all.push_back(n);
        return all;
    }
    std::vector<std::string> names, identifiers;
};

// The distinct texts the parameter shows over its range, with the first value showing each.
struct Choices {
    std::vector<std::string> texts;
    std::vector<float> values;
    bool named = false; // some text is not a number: the values are named choices
};

Choices ReadChoices(HostedPlugin& plugin, int index) {
    Choices choices;
    std::set<std::string> seen;
    for (int i = 0; i <= kTextSteps; ++i) {
        const float v = static_cast<float>(i) / kTextSteps;
        const std::string text = plugin.ParamDisplayAt(index, v);
        if (!seen.insert(text).second) continue;
        double number;
        if (!ParseNumber(text, number)) choices.named = true;
        choices.texts.push_back(text);
        choices.values.push_back(v);
    }
    return choices;
}

struct Setting {
    int index;
    std::string name, text;
    bool named;
};

// The value the plug-in reads from a text in its own units ("-12 dB", "6"), through
// effString2Parameter, which sets it; the parameter is put back, since the caller sets it.
bool ValueFromPluginText(HostedPlugin& plugin, const Setting& s, float& out) {
    std::vector<char> text(s.text.begin(), s.text.end());
    text.push_back('\0');
    const float saved = plugin.GetParameter(s.index);
    if (plugin.Dispatch(effString2Parameter, s.index, 0, text.data()) != 1) return false;
    out = plugin.GetParameter(s.index);
    plugin.SetParameter(s.index, saved);
    return true;
}

bool ValueOf(HostedPlugin& plugin, const Setting& s, float& out, std::string& error) {
    double number;
    const bool isNumber = ParseNumber(s.text, number);
    if (isNumber && number >= 0.0 && number <= 1.0) {
        out = static_cast<float>(number);
        return true;
    }
    if (ValueFromPluginText(plugin, s, out)) return true;
    const Choices choices = ReadChoices(plugin, s.index);
    for (size_t i = 0; !isNumber && i < choices.texts.size(); ++i)
        if (Lower(choices.texts[i]) == Lower(s.text)) {
            out = choices.values[i];
            return true;
        }
    if (isNumber) {
        error = s.name + "=" + s.text + ": values are normalised, 0..1, or a text the parameter shows";
        return false;
    }
    error = s.name + " never shows \"" + s.text + "\"";
    if (!choices.named)
        error += "; its values are normalised numbers 0..1";
    else if (choices.texts.size() <= kListedChoices)
        error += "; it shows " + Quoted(choices.texts);
    else
        error += "; closest: " + Quoted(Closest(s.text, choices.texts)) + " (`info` lists all)";
    return false;
}

bool LoadFiles(HostedPlugin& plugin, const Options& options, std::string& error) {
    if (!options.fxp.empty()) {
        std::vector<char> bytes;
        PresetFile file;
        if (!ReadFileBytes(options.fxp, bytes, error) || !ParsePresetFile(bytes, file, error) ||
            !ApplyPreset(plugin, file, error)) {
            error = options.fxp + ": " + error;
            return false;
        }
    }
    if (!options.chunk.empty()) {
        std::vector<char> bytes;
        if (!ReadFileBytes(options.chunk, bytes, error)) return false;
        if (plugin.SetChunk(true, bytes) != 1) {
            error = options.chunk + ": the plug-in did not accept the chunk";
            return false;
        }
    }
    if (!options.preset.empty()) {
        std::vector<char> head;
        if (!ReadFileHead(options.preset, 1, head)) {
            error = "cannot open " + options.preset;
            return false;
        }
        std::vector<char> path(options.preset.begin(), options.preset.end());
        path.push_back('\0');
        if (plugin.Dispatch(effVendorSpecific, kVendorReadPresetFile, 0, path.data()) != 1) {
            error = options.preset + ": the plug-in did not read it as one of its preset files";
            return false;
        }
    }
    return true;
}
} // namespace

std::vector<std::string> NamedChoices(HostedPlugin& plugin, int index) {
    double number;
    if (ParseNumber(plugin.ParamDisplayAt(index, 0.0f), number)) return {};
    Choices choices = ReadChoices(plugin, index);
    // Many distinct texts are a scale with a unit ("-12.0 dB"), not a list of choices.
    constexpr size_t kMostChoices = 128;
    return choices.named && choices.texts.size() <= kMostChoices ? choices.texts : std::vector<std::string>{};
}

bool ApplySettings(HostedPlugin& plugin, const Options& options, std::string& error) {
    if (!LoadFiles(plugin, options, error)) return false;
    if (options.sets.empty()) return true;
    const ParameterNames names(plugin);
    std::vector<Setting> settings;
    for (const auto& [name, text] : options.sets) {
        const int index = names.Find(name);
        if (index < 0) {
            error = "unknown parameter " + name + "; closest: " + Quoted(Closest(name, names.All()));
            return false;
        }
        // A list of named choices (a model, a cabinet), not a switch's ON and OFF.
        settings.push_back({index, name, text, NamedChoices(plugin, index).size() > 2});
    }
    std::stable_sort(settings.begin(), settings.end(), [](const Setting& a, const Setting& b) {
        return a.named != b.named ? a.named : a.index < b.index;
    });
    for (const Setting& s : settings) {
        float value;
        if (!ValueOf(plugin, s, value, error)) return false;
        plugin.SetParameter(s.index, value);
    }
    return true;
}
