// The audit's report and the driver's interface: counts per call, a where-from summary, and every
// call site with its frames named (addr2line for functions the dynamic symbol table hides).
#include "AudioThreadAudit.h"
#include "AuditInternals.h"

#include <dlfcn.h>
#include <execinfo.h>
#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

using namespace audit;

namespace {

struct Resolved {
    std::string function;
    std::string where;
};

// Function names for every kept frame, one addr2line run per module (the plug-in's own functions
// are hidden from the dynamic symbol table, so dladdr alone cannot name them).
std::map<void*, Resolved> Symbolize() {
    std::map<std::string, std::vector<std::pair<void*, uintptr_t>>> byModule;
    std::map<void*, Resolved> names;
    for (int i = 0; i < siteCount; ++i)
        for (int f = 0; f < sites[i].frames; ++f) {
            void* pc = sites[i].pc[f];
            Dl_info info;
            if (names.count(pc) || !dladdr(static_cast<char*>(pc) - 1, &info) || !info.dli_fname) continue;
            names[pc].where = info.dli_fname;
            if (info.dli_sname) names[pc].function = info.dli_sname;
            const uintptr_t offset =
                reinterpret_cast<uintptr_t>(pc) - 1 - reinterpret_cast<uintptr_t>(info.dli_fbase);
            byModule[info.dli_fname].push_back({pc, offset});
        }
    if (system("command -v addr2line >/dev/null 2>&1") != 0) return names;
    for (auto& [module, frames] : byModule) {
        char list[] = "/tmp/vulpane-audit-XXXXXX";
        const int fd = mkstemp(list);
        if (fd < 0) continue;
        FILE* out = fdopen(fd, "w");
        for (auto& frame : frames)
            fprintf(out, "0x%lx\n", static_cast<unsigned long>(frame.second));
        fclose(out);
        const std::string command = "addr2line -f -C -e '" + module + "' < " + list;
        if (FILE* in = popen(command.c_str(), "r")) {
            char function[1024], line[1024];
            for (auto& frame : frames) {
                if (!fgets(function, sizeof function, in) || !fgets(line, sizeof line, in)) break;
                function[strcspn(function, "\n")] = '\0';
                if (strcmp(function, "??") != 0) names[frame.first].function = function;
            }
            pclose(in);
        }
        unlink(list);
    }
    return names;
}

void Print(int fd, const char* format, ...) {
    char text[2048];
    va_list args;
    va_start(args, format);
    const int n = vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (n > 0)
        (void)!real_write(fd, text,
                          static_cast<size_t>(n < static_cast<int>(sizeof text) ? n : sizeof text - 1));
}

// The runtime's and the driver's own frames, which say nothing of where a call came from.
bool RuntimeFrame(const Resolved& r) {
    static const char* const runtime[] = {"libc.so", "libstdc++.so", "libgcc_s.so", "libm.so", "ld-linux"};
    for (const char* name : runtime)
        if (r.where.find(name) != std::string::npos) return true;
    char self[PATH_MAX], module[PATH_MAX];
    return realpath("/proc/self/exe", self) && realpath(r.where.c_str(), module) && strcmp(self, module) == 0;
}

// A summary before the sites: the counts per call, the audio step (the part of the driver's
// step name before its first '|') and the innermost frame outside the runtime, the standard
// library's templates and the driver.
void PrintWhereFrom(int fd, const std::map<void*, Resolved>& names) {
    std::map<std::string, unsigned long long> summary;
    for (int i = 0; i < siteCount; ++i) {
        const Site& s = sites[i];
        std::string where = "(the driver itself)";
        for (int f = 0; f < s.frames; ++f) {
            auto found = names.find(s.pc[f]);
            if (found == names.end() || RuntimeFrame(found->second)) continue;
            // Standard-library templates compiled into the caller: its caller says more.
            if (found->second.function.rfind("std::", 0) == 0 ||
                found->second.function.rfind("__gnu_cxx::", 0) == 0)
                continue;
            where = found->second.function.empty() ? "?" : found->second.function;
            const std::string anonymous = "(anonymous namespace)::";
            where = where.substr(0, where.find('(', where.rfind(anonymous, 0) == 0 ? anonymous.size() : 0));
            break;
        }
        std::string step = s.step ? s.step : "?";
        step = step.substr(0, step.find(" |"));
        summary[std::string(kCallKinds[s.call]) + ": " + kCallNames[s.call] + " | " + step + " | from " +
                where] += s.count;
    }
    Print(fd, "where from (call | audio step | innermost function outside the runtime):\n");
    for (const auto& [line, count] : summary)
        Print(fd, "  %6llu  %s\n", count, line.c_str());
}

} // namespace

extern "C" {

// ---- the driver's interface ----
__attribute__((visibility("default"))) void vulpane_audit_enter(const char* step, int detail) {
    mark.step = step;
    mark.detail = detail;
    mark.inAudio = 1;
}

__attribute__((visibility("default"))) void vulpane_audit_leave(void) {
    mark.inAudio = 0;
}

__attribute__((visibility("default"))) unsigned long long vulpane_audit_total(void) {
    unsigned long long total = 0;
    for (int i = 0; i < kCallCount; ++i)
        total += __atomic_load_n(&counts[i], __ATOMIC_RELAXED);
    return total;
}

__attribute__((visibility("default"))) unsigned long long vulpane_audit_report(int fd) {
    reported = true;
    const int wasInAudio = mark.inAudio;
    mark.inAudio = 0;
    const unsigned long long total = vulpane_audit_total();
    Print(fd, "audio-thread audit: %llu call(s) on the audio thread\n", total);
    for (int i = 0; i < kCallCount; ++i)
        if (counts[i]) Print(fd, "  %-12s %-34s %llu\n", kCallKinds[i], kCallNames[i], counts[i]);
    if (total == 0) {
        mark.inAudio = wasInAudio;
        return 0;
    }
    const std::map<void*, Resolved> names = Symbolize();
    PrintWhereFrom(fd, names);
    Print(fd, "%d call site(s)%s:\n", siteCount, lostSites ? " (more were not kept)" : "");
    for (int i = 0; i < siteCount; ++i) {
        const Site& s = sites[i];
        Print(fd, "site %d: %s x%llu, step \"%s\" (%d)", i + 1, kCallNames[s.call], s.count,
              s.step ? s.step : "?", s.detail);
        if (s.call == kLockWait)
            Print(fd, ", longest wait %.0f us", static_cast<double>(s.longestNs) / 1000.0);
        Print(fd, "\n");
        for (int f = 0; f < s.frames; ++f) {
            auto found = names.find(s.pc[f]);
            const char* function = found != names.end() && !found->second.function.empty()
                                       ? found->second.function.c_str()
                                       : "?";
            Print(fd, "    #%-2d %s\n        ", f, function);
            backtrace_symbols_fd(const_cast<void**>(&s.pc[f]), 1, fd);
        }
    }
    mark.inAudio = wasInAudio;
    return total;
}

} // extern "C"
