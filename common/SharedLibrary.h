// A shared library loaded at run time by file name (dlopen), unloaded when the
// object goes. A name without '/' is searched the usual way, including the
// RUNPATH of the program or library that holds this code.
#pragma once

#include <string>

namespace gantry {

class CSharedLibrary {
public:
    CSharedLibrary() = default;
    ~CSharedLibrary() { Close(); }
    CSharedLibrary(CSharedLibrary&& other) noexcept;
    CSharedLibrary& operator=(CSharedLibrary&& other) noexcept;
    CSharedLibrary(const CSharedLibrary&) = delete;
    CSharedLibrary& operator=(const CSharedLibrary&) = delete;

    // Loads `fileName`, closing any library held before; false on failure, with
    // the loader's text in Error().
    bool Open(const std::string& fileName);
    bool IsOpen() const { return m_hModule != nullptr; }
    // The address of the exported `name`, or null (the loader's text in Error()).
    void* Symbol(const char* name);
    // Typed form: Resolve<short (*)(int)>("SP_Disconnect").
    template <class Function>
    Function Resolve(const char* name) {
        return reinterpret_cast<Function>(Symbol(name));
    }
    void Close();
    // The loader's text for the last failure of Open or Symbol ("" if none).
    const std::string& Error() const { return m_error; }

private:
    void* m_hModule = nullptr;
    std::string m_error;
};

}  // namespace gantry
