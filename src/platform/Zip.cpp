#include "platform/Zip.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <zip.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/FileSystem.h"
#include "platform/RuntimeError.h"

namespace fs = std::filesystem;

namespace Zip {
namespace {

// Deflate at level 6: within a percent or two of level 9's size on a database, in well under
// two thirds of the time, so a backup of a large holding does not keep the keeper waiting.
constexpr int kLevel = 6;
constexpr std::size_t kBlock = 256 * 1024;

[[noreturn]] void Fail(const std::string& what, const std::string& detail, bool noRoom = false) {
    RuntimeError failure(ErrorNumber::InvalidCall, what + ": " + detail);
    failure.noRoom = noRoom;
    throw failure;
}

std::string ArchiveError(zip_t* za) { return zip_strerror(za); }

std::string OpenError(int code) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    std::string text = zip_error_strerror(&error);
    zip_error_fini(&error);
    return text;
}

struct ArchiveCloser {
    void operator()(zip_t* za) const {
        if (za) zip_discard(za);
    }
};
using ArchivePtr = std::unique_ptr<zip_t, ArchiveCloser>;

ArchivePtr OpenArchive(const std::string& archive, int flags) {
    int code = 0;
    zip_t* za = zip_open(archive.c_str(), flags, &code);
    if (!za) Fail("Cannot open the archive " + archive, OpenError(code));
    return ArchivePtr(za);
}

std::string Normalised(std::string name) {
    std::replace(name.begin(), name.end(), '\\', '/');
    return name;
}

std::string BareName(const std::string& name) {
    auto slash = name.find_last_of('/');
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

struct Planned {
    zip_uint64_t index;
    fs::path target;
    bool isDirectory;
    zip_uint64_t size;  // the bytes the archive declares for the entry
    bool encrypted;
    std::string name;  // as stored
};

zip_stat_t Stat(zip_t* za, zip_int64_t index) {
    zip_stat_t st;
    if (zip_stat_index(za, index, 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE))
        Fail("Cannot read the archive's entry sizes", ArchiveError(za));
    return st;
}

// An archive may declare more than the disk holds: it is refused before anything is written,
// with room to spare (a tenth more and a megabyte), so the disk is never filled to the last
// byte that the database and its journal need.
void CheckRoomFor(const std::vector<Planned>& plan, const std::string& folder) {
    long double needed = 0;
    for (const auto& entry : plan) needed += entry.isDirectory ? 0 : entry.size;
    struct statvfs disk {};
    if (::statvfs(folder.c_str(), &disk) != 0) return;  // nothing known: the writes will tell
    long double free = static_cast<long double>(disk.f_bavail) * disk.f_frsize;
    if (needed + needed / 10 + (1 << 20) <= free) return;
    auto bytes = [](long double n) { return std::to_string(static_cast<unsigned long long>(n)); };
    Fail("Cannot extract into " + folder,
         "the archive's files need " + bytes(needed) + " bytes and the disk has " + bytes(free) + " free", true);
}

std::vector<Planned> PlanExtraction(zip_t* za, const std::string& folder, const ExtractOptions& options) {
    std::vector<std::string> include;
    for (const auto& name : options.include) include.push_back(Normalised(name));

    std::vector<Planned> plan;
    zip_int64_t count = zip_get_num_entries(za, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* raw = zip_get_name(za, i, 0);
        if (!raw) Fail("Cannot read the archive's entry names", ArchiveError(za));
        std::string name = Normalised(raw);
        if (!IsSafeEntryName(name))
            Fail("Refusing to extract the archive",
                 "the entry \"" + std::string(raw) + "\" would be written outside the folder");
        if (!include.empty() && std::find(include.begin(), include.end(), name) == include.end()) continue;
        bool isDirectory = name.back() == '/';
        if (isDirectory && !options.useFolderNames) continue;
        fs::path target = fs::path(folder) / (options.useFolderNames ? name : BareName(name));
        const zip_stat_t st = Stat(za, i);
        plan.push_back({static_cast<zip_uint64_t>(i), target, isDirectory, st.size,
                        (st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE, raw});
    }
    return plan;
}

// Opens an entry for reading; an encrypted one with the password that opened the last, or
// else with the one the caller gives.
zip_file_t* OpenEntry(zip_t* za, const Planned& entry, const ExtractOptions& options, std::string& password) {
    if (!entry.encrypted) return zip_fopen_index(za, entry.index, 0);
    if (!password.empty())
        if (zip_file_t* file = zip_fopen_index_encrypted(za, entry.index, 0, password.c_str())) return file;
    std::string given;
    if (!options.password || !options.password(entry.name, given))
        Fail("Cannot extract " + entry.name, "it is encrypted and no password was given");
    zip_file_t* file = zip_fopen_index_encrypted(za, entry.index, 0, given.c_str());
    if (file) password = given;
    return file;
}

void ExtractOne(zip_t* za, const Planned& entry, const ExtractOptions& options, std::string& password) {
    zip_file_t* file = OpenEntry(za, entry, options, password);
    if (!file) Fail("Cannot read " + entry.target.filename().string(), ArchiveError(za));
    fs::create_directories(entry.target.parent_path());
    fs::path partial = entry.target;
    partial += ".partial";
    std::string error;  // why the entry is not extracted, empty while all goes well
    bool cancelled = false, noRoom = false;
    try {
        FileSystem::Writer out(partial.string());
        std::vector<char> buffer(1 << 16);
        for (zip_uint64_t written = 0; error.empty() && !cancelled;) {
            const zip_int64_t n = zip_fread(file, buffer.data(), buffer.size());
            if (n == 0) break;
            if (n < 0) {
                error = zip_file_strerror(file);
            } else if (written + n > entry.size) {
                // Data that inflates beyond what the entry declares is stopped where it passes it.
                error = "the entry holds more than the " + std::to_string(entry.size) + " bytes it declares";
            } else {
                out.Write(buffer.data(), static_cast<std::size_t>(n));
                written += n;
                cancelled = options.cancel && options.cancel();
            }
        }
        if (error.empty() && !cancelled) out.Close();
    } catch (const RuntimeError& failure) {
        noRoom = failure.noRoom;
        error = noRoom ? "the disk is full" : "cannot write " + partial.string();
    }
    zip_fclose(file);
    std::error_code renamed;
    if (error.empty() && !cancelled) {
        fs::rename(partial, entry.target, renamed);
        if (!renamed) return;
        error = renamed.message();
    }
    std::error_code ignored;
    fs::remove(partial, ignored);
    if (cancelled) throw Cancelled();
    Fail("Cannot extract " + entry.target.filename().string(), error, noRoom);
}

// A file compressed ahead of the archive: the raw deflate stream in an unlinked temporary file
// beside the archive, with the figures of its entry. The files are deflated here through zlib,
// in blocks side by side (libzip deflates one stream on one core), and handed to libzip as
// entries already compressed, which it copies as they are.
struct Deflated {
    FILE* stream = nullptr;
    zip_uint64_t size = 0;
    zip_uint64_t packed = 0;
    zip_uint32_t crc = 0;
    time_t modified = 0;
    zip_error_t error;
    Deflated() { zip_error_init(&error); }
    ~Deflated() {
        if (stream) std::fclose(stream);
        zip_error_fini(&error);
    }
};

FILE* AnonymousFileIn(const std::string& folder) {
    std::string pattern = (fs::path(folder) / ".kelvo-deflate-XXXXXX").string();
    int fd = mkstemp(pattern.data());
    if (fd < 0) Fail("Cannot write in " + folder, std::strerror(errno));
    unlink(pattern.c_str());  // gone with the descriptor, whatever happens
    FILE* file = fdopen(fd, "w+b");
    if (!file) {
        close(fd);
        Fail("Cannot write in " + folder, std::strerror(errno));
    }
    return file;
}

// The progress display must not spoil the archive: nothing it throws comes back here.
void Report(const std::function<void(double)>& progress, double done) {
    if (!progress) return;
    try {
        progress(done);
    } catch (...) {
    }
}

// One block of a file, deflated on its own: primed with the 32 kB before it, so that the
// archive is as small as one stream over the whole file would make it, and ended on a byte
// boundary (the last one ends the stream). Joined in order, the blocks are one deflate stream.
struct Block {
    std::vector<unsigned char> dictionary;  // the 32 kB of the file before the block
    std::vector<unsigned char> input;
    std::vector<unsigned char> output;
    uLong crc = 0;
    bool last = false;
    bool failed = false;
    bool done = false;  // guarded by the pool's lock
};

void DeflateBlock(Block& block) {
    z_stream z{};
    if (deflateInit2(&z, kLevel, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
        block.failed = true;
        return;
    }
    if (!block.dictionary.empty())
        deflateSetDictionary(&z, block.dictionary.data(), static_cast<uInt>(block.dictionary.size()));
    block.output.resize(deflateBound(&z, block.input.size()) + 16);  // room for the flush marker
    z.next_in = block.input.data();
    z.avail_in = static_cast<uInt>(block.input.size());
    z.next_out = block.output.data();
    z.avail_out = static_cast<uInt>(block.output.size());
    const int done = deflate(&z, block.last ? Z_FINISH : Z_SYNC_FLUSH);
    block.failed = z.avail_in != 0 || (block.last ? done != Z_STREAM_END : done != Z_OK);
    block.output.resize(block.output.size() - z.avail_out);
    deflateEnd(&z);
    block.crc = crc32(0, block.input.data(), static_cast<uInt>(block.input.size()));
}

// Threads that deflate the blocks handed to them, in the order given, while the caller reads the
// next blocks and writes the finished ones: reading, deflating and writing overlap, and no thread
// waits for the slowest block of a round.
class DeflatePool {
public:
    explicit DeflatePool(unsigned threads) {
        for (unsigned i = 0; i < threads; ++i) workers_.emplace_back([this] { Work(); });
    }
    ~DeflatePool() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
            queue_.clear();
        }
        wake_.notify_all();
        for (auto& worker : workers_) worker.join();
    }
    DeflatePool(const DeflatePool&) = delete;
    DeflatePool& operator=(const DeflatePool&) = delete;

    void Add(std::shared_ptr<Block> block) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            queue_.push_back(std::move(block));
        }
        wake_.notify_one();
    }
    void WaitFor(const Block& block) {
        std::unique_lock<std::mutex> lock(mutex_);
        finished_.wait(lock, [&] { return block.done; });
    }

private:
    std::mutex mutex_;
    std::condition_variable wake_, finished_;
    std::deque<std::shared_ptr<Block>> queue_;
    bool stopping_ = false;
    std::vector<std::thread> workers_;

    void Work() {
        for (;;) {
            std::shared_ptr<Block> block;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                wake_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
                if (stopping_) return;
                block = std::move(queue_.front());
                queue_.pop_front();
            }
            DeflateBlock(*block);
            {
                std::lock_guard<std::mutex> lock(mutex_);
                block->done = true;
            }
            finished_.notify_all();
        }
    }
};

// Deflates the file block by block on `threads` threads (a backup of a large holding then takes a
// fraction of the time one stream would) into a Deflated. `advanced` hears of every block written.
std::unique_ptr<Deflated> DeflateFile(const std::string& path, const std::string& folder, unsigned threads,
                                      const std::function<void(zip_uint64_t)>& advanced) {
    auto out = std::make_unique<Deflated>();
    std::ifstream in(path, std::ios::binary);
    struct stat st {};
    if (!in || stat(path.c_str(), &st) != 0) Fail("Cannot add " + path, std::strerror(errno));
    out->modified = st.st_mtime;
    out->stream = AnonymousFileIn(folder);

    const unsigned workers = std::clamp(std::thread::hardware_concurrency(), 1u, std::max(threads, 1u));
    DeflatePool pool(workers);
    std::deque<std::shared_ptr<Block>> queued;  // read and handed to the pool, not written yet
    std::vector<unsigned char> before;          // the last 32 kB read
    uLong crc = crc32(0, nullptr, 0);
    for (bool last = false; !last || !queued.empty();) {
        // Enough blocks ahead that no thread waits while the oldest is written.
        while (!last && queued.size() < 2 * workers + 2) {
            auto block = std::make_shared<Block>();
            block->input.resize(kBlock);
            in.read(reinterpret_cast<char*>(block->input.data()), static_cast<std::streamsize>(kBlock));
            if (in.bad()) Fail("Cannot add " + path, "the file cannot be read");
            block->input.resize(static_cast<std::size_t>(in.gcount()));
            block->last = last = in.peek() == std::ifstream::traits_type::eof();
            block->dictionary = before;
            const auto& tail = block->input;
            before.assign(tail.end() - static_cast<long>(std::min<std::size_t>(tail.size(), 32768)), tail.end());
            pool.Add(block);
            queued.push_back(std::move(block));
        }
        const Block& block = *queued.front();
        pool.WaitFor(block);
        if (block.failed) Fail("Cannot add " + path, "the compressor failed");
        if (std::fwrite(block.output.data(), 1, block.output.size(), out->stream) != block.output.size())
            Fail("Cannot write in " + folder, std::strerror(errno));
        crc = crc32_combine(crc, block.crc, static_cast<z_off_t>(block.input.size()));
        out->size += block.input.size();
        out->packed += block.output.size();
        advanced(block.input.size());
        queued.pop_front();
    }
    out->crc = static_cast<zip_uint32_t>(crc);
    if (std::fflush(out->stream) != 0) Fail("Cannot write in " + folder, std::strerror(errno));
    return out;
}

// libzip's view of a Deflated: a source whose data is already deflated, with its size and CRC.
zip_int64_t ServeDeflated(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command) {
    auto* d = static_cast<Deflated*>(state);
    switch (command) {
        case ZIP_SOURCE_OPEN: std::rewind(d->stream); return 0;
        case ZIP_SOURCE_READ: {
            std::size_t n = std::fread(data, 1, length, d->stream);
            if (n < length && std::ferror(d->stream)) {
                zip_error_set(&d->error, ZIP_ER_READ, errno);
                return -1;
            }
            return static_cast<zip_int64_t>(n);
        }
        case ZIP_SOURCE_CLOSE: return 0;
        case ZIP_SOURCE_STAT: {
            auto* st = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &d->error);
            if (!st) return -1;
            zip_stat_init(st);
            st->valid = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_CRC | ZIP_STAT_COMP_METHOD |
                        ZIP_STAT_ENCRYPTION_METHOD | ZIP_STAT_MTIME;
            st->size = d->size;
            st->comp_size = d->packed;
            st->crc = d->crc;
            st->comp_method = ZIP_CM_DEFLATE;
            st->encryption_method = ZIP_EM_NONE;
            st->mtime = d->modified;
            return sizeof(zip_stat_t);
        }
        case ZIP_SOURCE_ERROR: return zip_error_to_data(&d->error, data, length);
        case ZIP_SOURCE_FREE: delete d; return 0;
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                                  ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
        default: zip_error_set(&d->error, ZIP_ER_OPNOTSUPP, 0); return -1;
    }
}

// Writes the archive's changes (through a temporary file that replaces it whole).
void Close(ArchivePtr& za, const std::string& archive) {
    zip_t* raw = za.release();
    if (zip_close(raw) != 0) {
        std::string error = ArchiveError(raw);
        zip_discard(raw);
        Fail("Cannot write the archive " + archive, error);
    }
}

}  // namespace

bool IsSafeEntryName(const std::string& stored) {
    std::string name = Normalised(stored);
    if (name.empty() || name.front() == '/') return false;
    if (name.size() >= 2 && name[1] == ':') return false;  // a drive letter
    std::size_t start = 0;
    while (start <= name.size()) {
        auto end = name.find('/', start);
        if (end == std::string::npos) end = name.size();
        if (name.compare(start, end - start, "..") == 0 && end - start == 2) return false;
        start = end + 1;
    }
    return true;
}

void Add(const std::string& archive, const std::vector<FileToAdd>& files, const AddOptions& options) {
    ArchivePtr za = OpenArchive(archive, ZIP_CREATE);
    double total = 0, done = 0;
    for (const auto& file : files) {
        std::error_code ec;
        if (!fs::is_regular_file(file.path, ec)) Fail("Cannot add " + file.path, "no such file");
        total += static_cast<double>(fs::file_size(file.path, ec));
    }
    const std::string folder = fs::absolute(archive).parent_path().string();
    for (const auto& file : files) {
        std::unique_ptr<Deflated> deflated = DeflateFile(file.path, folder, options.threads, [&](zip_uint64_t bytes) {
            done += static_cast<double>(bytes);
            Report(options.progress, total > 0 ? std::min(done / total, 1.0) : 1.0);
            if (options.cancel && options.cancel(file.path)) throw Cancelled();
        });
        zip_error_t error;
        zip_error_init(&error);
        zip_source_t* source = zip_source_function_create(ServeDeflated, deflated.get(), &error);
        if (!source) {
            std::string text = zip_error_strerror(&error);
            zip_error_fini(&error);
            Fail("Cannot add " + file.path, text);
        }
        deflated.release();  // the source owns it now
        zip_int64_t index = zip_file_add(za.get(), file.entryName.c_str(), source, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(source);
            Fail("Cannot add " + file.path, ArchiveError(za.get()));
        }
        if (!options.password.empty() &&
            zip_file_set_encryption(za.get(), index, ZIP_EM_TRAD_PKWARE, options.password.c_str()) != 0)
            Fail("Cannot encrypt " + file.path, ArchiveError(za.get()));
    }
    if (options.comment &&
        zip_set_archive_comment(za.get(), options.comment->data(),
                                static_cast<zip_uint16_t>(std::min<std::size_t>(options.comment->size(), 65535))) != 0)
        Fail("Cannot comment the archive " + archive, ArchiveError(za.get()));
    Close(za, archive);
    Report(options.progress, 1.0);
}

bool Delete(const std::string& archive, const std::vector<std::string>& names) {
    ArchivePtr za = OpenArchive(archive, 0);
    bool found = false;
    for (const auto& name : names) {
        const zip_int64_t index = zip_name_locate(za.get(), Normalised(name).c_str(), 0);
        if (index < 0) continue;
        if (zip_delete(za.get(), static_cast<zip_uint64_t>(index)) != 0)
            Fail("Cannot delete " + name + " from " + archive, ArchiveError(za.get()));
        found = true;
    }
    if (found) Close(za, archive);
    return found;
}

std::string Comment(const std::string& archive) {
    int code = 0;
    ArchivePtr za(zip_open(archive.c_str(), ZIP_RDONLY, &code));
    int length = 0;
    const char* comment = za ? zip_get_archive_comment(za.get(), &length, 0) : nullptr;
    return comment ? std::string(comment, static_cast<std::size_t>(length)) : "";
}

std::vector<Entry> List(const std::string& archive) {
    ArchivePtr za = OpenArchive(archive, ZIP_RDONLY);
    std::vector<Entry> entries;
    zip_int64_t count = zip_get_num_entries(za.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        if (zip_stat_index(za.get(), i, 0, &st) != 0)
            Fail("Cannot list the archive " + archive, ArchiveError(za.get()));
        Entry entry;
        entry.name = st.name ? st.name : "";
        entry.size = static_cast<long long>(st.size);
        entry.packedSize = static_cast<long long>(st.comp_size);
        entry.modified = static_cast<long long>(st.mtime);
        entry.crc = st.crc;
        entry.method = st.comp_method;
        entry.encrypted = st.encryption_method != ZIP_EM_NONE;
        entry.isDirectory = !entry.name.empty() && entry.name.back() == '/';
        entries.push_back(entry);
    }
    return entries;
}

void Extract(const std::string& archive, const std::string& folder, const ExtractOptions& options) {
    ArchivePtr za = OpenArchive(archive, ZIP_RDONLY);
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) Fail("Cannot extract into " + folder, "no such folder");
    try {
        std::vector<Planned> plan = PlanExtraction(za.get(), folder, options);
        CheckRoomFor(plan, folder);
        std::string password;
        for (const auto& entry : plan) {
            const std::string target = entry.target.string();
            if (entry.isDirectory) fs::create_directories(entry.target);
            else if (!fs::exists(entry.target, ec) || (options.replace ? options.replace(target) : options.overwrite))
                ExtractOne(za.get(), entry, options, password);
        }
    } catch (const fs::filesystem_error& e) {
        Fail("Cannot extract into " + folder, e.what());
    }
}

std::string LibraryVersion() { return zip_libzip_version(); }

}  // namespace Zip
