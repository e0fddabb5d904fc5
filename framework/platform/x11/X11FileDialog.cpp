#include "X11FileDialog.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

extern char** environ;

namespace {
// Starts argv with stdin and stderr on /dev/null and stdout on outputFd (or /dev/null when -1).
// The program is looked up on PATH; -1 when it could not start.
pid_t Start(const std::vector<std::string>& args, int outputFd) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (outputFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, outputFd, 1);
    else
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t child = 0;
    const int started = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return started == 0 ? child : -1;
}

// The child's wait status; 0 when a host that ignores SIGCHLD has reaped it already.
int WaitFor(pid_t child) {
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return 0;
    }
    return status;
}

// Runs the program found on PATH and returns what it printed; false when it could not start.
bool Capture(const std::vector<std::string>& args, std::string& output, int& status) {
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) return false;
    const pid_t child = Start(args, pipeEnds[1]);
    close(pipeEnds[1]);
    if (child < 0) {
        close(pipeEnds[0]);
        return false;
    }
    char buffer[1024];
    for (;;) {
        const ssize_t n = read(pipeEnds[0], buffer, sizeof(buffer));
        if (n > 0) {
            output.append(buffer, static_cast<size_t>(n));
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            break;
        }
    }
    close(pipeEnds[0]);
    status = WaitFor(child);
    return true;
}

bool HasDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value && *value) return true;
    }
    return false;
}

// A shell starts the dialog in the background and exits at once, so the dialog is nobody's
// child to wait for; it exits 127 when neither program is installed.
constexpr const char* kMessageScript =
    "if command -v zenity >/dev/null 2>&1; then zenity --error --no-markup --title=\"$1\" --text=\"$2\" &\n"
    "elif command -v kdialog >/dev/null 2>&1; then kdialog --title \"$1\" --error \"$2\" &\n"
    "else exit 127; fi\n";
} // namespace

bool FileChooserInstalled() {
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "";
    size_t at = 0;
    while (at <= folders.size()) {
        size_t end = folders.find(':', at);
        if (end == std::string::npos) end = folders.size();
        const std::string folder = end > at ? folders.substr(at, end - at) : std::string(".");
        for (const char* program : {"zenity", "kdialog"})
            if (access((folder + "/" + program).c_str(), X_OK) == 0) return true;
        at = end + 1;
    }
    return false;
}

std::string RunFileChooser(int action, const char* folder) {
    const bool save = action == 1;
    std::string start = folder && *folder ? folder : "";
    if (!start.empty() && start.back() != '/') start += '/';
    const std::vector<std::vector<std::string>> choosers = {
        save ? std::vector<std::string>{"zenity", "--file-selection", "--title=Vulpane", "--save",
                                        "--confirm-overwrite", "--filename=" + start}
             : std::vector<std::string>{"zenity", "--file-selection", "--title=Vulpane",
                                        "--filename=" + start},
        {"kdialog", save ? "--getsavefilename" : "--getopenfilename", start.empty() ? "." : start},
    };
    for (const std::vector<std::string>& args : choosers) {
        std::string output;
        int status = 0;
        if (!Capture(args, output, status)) continue; // not installed: try the next one
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::string(); // cancelled
        while (!output.empty() && (output.back() == '\n' || output.back() == '\r'))
            output.pop_back();
        // One absolute path, or nothing.
        if (output.empty() || output[0] != '/' || output.find('\n') != std::string::npos)
            return std::string();
        return output;
    }
    return std::string();
}

bool ShowDesktopMessage(const char* caption, const char* text) {
    if (!HasDisplay()) return false;
    const pid_t shell =
        Start({"/bin/sh", "-c", kMessageScript, "sh", caption ? caption : "", text ? text : ""}, -1);
    if (shell < 0) return false;
    const int status = WaitFor(shell);
    return !(WIFEXITED(status) && WEXITSTATUS(status) == 127);
}

bool RunTextPrompt(const char* prompt, const std::string& text, std::string& out, bool& answered) {
    answered = false;
    out.clear();
    if (!HasDisplay()) return false;
    const std::string question = prompt ? prompt : "";
    const std::vector<std::vector<std::string>> programs = {
        {"zenity", "--entry", "--title=Vulpane", "--text=" + question, "--entry-text=" + text},
        {"kdialog", "--title", "Vulpane", "--inputbox", question, text},
    };
    for (const std::vector<std::string>& args : programs) {
        std::string output;
        int status = 0;
        if (!Capture(args, output, status)) continue;
        if (WIFEXITED(status) && WEXITSTATUS(status) == 127) continue;   // the program was not found
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return true; // cancelled
        while (!output.empty() && (output.back() == '\n' || output.back() == '\r'))
            output.pop_back();
        out = output;
        answered = true;
        return true;
    }
    return false;
}
