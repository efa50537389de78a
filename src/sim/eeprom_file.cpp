#include "sim/eeprom_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <unistd.h>

namespace rl4::sim {

namespace {

bool writeWhole(int fd, const Bytes& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

std::optional<std::string> loadEepromFile(const std::string& path, Eeprom& eeprom) {
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        return std::nullopt;
    }
    // The size first: anything else is not an image, and a huge file must not be read into memory.
    const auto size = std::filesystem::file_size(path, error);
    if (error) {
        return "cannot read EEPROM file " + path + ": " + error.message();
    }
    if (size != static_cast<std::uintmax_t>(Eeprom::kSize)) {
        return "EEPROM file " + path + " has " + std::to_string(size) + " bytes, expected " +
               std::to_string(Eeprom::kSize);
    }
    std::ifstream file(path, std::ios::binary);
    Bytes contents(Eeprom::kSize);
    if (!file.read(reinterpret_cast<char*>(contents.data()), Eeprom::kSize) || !eeprom.replace(contents)) {
        return "cannot read EEPROM file " + path;
    }
    return std::nullopt;
}

// As the programs write their files: a temporary file beside the image, forced to the disk, then renamed
// over it, so that a kill or a full disk leaves the old image whole and no temporary file behind.
std::optional<std::string> saveEepromFile(const std::string& path, const Eeprom& eeprom) {
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        return "cannot write EEPROM file " + path + ": " + std::strerror(errno);
    }
    const bool written = writeWhole(fd, eeprom.bytes()) && ::fsync(fd) == 0;
    const int writeError = errno;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
        const int failure = !written ? writeError : errno;
        ::unlink(temporary.c_str());
        return "cannot write EEPROM file " + path + ": " + std::strerror(failure);
    }
    return std::nullopt;
}

} // namespace rl4::sim
