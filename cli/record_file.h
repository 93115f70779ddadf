// The few file operations the record needs, one source file per system.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

namespace record {

// Opened for appending, created when missing; -1 and errno when it cannot be.
int OpenFile(const std::filesystem::path& path);
// Takes or drops an exclusive lock on the whole file, waiting for it.
bool Lock(int fd, bool lock);
int64_t Size(int fd);
int64_t ReadAt(int fd, int64_t offset, char* data, size_t size);
// Whether `path` still names the file open as `fd`.
bool SameFile(int fd, const std::filesystem::path& path);
int64_t WriteSome(int fd, const char* data, size_t size);
bool Sync(int fd);
void Cut(int fd, int64_t size);
void Close(int fd);
// A new file's name is on disk once its folder is: rows synced into a file
// no folder lists would be lost all the same.
void SyncFolder(const std::filesystem::path& path);
// A file grown past the system's size limit fails the write rather than
// ending the program: the row's failure is then reported.
void KeepWritesFromEndingTheProgram();

}  // namespace record
