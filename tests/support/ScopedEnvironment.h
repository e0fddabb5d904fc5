#pragma once

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

// Sets environment variables for a test and puts the old values back when it ends (a variable
// that was not set comes back empty).
class ScopedEnvironment {
public:
    ScopedEnvironment() = default;
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;
    ~ScopedEnvironment() {
        for (auto it = saved.rbegin(); it != saved.rend(); ++it)
            Put(it->first, it->second);
    }
    void Set(const std::string& name, const std::string& value) {
        const char* old = std::getenv(name.c_str());
        saved.emplace_back(name, old ? old : "");
        Put(name, value);
    }
    // The variable naming the user's data folder on this system.
    static const char* UserDataVariable() {
#if defined(_WIN32)
        return "APPDATA";
#else
        return "XDG_DATA_HOME";
#endif
    }
    static const char* HomeVariable() {
#if defined(_WIN32)
        return "USERPROFILE";
#else
        return "HOME";
#endif
    }

private:
    static void Put(const std::string& name, const std::string& value) {
#if defined(_WIN32)
        _putenv_s(name.c_str(), value.c_str());
#else
        setenv(name.c_str(), value.c_str(), 1);
#endif
    }
    std::vector<std::pair<std::string, std::string>> saved;
};
