#include "cli/record.h"

#include <algorithm>
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
int64_t ReadAt(int fd, int64_t offset, char* data, size_t size)
{
    return _lseeki64(fd, offset, SEEK_SET) == offset ? _read(fd, data, static_cast<unsigned>(size)) : -1;
}
bool SameFile(int fd, const std::filesystem::path& path)
{
    const HANDLE named = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                                     nullptr);
    if (named == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION a, b;
    const bool same = GetFileInformationByHandle(named, &a) &&
                      GetFileInformationByHandle(reinterpret_cast<HANDLE>(_get_osfhandle(fd)), &b) &&
                      a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
                      a.nFileIndexLow == b.nFileIndexLow;
    CloseHandle(named);
    return same;
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
int64_t ReadAt(int fd, int64_t offset, char* data, size_t size) { return pread(fd, data, size, offset); }
bool SameFile(int fd, const std::filesystem::path& path)
{
    struct stat named, held;
    return stat(path.c_str(), &named) == 0 && fstat(fd, &held) == 0 && named.st_dev == held.st_dev &&
           named.st_ino == held.st_ino;
}
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

std::string Failed(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

// `work`'s reason, else empty, with the file locked against other stations.
std::string Locked(int fd, auto work)
{
    if (!Lock(fd, true))
        return Failed("cannot lock");
    const std::string why = work();
    Lock(fd, false);
    return why;
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
    path_ = path;
    return OpenByName();
}

std::string Log::OpenByName()
{
    if (fd_ >= 0)
        Close(fd_);
    fd_ = OpenFile(path_);
    if (fd_ < 0)
        return std::strerror(errno);
#ifndef _WIN32
    // A new file's name is on disk once its folder is: rows synced into a
    // file no folder lists would be lost all the same.
    const std::filesystem::path folder = path_.has_parent_path() ? path_.parent_path() : ".";
    if (const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); fd >= 0) {
        fsync(fd);
        close(fd);
    }
#endif
    // Under the lock, as another station may be writing the header. A
    // spreadsheet's byte order mark and \r\n do not make it another line.
    const std::string why = Locked(fd_, [&]() -> std::string {
        const int64_t size = Size(fd_);
        std::string first(kHeader.size() + 4, '\0');
        const int64_t n = size > 0 ? ReadAt(fd_, 0, first.data(), first.size()) : 0;
        if (size < 0 || n < 0)
            return Failed("cannot read");
        first.resize(std::min(first.find('\n'), static_cast<size_t>(n)));
        if (first.starts_with("\xEF\xBB\xBF"))
            first.erase(0, 3);
        if (first.ends_with('\r'))
            first.pop_back();
        const std::string line(kHeader.substr(0, kHeader.size() - 1));
        return n == 0 || first == line ? "" : "not a station's record: its first line is not \"" + line + '"';
    });
    if (!why.empty()) {
        Close(fd_);
        fd_ = -1;
    }
    return why;
}

// Whether the file is new, and how its last line ends, is decided under the
// lock: another station may be appending to it.
std::string Log::Append(std::string_view row)
{
    const std::lock_guard threads(mutex_);
    // Saved over by an editor, or removed: the row goes where people will look.
    if (fd_ < 0 || !SameFile(fd_, path_)) {
        if (const std::string why = OpenByName(); !why.empty())
            return "replaced or removed, and cannot be opened again: " + why;
    }
    return Locked(fd_, [&] {
        const int64_t size = Size(fd_);
        char last = '\n';
        if (size < 0 || (size > 0 && ReadAt(fd_, size - 1, &last, 1) != 1))
            return Failed("cannot read");
        const std::string text = std::string(size == 0 ? kHeader : last != '\n' ? "\n" : "") + std::string(row);
        if (WriteAll(fd_, text) && Sync(fd_))
            return std::string();
        const std::string why = Failed("cannot write");
        Cut(fd_, size);
        return why;
    });
}

}  // namespace record
