#pragma once

#include <cstdlib>
#include <string>

namespace kestrel::testing {

// The variable that names the per-user configuration folder.
#ifdef _WIN32
constexpr const char* kConfigHomeVariable = "APPDATA";
#else
constexpr const char* kConfigHomeVariable = "XDG_CONFIG_HOME";
#endif

inline void SetEnvironment(const char* name, const std::string& value) {
#ifdef _WIN32
    ::_putenv_s(name, value.c_str());
#else
    ::setenv(name, value.c_str(), 1);
#endif
}

// Restores an environment variable when the test ends.
class EnvironmentGuard {
public:
    explicit EnvironmentGuard(const char* name) : name_(name) {
        const char* value = std::getenv(name);
        had_ = value != nullptr;
        if (had_)
            value_ = value;
    }
    ~EnvironmentGuard() {
#ifdef _WIN32 // an empty value removes the variable
        ::_putenv_s(name_, had_ ? value_.c_str() : "");
#else
        if (had_)
            SetEnvironment(name_, value_);
        else
            ::unsetenv(name_);
#endif
    }
    EnvironmentGuard(const EnvironmentGuard&) = delete;
    EnvironmentGuard& operator=(const EnvironmentGuard&) = delete;

private:
    const char* name_;
    bool had_ = false;
    std::string value_;
};

} // namespace kestrel::testing
