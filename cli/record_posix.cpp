#include "cli/record_file.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace record {

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
void SyncFolder(const std::filesystem::path& path)
{
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    if (const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); fd >= 0) {
        fsync(fd);
        close(fd);
    }
}
void KeepWritesFromEndingTheProgram() { signal(SIGXFSZ, SIG_IGN); }

}  // namespace record
