// An environment variable set (or removed) for as long as the object lives.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

class TScopedEnvironment {
public:
    // value null: the variable is removed.
    TScopedEnvironment(std::string name, const char* value) : FName(std::move(name))
    {
        if (const char* old = std::getenv(FName.c_str())) {
            FOld = old;
        }
        Set(value);
    }
    ~TScopedEnvironment() { Set(FOld ? FOld->c_str() : nullptr); }
    TScopedEnvironment(const TScopedEnvironment&) = delete;
    TScopedEnvironment& operator=(const TScopedEnvironment&) = delete;

private:
    void Set(const char* value)
    {
#ifdef _WIN32
        ::_putenv_s(FName.c_str(), value ? value : ""); // "" removes it
#else
        if (value) {
            ::setenv(FName.c_str(), value, 1);
        } else {
            ::unsetenv(FName.c_str());
        }
#endif
    }

    std::string FName;
    std::optional<std::string> FOld;
};
