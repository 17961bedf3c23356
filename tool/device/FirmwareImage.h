// One image file named by an update description, opened for streaming to the
// gateway chunk by chunk: never read whole, so its size costs no memory.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace gantry::tool {

class CFirmwareImage {
public:
    CFirmwareImage() = default;
    ~CFirmwareImage();
    CFirmwareImage(const CFirmwareImage&) = delete;
    CFirmwareImage& operator=(const CFirmwareImage&) = delete;

    // Opens `directory` + `name`: the name must stay inside the description's
    // folder (not absolute, no ".." part), and the file must be a regular file
    // of exactly `size` bytes, at least one. False with the message the user
    // sees: "The image file NAME lies outside the folder of the update
    // description", "Unable to open the image file PATH", "The image file PATH
    // is not a regular file", "The image file PATH is empty" or "FileSize of
    // PATH does not match nvs files". Opening never blocks (a FIFO, a device).
    bool Open(const std::string& directory, const std::string& name, std::uint32_t size,
              std::string& message);
    // Reads into.size() bytes at `offset`; false when they are not all there
    // (the file shrank since it was opened).
    bool Read(std::uint32_t offset, std::span<std::uint8_t> into) const;
    std::uint32_t Size() const { return m_size; }

private:
    int m_fd = -1;
    std::uint32_t m_size = 0;
};

}  // namespace gantry::tool
