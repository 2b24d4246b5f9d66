#include "platform/TextFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/FileSystem.h"
#include "platform/RuntimeError.h"

namespace {

// Windows-1252 bytes 0x80 to 0x9F; the rest of the code page is Latin-1.
constexpr char16_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
                                0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
                                0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Length of the valid UTF-8 sequence at `pos`, or 0 when the bytes there are not one
// (overlong forms, surrogates and values past U+10FFFF are not).
std::size_t Utf8Length(std::string_view s, std::size_t pos) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    unsigned char b = byte(pos);
    if (b < 0x80) return 1;
    std::size_t n;
    unsigned char lo = 0x80, hi = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) n = 2;
    else if (b >= 0xE0 && b <= 0xEF) {
        n = 3;
        if (b == 0xE0) lo = 0xA0;
        if (b == 0xED) hi = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        n = 4;
        if (b == 0xF0) lo = 0x90;
        if (b == 0xF4) hi = 0x8F;
    } else {
        return 0;
    }
    if (pos + n > s.size()) return 0;
    if (byte(pos + 1) < lo || byte(pos + 1) > hi) return 0;
    for (std::size_t i = 2; i < n; ++i)
        if ((byte(pos + i) & 0xC0) != 0x80) return 0;
    return n;
}

bool WriteFully(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

[[noreturn]] void RaiseWrite(const std::string& path) {
    throw RuntimeError(ErrorNumber::PathNotFound, "Cannot write " + path + ": " + std::strerror(errno));
}

}  // namespace

namespace TextFile {

bool IsUtf8(std::string_view s) {
    for (std::size_t pos = 0; pos < s.size();) {
        std::size_t n = Utf8Length(s, pos);
        if (n == 0) return false;
        pos += n;
    }
    return true;
}

std::string Decode(std::string_view bytes) {
    if (IsUtf8(bytes)) {
        if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
        return std::string(bytes);
    }
    return FromWindows1252(bytes);
}

std::string Read(const std::string& path) { return Decode(FileSystem::ReadAll(path)); }

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.emplace_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

std::vector<std::string> ReadLines(const std::string& path) { return SplitLines(Read(path)); }

std::string WithCrLf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c != '\r' && c != '\n') {
            out += c;
            continue;
        }
        out += "\r\n";
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    }
    return out;
}

std::string NewFileBeside(const std::string& path, int* descriptor) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string temp = FileSystem::Join(FileSystem::Folder(path), "." + FileSystem::FileName(path) + "." +
                                                                          std::to_string(getpid()) + "-" +
                                                                          std::to_string(counter++) + ".tmp");
        int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EEXIST) continue;
        if (fd < 0) RaiseWrite(path);
        if (descriptor) *descriptor = fd;
        else ::close(fd);
        return temp;
    }
    RaiseWrite(path);
}

void Replace(const std::string& path, std::string_view bytes) {
    int fd = -1;
    std::string temp = NewFileBeside(path, &fd);
    auto fail = [&](int error) {
        ::unlink(temp.c_str());
        errno = error;
        RaiseWrite(path);
    };
    // The file keeps the permissions it had (a list kept private stays private).
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0) ::fchmod(fd, old.st_mode & 07777);
    if (!WriteFully(fd, bytes) || ::fsync(fd) != 0) {
        int error = errno;
        ::close(fd);
        fail(error);
    }
    if (::close(fd) != 0) fail(errno);
    if (std::rename(temp.c_str(), path.c_str()) != 0) fail(errno);
}

std::size_t CharCount(std::string_view utf8) {
    std::size_t count = 0;
    for (unsigned char c : utf8) count += (c & 0xC0) != 0x80;
    return count;
}

bool CreateIfAbsent(const std::string& path, std::string_view bytes) {
    int fd = -1;
    std::string temp = NewFileBeside(path, &fd);
    int error = 0;
    if (!WriteFully(fd, bytes) || ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    bool linked = false;
    if (error == 0) {
        linked = ::link(temp.c_str(), path.c_str()) == 0;
        if (!linked && errno != EEXIST) error = errno;
    }
    ::unlink(temp.c_str());
    if (error != 0) {
        errno = error;
        RaiseWrite(path);
    }
    return linked;
}

std::string ToWindows1252(std::string_view utf8, std::string* lacking) {
    if (lacking) lacking->clear();
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        std::size_t at = pos;
        char32_t c = NextUtf8(utf8, pos);
        int b = Windows1252Byte(c);
        if (b < 0 && lacking && lacking->empty()) *lacking = std::string(utf8.substr(at, pos - at));
        out += static_cast<char>(b < 0 ? '?' : b);
    }
    return out;
}

std::string FromWindows1252(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (char b : bytes) AppendUtf8(out, Windows1252Char(static_cast<unsigned char>(b)));
    return out;
}

int Windows1252Byte(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<int>(c);
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == c) return 0x80 + i;
    return -1;
}

char32_t Windows1252Char(unsigned char byte) { return byte >= 0x80 && byte < 0xA0 ? kHigh[byte - 0x80] : byte; }

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

char32_t NextUtf8(std::string_view text, std::size_t& pos) {
    std::size_t n = Utf8Length(text, pos);
    auto b = static_cast<unsigned char>(text[pos]);
    if (n == 0) {
        ++pos;
        return 0xFFFD;
    }
    char32_t c = n == 1 ? b : n == 2 ? (b & 0x1F) : n == 3 ? (b & 0x0F) : (b & 0x07);
    for (std::size_t i = 1; i < n; ++i) c = (c << 6) | (static_cast<unsigned char>(text[pos + i]) & 0x3F);
    pos += n;
    return c;
}

}  // namespace TextFile
