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
#include "platform/ScratchFolder.h"

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
    // The copy under way is held as every scratch is: another copy of the program starting
    // meanwhile leaves it, and the next start removes what a killed one left.
    ScratchFolder scratch(Folder(to));
    const std::string partial = Join(scratch.Path(), FileName(to));
    std::error_code ec;
    fs::copy_file(from, partial, ec);
    if (!ec) fs::permissions(partial, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add, ec);
    if (ec) Fail(NumberOf(ec), "Cannot copy " + from + " to " + to, ec);
    return LinkIfAbsent(partial, to);
}

bool LinkIfAbsent(const std::string& from, const std::string& to) {
    if (::link(from.c_str(), to.c_str()) == 0) return true;
    if (errno == EEXIST) return false;
    const std::error_code ec(errno, std::generic_category());
    Fail(NumberOf(ec), "Cannot give " + from + " the name " + to, ec);
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

void WriteAll(const std::string& path, const std::string& bytes) { Writer(path).Write(bytes.data(), bytes.size()); }

bool Append(const std::string& path, const std::string& text) {
    struct stat before {};
    const bool existed = ::stat(path.c_str(), &before) == 0;
    return Catching(
        [&] {
            Writer out(path, Writer::Append);
            out.Write(text.data(), text.size());
            // Only what has reached the disk counts: a caller may let go of its own copy after this.
            out.Close();
            return true;
        },
        [&](const RuntimeError&) {
            // The text is added whole or not at all: what went in before the disk was full is
            // taken out again, and a file made for it goes.
            if (!existed) Remove(path);
            else if (S_ISREG(before.st_mode)) (void)::truncate(path.c_str(), before.st_size);
            return false;
        });
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
    if (!mkdtemp(buf.data())) {
        const int error = errno;
        RuntimeError failure(ErrorNumber::PathNotFound,
                             "Cannot make a temporary folder in " + base + ": " + std::strerror(error));
        failure.noRoom = NoRoom(error);
        throw failure;
    }
    return buf.data();
}

bool TakesNewFiles(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd >= 0) {
        ::close(fd);
        return true;
    }
    return errno != EACCES && errno != EPERM && errno != EROFS;
}

bool NoRoom(int errorNumber) { return errorNumber == ENOSPC || errorNumber == EDQUOT || errorNumber == EFBIG; }

Writer::Writer(const std::string& path, Mode mode) : path_(path) {
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | (mode == Append ? O_APPEND : O_TRUNC), 0666);
    if (fd_ < 0) Fail();
}

Writer::~Writer() {
    if (fd_ >= 0) ::close(fd_);
}

void Writer::Write(const void* data, std::size_t size) {
    const char* from = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd_, from, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) Fail();  // a short write is followed by the one that says why
        from += n;
        size -= static_cast<std::size_t>(n);
    }
}

void Writer::Close() {
    const bool synced = ::fsync(fd_) == 0;
    const int error = errno;
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    if (!synced) errno = error;
    if (!synced || !closed) Fail();
}

void Writer::Fail() const {
    const int error = errno;
    RuntimeError failure(ErrorNumber::PathNotFound, "Cannot write " + path_ + ": " + std::strerror(error));
    failure.noRoom = NoRoom(error);
    throw failure;
}

}  // namespace FileSystem
