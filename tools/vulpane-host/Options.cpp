#include "Options.h"

#include <cstdlib>

namespace {
bool ParseNumber(const std::string& text, double& out) {
    char* end = nullptr;
    out = std::strtod(text.c_str(), &end);
    return !text.empty() && end && *end == '\0';
}
} // namespace

int ParseSettingsOption(int argc, char** argv, int at, Options& out, std::string& error) {
    const std::string arg = argv[at];
    if (arg != "--set" && arg != "--fxp" && arg != "--chunk" && arg != "--preset" && arg != "--oversample")
        return 0;
    if (at + 1 >= argc) {
        error = arg + " needs a value";
        return -1;
    }
    const std::string v = argv[at + 1];
    if (arg == "--set") {
        const size_t eq = v.find('=');
        if (eq == std::string::npos || eq == 0) {
            error = "--set takes NAME=VALUE, not " + v;
            return -1;
        }
        out.sets.emplace_back(v.substr(0, eq), v.substr(eq + 1));
    } else if (arg == "--fxp") {
        out.fxp = v;
    } else if (arg == "--chunk") {
        out.chunk = v;
    } else if (arg == "--preset") {
        out.preset = v;
    } else {
        double number;
        if (!ParseNumber(v, number) || (number != 1 && number != 2 && number != 4 && number != 8)) {
            error = "--oversample takes 1, 2, 4 or 8";
            return -1;
        }
        out.oversample = static_cast<int>(number);
    }
    return 2;
}

bool ParseOptions(int argc, char** argv, Options& out, std::string& error) {
    if (argc < 2) {
        error = "no command";
        return false;
    }
    out.command = argv[1];
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& dest) {
            if (i + 1 >= argc) {
                error = arg + " needs a value";
                return false;
            }
            dest = argv[++i];
            return true;
        };
        const int taken = ParseSettingsOption(argc, argv, i, out, error);
        if (taken < 0) return false;
        if (taken > 0) {
            i += taken - 1;
            continue;
        }
        std::string v;
        if (arg == "--rate" || arg == "--block" || arg == "--bits" || arg == "--seconds") {
            double number;
            if (!value(v) || !ParseNumber(v, number) || !(number > 0)) {
                if (error.empty()) error = arg + " needs a positive number, not " + v;
                return false;
            }
            if (arg == "--rate" && (number < kMinRate || number > kMaxRate)) {
                error = "--rate " + v + " is outside 8000..768000 Hz";
                return false;
            }
            if (arg == "--block" && (number < 1 || number > kMaxBlock || number != static_cast<int>(number))) {
                error = "--block " + v + " is not a whole number of frames in 1..65536";
                return false;
            }
            if (arg == "--rate") out.rate = number;
            if (arg == "--block") out.block = static_cast<int>(number);
            if (arg == "--bits") out.bits = static_cast<int>(number);
            if (arg == "--seconds") out.seconds = number;
        } else if (arg == "--float") {
            out.floatOnly = true;
        } else if (arg == "--quiet") {
            out.quiet = true;
        } else if (arg == "--progress") {
            out.progress = true;
        } else if (arg == "--overwrite") {
            out.overwrite = true;
        } else if (arg.rfind("--", 0) == 0) {
            error = "unknown option " + arg;
            return false;
        } else {
            out.files.push_back(arg);
        }
    }
    if (out.bits != 32 && out.bits != 64) {
        error = "--bits must be 32 or 64";
        return false;
    }
    return true;
}
