// user_folders.cpp -- the player's own folders, as the desktop names them
#include "user_folders.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string Home() {
    const char* home = std::getenv("HOME");
    return home && home[0] == '/' ? home : "";
}

// The same folder however it is spelt: no trailing slash, no "." steps.
std::string Plain(const std::string& path) {
    std::string plain = std::filesystem::path(path).lexically_normal().string();
    while (plain.size() > 1 && plain.back() == '/')
        plain.pop_back();
    return plain;
}

// A file the desktop writes is a few hundred bytes; anything past this is no such file.
constexpr off_t LongestUserDirs = 65536;

// The text of user-dirs.dirs; empty unless it is a regular file of a sane size.
std::string UserDirsText(const std::string& path) {
    std::string text, why;
    return ReadSmallFile(path, LongestUserDirs, text, why) ? text : "";
}

// The value of XDG_PICTURES_DIR="..." in user-dirs.dirs, with $HOME put in; empty when absent.
std::string FromUserDirs() {
    std::string settings = XdgHome("XDG_CONFIG_HOME", ".config");
    if (settings.empty()) return "";
    std::istringstream in(UserDirsText(settings + "/user-dirs.dirs"));
    const std::string key = "XDG_PICTURES_DIR=\"";
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(key, 0) != 0) continue;
        std::size_t end = line.find('"', key.size());
        if (end == std::string::npos) return "";
        std::string value = line.substr(key.size(), end - key.size());
        if (value.rfind("$HOME", 0) == 0) {
            if (Home().empty()) return "";
            value = Home() + value.substr(5);
        }
        return value[0] == '/' ? value : "";
    }
    return "";
}

} // namespace

std::string XdgHome(const char* variable, const char* underHome) {
    const char* set = std::getenv(variable);
    if (set && set[0] == '/') return set;
    return Home().empty() ? "" : Home() + "/" + underHome;
}

std::string PicturesFolder() {
    const char* set = std::getenv("XDG_PICTURES_DIR");
    std::string folder = set && set[0] == '/' ? set : FromUserDirs();
    if (folder.empty() || (!Home().empty() && Plain(folder) == Plain(Home()))) return "";
    return folder;
}

bool ReadSmallFile(const std::string& path, off_t most, std::string& text, std::string& why) {
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return why = errno == ENOENT ? "not a regular file" : "cannot be read", false;
    struct stat st {};
    const char* problem = nullptr;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        problem = "not a regular file";
    else if (st.st_size > most)
        problem = "too long to be this file";
    else {
        text.resize(std::size_t(st.st_size));
        ssize_t got = ::read(fd, text.data(), text.size());
        if (got < 0) problem = "cannot be read";
        text.resize(got > 0 ? std::size_t(got) : 0);
    }
    ::close(fd);
    if (problem) why = problem;
    return !problem;
}
