// files.cpp -- opening and reading the game's own files
//
// The test log names each sound buffer by the file its samples came from. Which file was opened
// last says little (the music, a picture or the map may be read in between), so the platform
// looks at the samples themselves: the newest of the last few files read whole that holds them.
// For samples found in none, the newest game file still open when the buffer was made stands in;
// a FILE handed out here is a thin wrapper around the real one that notes its own closing.
#include "files.h"

#include <algorithm>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "backend.h"

namespace {

std::vector<std::pair<const void*, std::string>> OpenFiles; // oldest first

// The last few files read whole, newest last, kept only where names are wanted (the test
// platform) and only for files of a sound effect's size.
struct RecentFile {
    std::string name;
    std::vector<std::uint8_t> bytes;
};
std::deque<RecentFile> Recent;
constexpr std::size_t RecentCount = 8;
constexpr std::size_t RecentLargest = std::size_t(1) << 20;

ssize_t CookieRead(void* cookie, char* buffer, size_t size) {
    std::FILE* f = static_cast<std::FILE*>(cookie);
    size_t n = std::fread(buffer, 1, size, f);
    return n == 0 && std::ferror(f) ? -1 : ssize_t(n);
}

int CookieSeek(void* cookie, off64_t* offset, int whence) {
    std::FILE* f = static_cast<std::FILE*>(cookie);
    if (fseeko(f, *offset, whence) != 0) return -1;
    *offset = ftello(f);
    return 0;
}

int CookieClose(void* cookie) {
    NoteGameFileClosed(cookie);
    return std::fclose(static_cast<std::FILE*>(cookie));
}

} // namespace

void NoteGameFileOpen(const void* handle, const char* name) {
    OpenFiles.emplace_back(handle, name ? name : "");
}

void NoteGameFileClosed(const void* handle) {
    auto at = std::find_if(OpenFiles.begin(), OpenFiles.end(),
                           [&](const auto& f) { return f.first == handle; });
    if (at != OpenFiles.end()) OpenFiles.erase(at);
}

const std::string& NewestOpenGameFile() {
    static const std::string none;
    return OpenFiles.empty() ? none : OpenFiles.back().second;
}

void ForgetOpenGameFiles() {
    OpenFiles.clear();
    Recent.clear();
}

std::string GameFileHolding(const std::uint8_t* data, std::size_t size) {
    if (!data || size == 0) return {};
    for (auto f = Recent.rbegin(); f != Recent.rend(); ++f)
        if (f->bytes.size() >= size &&
            std::search(f->bytes.begin(), f->bytes.end(), data, data + size) != f->bytes.end())
            return f->name;
    return {};
}

std::FILE* OpenGameFile(const char* name) {
    if (!name) return nullptr;
    // Only a regular file holds data: a named pipe would hold the game in open() until something
    // wrote to it, and a device could be read for ever. Opened without waiting, such a file is
    // refused as a missing one is.
    int fd = open(name, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat status;
    std::FILE* real = nullptr;
    if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && fcntl(fd, F_SETFL, 0) == 0)
        real = fdopen(fd, "rb");
    if (!real) {
        close(fd);
        return nullptr;
    }
    cookie_io_functions_t io{CookieRead, nullptr, CookieSeek, CookieClose};
    std::FILE* wrapped = fopencookie(real, "rb", io);
    if (!wrapped) return real; // still readable, only left out of the names
    NoteGameFileOpen(real, name);
    return wrapped;
}

GameFileRead ReadGameFile(const char* name, std::size_t maxBytes,
                          std::vector<std::uint8_t>& bytes) {
    if (name) BackendCall((std::string("ReadGameFile ") + name).c_str());
    std::FILE* in = OpenGameFile(name);
    if (!in) return GameFileRead::Missing;
    bool ok = std::fseek(in, 0, SEEK_END) == 0;
    long size = ok ? std::ftell(in) : -1;
    ok = ok && size >= 0 && std::size_t(size) <= maxBytes && std::fseek(in, 0, SEEK_SET) == 0;
    if (ok) {
        bytes.resize(std::size_t(size));
        ok = std::fread(bytes.data(), 1, bytes.size(), in) == bytes.size();
    }
    std::fclose(in);
    if (ok && BackendNamesSoundBuffers() && bytes.size() <= RecentLargest) {
        Recent.push_back(RecentFile{name, bytes});
        if (Recent.size() > RecentCount) Recent.pop_front();
    }
    return ok ? GameFileRead::Read : GameFileRead::Unreadable;
}
