#include "common/SharedLibrary.h"

#include <dlfcn.h>

#include <utility>

namespace gantry {

namespace {

std::string TakeLoaderError() {
    const char* text = ::dlerror();
    return text != nullptr ? std::string(text) : std::string("unknown loader error");
}

}  // namespace

CSharedLibrary::CSharedLibrary(CSharedLibrary&& other) noexcept
    : m_hModule(std::exchange(other.m_hModule, nullptr)), m_error(std::move(other.m_error)) {}

CSharedLibrary& CSharedLibrary::operator=(CSharedLibrary&& other) noexcept {
    if (this != &other) {
        Close();
        m_hModule = std::exchange(other.m_hModule, nullptr);
        m_error = std::move(other.m_error);
    }
    return *this;
}

bool CSharedLibrary::Open(const std::string& fileName) {
    Close();
    m_error.clear();
    ::dlerror();
    m_hModule = ::dlopen(fileName.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (m_hModule == nullptr) {
        m_error = TakeLoaderError();
        return false;
    }
    return true;
}

void* CSharedLibrary::Symbol(const char* name) {
    if (m_hModule == nullptr || name == nullptr) {
        m_error = "no library loaded";
        return nullptr;
    }
    ::dlerror();
    void* address = ::dlsym(m_hModule, name);
    if (address == nullptr) {
        m_error = TakeLoaderError();
    }
    return address;
}

void CSharedLibrary::Close() {
    if (m_hModule != nullptr) {
        ::dlclose(m_hModule);
        m_hModule = nullptr;
    }
}

}  // namespace gantry
