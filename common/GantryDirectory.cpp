#include "common/GantryDirectory.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace gantry {

namespace {

std::string EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

}  // namespace

std::string GantryDirectory() {
    std::string dir = EnvironmentValue("GANTRY_DIR");
    if (!dir.empty()) {
        return dir;
    }
    dir = EnvironmentValue("XDG_CONFIG_HOME");
    if (!dir.empty()) {
        return dir + "/gantry";
    }
    dir = EnvironmentValue("HOME");
    if (!dir.empty()) {
        return dir + "/.config/gantry";
    }
    return "gantry";
}

std::string ResolveGantryPath(const std::string& name) {
    if (name.find('/') != std::string::npos) {
        return name;
    }
    return GantryDirectory() + "/" + name;
}

bool MakeDirectories(const std::string& path) {
    std::error_code error;
    std::filesystem::create_directories(path, error);
    return std::filesystem::is_directory(path, error);
}

}  // namespace gantry
