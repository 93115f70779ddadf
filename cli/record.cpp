#include "cli/record.h"

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <sys/file.h>
#include <unistd.h>
#endif

#include "dataout/link.h"
#include "t2/one_line.h"

namespace record {

namespace {

#ifdef _WIN32
int OpenFile(const std::filesystem::path& path)
{
    return _wopen(path.c_str(), _O_RDWR | _O_APPEND | _O_CREAT | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
}
bool Lock(int fd, bool lock)
{
    const auto file = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    OVERLAPPED whole{};
    return lock ? LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole)
                : UnlockFileEx(file, 0, MAXDWORD, MAXDWORD, &whole);
}
int64_t Size(int fd) { return _filelengthi64(fd); }
bool LastByte(int fd, int64_t size, char& c)
{
    return _lseeki64(fd, size - 1, SEEK_SET) == size - 1 && _read(fd, &c, 1) == 1;
}
int64_t WriteSome(int fd, const char* data, size_t size) { return _write(fd, data, static_cast<unsigned>(size)); }
bool Sync(int fd) { return _commit(fd) == 0; }  // FlushFileBuffers
void Cut(int fd, int64_t size) { _chsize_s(fd, size); }
void Close(int fd) { _close(fd); }
#else
int OpenFile(const std::filesystem::path& path)
{
    return open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
}
bool Lock(int fd, bool lock)
{
    int r;
    do
        r = flock(fd, lock ? LOCK_EX : LOCK_UN);
    while (r != 0 && errno == EINTR);
    return r == 0;
}
int64_t Size(int fd)
{
    struct stat s;
    return fstat(fd, &s) == 0 ? s.st_size : -1;
}
bool LastByte(int fd, int64_t size, char& c) { return pread(fd, &c, 1, size - 1) == 1; }
int64_t WriteSome(int fd, const char* data, size_t size) { return write(fd, data, size); }
bool Sync(int fd) { return fsync(fd) == 0; }
void Cut(int fd, int64_t size) { (void)!ftruncate(fd, size); }
void Close(int fd) { close(fd); }
#endif

bool WriteAll(int fd, std::string_view text)
{
    while (!text.empty()) {
        const int64_t n = WriteSome(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        text.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

}  // namespace

std::string Version(std::string_view read)
{
    return t2proto::OneLine(read, true) + (read.size() >= params::kVersionMax ? "\\..." : "");
}

std::string Field(std::string_view text)
{
    std::string field(text);
    // A leading ' of the text's own is doubled, so that dropping the first ' gives the text back.
    if (!field.empty() && std::string_view("=+-@\t\r'").find(field[0]) != std::string_view::npos)
        field.insert(0, 1, '\'');
    if (field.find_first_of("\",\r\n") == std::string::npos)
        return field;
    std::string quoted = "\"";
    for (char c : field)
        quoted += c == '"' ? "\"\"" : std::string(1, c);
    return quoted + '"';
}

std::string Row(const std::vector<std::string>& fields)
{
    std::string row;
    for (size_t i = 0; i < fields.size(); ++i)
        row.append(i ? "," : "").append(Field(fields[i]));
    return row + '\n';
}

Log::~Log()
{
    if (fd_ >= 0)
        Close(fd_);
}

std::string Log::Open(const std::filesystem::path& path)
{
#ifndef _WIN32
    signal(SIGXFSZ, SIG_IGN);
#endif
    fd_ = OpenFile(path);
    if (fd_ < 0)
        return std::strerror(errno);
#ifndef _WIN32
    // A new file's name is on disk once its folder is: rows synced into a
    // file no folder lists would be lost all the same.
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    if (const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); fd >= 0) {
        fsync(fd);
        close(fd);
    }
#endif
    return "";
}

// Whether the file is new, and how its last line ends, is decided under the
// lock: another station may be appending to it.
std::string Log::Append(std::string_view row)
{
    const std::lock_guard threads(mutex_);
    if (!Lock(fd_, true))
        return std::string("cannot lock: ") + std::strerror(errno);
    const int64_t size = Size(fd_);
    char last = '\n';
    std::string why;
    if (size < 0 || (size > 0 && !LastByte(fd_, size, last))) {
        why = std::string("cannot read: ") + std::strerror(errno);
    } else {
        const std::string text = std::string(size == 0 ? kHeader : last != '\n' ? "\n" : "") + std::string(row);
        if (!WriteAll(fd_, text) || !Sync(fd_)) {
            why = std::string("cannot write: ") + std::strerror(errno);
            Cut(fd_, size);
        }
    }
    Lock(fd_, false);
    return why;
}

}  // namespace record
