#include "cli/record_file.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

namespace record {

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
void SyncFolder(const std::filesystem::path&) {}  // NTFS keeps a file's name with the file
void KeepWritesFromEndingTheProgram() {}

}  // namespace record
