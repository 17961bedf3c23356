// Helpers shared by the tests.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

// A fresh, empty Gantry directory for the lifetime of the object: GANTRY_DIR
// points at it, and the old value comes back afterwards. Nothing a test does
// touches the real one.
class ScopedGantryDir {
public:
    ScopedGantryDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "gantry-test-XXXXXX");
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        m_path = pattern;
        if (const char* old = std::getenv("GANTRY_DIR")) {
            m_old = old;
            m_hadOld = true;
        }
        ::setenv("GANTRY_DIR", m_path.c_str(), 1);
    }
    ~ScopedGantryDir() {
        if (m_hadOld) {
            ::setenv("GANTRY_DIR", m_old.c_str(), 1);
        } else {
            ::unsetenv("GANTRY_DIR");
        }
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    ScopedGantryDir(const ScopedGantryDir&) = delete;
    ScopedGantryDir& operator=(const ScopedGantryDir&) = delete;

    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
    std::string m_old;
    bool m_hadOld = false;
};

inline std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

inline void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}
