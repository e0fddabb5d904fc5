// vulpane-session: drives the built plug-in through a scripted host session.
//
//     vulpane-session PLUGIN.so [--rounds N] [--no-editor] [--plant-malloc | --plant-read]
//         The threaded session (Session.h) under the preloaded audit library
//         (LD_PRELOAD=libvulpane-rt-audit.so, DISPLAY for the editor). Prints the audit's report;
//         fails (1) when the audit counted anything on the audio thread or the session failed,
//         2 when it could not run. The planted modes add the driver's own allocation or file
//         read inside one audio section, so they must fail.
//     vulpane-session PLUGIN.so --transcript [--compare FILE]
//         The deterministic host script (Transcript.cpp); prints its transcript, or compares it
//         with FILE and fails (1) at the first difference.
#include "AudioThreadAudit.h"
#include "Session.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

int Usage() {
    std::fprintf(
        stderr,
        "usage: vulpane-session PLUGIN.so [--rounds N] [--no-editor] [--plant-malloc | --plant-read]\n"
        "       vulpane-session PLUGIN.so --transcript [--compare FILE]\n");
    return 2;
}

int Transcript(const std::string& plugin, const char* compare) {
    std::string text, error;
    if (!RunTranscript(plugin, text, error)) {
        std::fprintf(stderr, "vulpane-session: %s\n", error.c_str());
        return 2;
    }
    if (!compare) {
        std::fwrite(text.data(), 1, text.size(), stdout);
        return 0;
    }
    std::ifstream file(compare);
    if (!file) {
        std::fprintf(stderr, "vulpane-session: cannot read %s\n", compare);
        return 2;
    }
    std::stringstream expected;
    expected << file.rdbuf();
    std::istringstream want(expected.str()), got(text);
    std::string a, b, step;
    int line = 0;
    while (true) {
        const bool more = static_cast<bool>(std::getline(want, a));
        const bool moreGot = static_cast<bool>(std::getline(got, b));
        ++line;
        if (!more && !moreGot) break;
        if (b.rfind("##", 0) == 0 || b.rfind("# ", 0) == 0) step = b;
        if (!more || !moreGot || a != b) {
            std::fprintf(stderr,
                         "vulpane-session: the host sees something else than recorded, line %d (in %s):\n"
                         "  recorded: %s\n  now:      %s\n",
                         line, step.c_str(), more ? a.c_str() : "(end)", moreGot ? b.c_str() : "(end)");
            return 1;
        }
    }
    std::printf("vulpane-session: the host sequence matches %s (%d lines)\n", compare, line - 1);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    SessionOptions options;
    options.plugin = argv[1];
    options.audit = true;
    // As a host runs it: the audio thread at real-time priority, which the plug-in's audio lock
    // passes on to a holder the scheduler has set aside (it says so loudly when refused).
    options.realtime = true;
    bool transcript = false;
    const char* compare = nullptr;
    for (int i = 2; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--plant-malloc"))
            options.plant = SessionOptions::Plant::Malloc;
        else if (!std::strcmp(argv[i], "--plant-read"))
            options.plant = SessionOptions::Plant::Read;
        else if (!std::strcmp(argv[i], "--rounds") && i + 1 < argc)
            options.loads = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--no-editor"))
            options.editor = false;
        else if (!std::strcmp(argv[i], "--transcript"))
            transcript = true;
        else if (!std::strcmp(argv[i], "--compare") && i + 1 < argc)
            compare = argv[++i];
        else
            return Usage();
    }
    if (transcript) return Transcript(options.plugin, compare);

    // A planted run shows that the audit fails: it exits 1 only when the planted call was
    // counted, and 0 (the test expecting failure then fails) when it was missed or could not run.
    const bool planted = options.plant != SessionOptions::Plant::Off;
    SessionFigures figures;
    std::string error;
    unsigned long long hits = 0;
    auto report = reinterpret_cast<VulpaneAuditReport>(dlsym(RTLD_DEFAULT, "vulpane_audit_report"));
    const bool ran = RunSession(options, figures, error, [&](const SessionFigures& f) {
        std::printf(
            "vulpane-session: %zu blocks of %d samples at %.0f Hz in %.1f s (%d during impulse loads, "
            "%d bank changes, %d program changes), %d session failures\n",
            f.blockMicros.size(), options.block, options.rate, f.seconds, f.loadBlocks, f.bankBlocks,
            f.programBlocks, f.failures);
        for (const std::string& line : f.slowest)
            std::printf("  slow block %s\n", line.c_str());
        std::fflush(stdout);
        if (report) hits = report(1);
    });
    if (!ran) {
        std::fprintf(stderr, "vulpane-session: %s\n", error.c_str());
        return planted ? 0 : 2;
    }
    if (planted) {
        std::printf("vulpane-session: the planted call was %s by the audit\n",
                    figures.plantedCounted ? "counted" : "NOT counted");
        return figures.plantedCounted ? 1 : 0;
    }
    return hits == 0 && figures.failures == 0 ? 0 : 1;
}
