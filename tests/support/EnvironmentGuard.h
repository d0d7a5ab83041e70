#pragma once

#include <cstdlib>
#include <string>

namespace kestrel::testing {

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
            ::setenv(name_, value_.c_str(), 1);
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
