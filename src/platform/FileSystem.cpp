#include "platform/FileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/RuntimeError.h"

namespace fs = std::filesystem;

namespace {

[[noreturn]] void Fail(long number, const std::string& what, const std::error_code& ec) {
    throw RuntimeError(number, what + ": " + ec.message());
}

long NumberOf(const std::error_code& ec) {
    if (ec == std::errc::no_such_file_or_directory) return ErrorNumber::FileNotFound;
    if (ec == std::errc::permission_denied) return ErrorNumber::PermissionDenied;
    return ErrorNumber::PathNotFound;
}

}  // namespace

namespace FileSystem {

bool Exists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::exists(path, ec);
}

bool IsDirectory(const std::string& path) {
    std::error_code ec;
    return fs::is_directory(path, ec);
}

bool CreateDirectories(const std::string& path) {
    std::error_code ec;
    fs::create_directories(path, ec);
    return fs::is_directory(path, ec);
}

void Copy(const std::string& from, const std::string& to) {
    std::error_code ec;
    fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
    if (ec) Fail(NumberOf(ec), "Cannot copy " + from + " to " + to, ec);
}

bool CopyIfAbsent(const std::string& from, const std::string& to) {
    std::string partial = to + ".XXXXXX";
    std::error_code ec;
    int fd = mkstemp(partial.data());
    if (fd < 0) {
        ec.assign(errno, std::generic_category());
        Fail(NumberOf(ec), "Cannot copy " + from + " to " + to, ec);
    }
    ::close(fd);
    fs::copy_file(from, partial, fs::copy_options::overwrite_existing, ec);
    if (!ec) fs::permissions(partial, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add, ec);
    bool linked = !ec && ::link(partial.c_str(), to.c_str()) == 0;
    if (!ec && !linked && errno != EEXIST) ec.assign(errno, std::generic_category());
    std::error_code ignored;
    fs::remove(partial, ignored);
    if (ec) Fail(NumberOf(ec), "Cannot copy " + from + " to " + to, ec);
    return linked;
}

void Rename(const std::string& from, const std::string& to) {
    std::error_code ec;
    fs::rename(from, to, ec);
    if (ec) Fail(NumberOf(ec), "Cannot rename " + from + " to " + to, ec);
}

bool Remove(const std::string& path) {
    std::error_code ec;
    fs::remove(path, ec);
    return !ec;
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb{};
    if (stat(a.c_str(), &sa) != 0 || stat(b.c_str(), &sb) != 0) return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

long long Size(const std::string& path) {
    std::error_code ec;
    auto n = fs::file_size(path, ec);
    return ec ? -1 : static_cast<long long>(n);
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw RuntimeError(ErrorNumber::FileNotFound, "File not found: " + path);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) throw RuntimeError(ErrorNumber::PathNotFound, "Cannot write " + path + ": " + std::strerror(errno));
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) throw RuntimeError(ErrorNumber::PathNotFound, "Cannot write " + path + ": " + std::strerror(errno));
}

bool Append(const std::string& path, const std::string& text) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    bool written = true;
    for (std::size_t done = 0; written && done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        written = n > 0;
        if (written) done += static_cast<std::size_t>(n);
    }
    // Only what has reached the disk counts: a caller may let go of its own copy after this.
    written = written && ::fsync(fd) == 0;
    return ::close(fd) == 0 && written;
}

std::string Join(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

std::string FileName(const std::string& path) {
    auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Folder(const std::string& path) {
    auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string MakeTempFolder(const std::string& parent) {
    std::string base = parent.empty() ? fs::temp_directory_path().string() : parent;
    std::string pattern = Join(base, "kelvo-XXXXXX");
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (!mkdtemp(buf.data()))
        throw RuntimeError(ErrorNumber::PathNotFound,
                           "Cannot make a temporary folder in " + base + ": " + std::strerror(errno));
    return buf.data();
}

}  // namespace FileSystem
