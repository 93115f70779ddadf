#include "cli/record.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <optional>

#include "cli/record_file.h"

namespace record {

namespace {

// Without it a spreadsheet reads the file in the system's code page, not as UTF-8.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

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

// The header of the file, read under its lock: empty for an empty file;
// nothing, and `why`, for a file that is not a station's record. A
// spreadsheet's byte order mark and \r\n do not make it another line.
std::optional<std::string_view> HeaderOf(int fd, std::string& why)
{
    const int64_t size = Size(fd);
    std::string first(kHeader.size() + 4, '\0');
    const int64_t n = size > 0 ? ReadAt(fd, 0, first.data(), first.size()) : 0;
    if (size < 0 || n < 0) {
        why = Failed("cannot read");
        return std::nullopt;
    }
    if (n == 0)
        return std::string_view();
    first.resize(std::min(first.find('\n'), static_cast<size_t>(n)));
    if (first.starts_with(kByteOrderMark))
        first.erase(0, kByteOrderMark.size());
    if (first.ends_with('\r'))
        first.pop_back();
    for (const std::string_view header : {kHeader, kEarlierHeader})
        if (first == header.substr(0, header.size() - 1))
            return header;
    why = "not a station's record: its first line is not \"" + std::string(kHeader.substr(0, kHeader.size() - 1)) + '"';
    return std::nullopt;
}

}  // namespace

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
    KeepWritesFromEndingTheProgram();
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
    SyncFolder(path_);
    // Under the lock, as another station may be writing the header.
    const std::string why = Locked(fd_, [&] {
        std::string why;
        const std::optional<std::string_view> header = HeaderOf(fd_, why);
        earlier_ = header == kEarlierHeader;
        return why;
    });
    if (!why.empty()) {
        Close(fd_);
        fd_ = -1;
    }
    return why;
}

// Whether the file is new, and how its last line ends, is decided under the
// lock: another station may be appending to it.
std::string Log::Append(const std::vector<std::string>& fields)
{
    const std::lock_guard threads(mutex_);
    // Saved over by an editor, or removed: the row goes where people will look.
    if (fd_ < 0 || !SameFile(fd_, path_)) {
        if (const std::string why = OpenByName(); !why.empty())
            return "replaced or removed, and cannot be opened again: " + why;
    }
    return Locked(fd_, [&] {
        std::string why;
        const std::optional<std::string_view> header = HeaderOf(fd_, why);
        if (!header)
            return why;
        const int64_t size = Size(fd_);
        char last = '\n';
        if (size < 0 || (size > 0 && ReadAt(fd_, size - 1, &last, 1) != 1))
            return Failed("cannot read");
        const size_t columns = static_cast<size_t>(std::ranges::count(header->empty() ? kHeader : *header, ',')) + 1;
        const std::vector<std::string> row(fields.begin(), fields.begin() + std::min(fields.size(), columns));
        const std::string text =
            (size == 0 ? std::string(kByteOrderMark).append(kHeader) : last != '\n' ? "\n" : "") +
            (row.empty() ? "" : Row(row));
        if (WriteAll(fd_, text) && Sync(fd_))
            return std::string();
        why = Failed("cannot write");
        Cut(fd_, size);
        return why;
    });
}

}  // namespace record
