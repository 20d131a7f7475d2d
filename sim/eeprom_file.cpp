#include "sim/eeprom_file.h"

#include "link/frames.h"
#include "link/hex.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace camsim {

namespace {

void append_record(std::string& text, const std::array<std::uint8_t, cam::kPayloadSize>& payload) {
    text += cam::hex_bytes(payload.data(), payload.size());
    text += "\r\n";
}

} // namespace

std::string EepromCopyText(const MemoryState& memory) {
    std::string text;
    text.reserve(32 * (kEepromWords + 1));
    for (int a = 0; a < kEepromWords; ++a) {
        const std::uint16_t word = memory.Eeprom(a);
        std::array<std::uint8_t, cam::kPayloadSize> payload{};
        payload[0] = cam::kWriteClass;
        payload[1] = 0x0C;
        payload[2] = static_cast<std::uint8_t>(a >> 8);
        payload[3] = static_cast<std::uint8_t>(a);
        payload[4] = static_cast<std::uint8_t>(word >> 8);
        payload[5] = static_cast<std::uint8_t>(word);
        append_record(text, payload);
    }
    std::array<std::uint8_t, cam::kPayloadSize> end{};
    end[0] = cam::kResetClass;
    append_record(text, end);
    return text;
}

bool WriteFileAtomically(const std::string& path, const std::string& text, std::string* error) {
    std::vector<char> temporary(path.begin(), path.end());
    for (const char c : std::string(".XXXXXX"))
        temporary.push_back(c);
    temporary.push_back('\0');
    const auto fail = [&](int fd) {
        const int why = errno;
        if (fd >= 0) {
            ::close(fd);
            ::unlink(temporary.data());
        }
        if (error) *error = path + ": " + std::strerror(why);
        return false;
    };
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) return fail(-1);
    // mkstemp makes the file private; give it the mode a plain new file gets.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (::fchmod(fd, 0666 & ~mask) != 0) return fail(fd);
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return fail(fd);
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0) return fail(fd);
    if (::close(fd) != 0) {
        const int why = errno;
        ::unlink(temporary.data());
        errno = why;
        return fail(-1);
    }
    if (::rename(temporary.data(), path.c_str()) != 0) {
        const int why = errno;
        ::unlink(temporary.data());
        errno = why;
        return fail(-1);
    }
    return true;
}

} // namespace camsim
