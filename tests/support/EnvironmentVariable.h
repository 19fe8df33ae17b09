#pragma once
// One environment variable changed for a test and put back as it was.

#include <cstdlib>
#include <optional>
#include <string>

namespace zentory::test {

class EnvironmentVariable {
public:
    explicit EnvironmentVariable(const char* name) : m_name(name) {
        if (const char* value = std::getenv(name)) {
            m_saved = value;
        }
    }
    ~EnvironmentVariable() { set(m_saved ? m_saved->c_str() : nullptr); }
    EnvironmentVariable(const EnvironmentVariable&) = delete;
    EnvironmentVariable& operator=(const EnvironmentVariable&) = delete;

    // Sets the variable to `value`, or removes it for nullptr.
    void set(const char* value) const {
#ifdef _WIN32
        // The C runtime passes it on to the system's own copy; "NAME=" removes it.
        _putenv((std::string(m_name) + "=" + (value != nullptr ? value : "")).c_str());
#else
        value != nullptr ? ::setenv(m_name, value, 1) : ::unsetenv(m_name);
#endif
    }

private:
    const char* m_name;
    std::optional<std::string> m_saved;
};

} // namespace zentory::test
