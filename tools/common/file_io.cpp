#include "file_io.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace sftools {

bool ReadFile(const std::string& path, std::vector<std::uint8_t>* out, std::string* error,
              std::size_t maxBytes) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        *error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    out->clear();
    // On the stack: one read per 64 KiB, no allocation but the result's.
    std::uint8_t buffer[65536];
    bool ok = true;
    // Read in chunks rather than trusting a size: pipes and /proc files have none.
    for (;;) {
        const std::size_t got = std::fread(buffer, 1, sizeof buffer, file);
        if (got > maxBytes - out->size()) {
            *error = path + " is larger than " + std::to_string(maxBytes >> 20) + " MiB";
            ok = false;
            break;
        }
        out->insert(out->end(), buffer, buffer + got);
        if (got < sizeof buffer) {
            if (std::ferror(file)) {
                *error = "cannot read " + path;
                ok = false;
            }
            break;
        }
    }
    std::fclose(file);
    return ok;
}

bool WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes,
                         std::string* error) {
    // Same directory as the target, so the rename never crosses file systems;
    // the process id keeps two runs writing the same file apart.
    const std::string temporary = path + ".partial-" + std::to_string(::getpid());
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) {
        *error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    // fsync before the rename: after a crash the file is the old one or the new one.
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool flushed = std::fflush(file) == 0 && ::fsync(::fileno(file)) == 0;
    const bool closed = std::fclose(file) == 0;
    if (!written || !flushed || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
        // remove() may change errno; the message is about the write.
        const int saved = errno;
        std::remove(temporary.c_str());
        *error = "cannot write " + path + ": " + std::strerror(saved);
        return false;
    }
    return true;
}

}  // namespace sftools
