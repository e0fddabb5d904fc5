#include "X11FileDialog.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

extern char** environ;

namespace {
// Runs the program found on PATH and returns what it printed; false when it could not start.
bool Capture(const std::vector<std::string>& args, std::string& output, int& status) {
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t child = 0;
    const int started = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (started != 0) {
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
    status = 0;
    // A host that ignores SIGCHLD has its children reaped already; the output still counts.
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            status = 0;
            break;
        }
    }
    return true;
}
} // namespace

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
