// The station's record: a CSV file of a row a reader, the only account of
// which reader got what. The stations of a line may share one, and people
// open it in spreadsheets.
#pragma once

#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace record {

inline constexpr std::string_view kHeader =
    "time,port,version,setting file,sha256,result,failed step,code,typed,verdict\n";
// The header of records begun before readers were checked with a card: they
// are still taken, and their rows keep to its columns.
inline constexpr std::string_view kEarlierHeader = "time,port,version,setting file,sha256,result,failed step,code\n";

// One CSV field. Text a spreadsheet would run as a formula (or that starts
// with ' itself) gets a leading ', and a field is quoted where CSV needs it.
std::string Field(std::string_view text);

// The fields as one CSV line, with its line break.
std::string Row(const std::vector<std::string>& fields);

// A record file that rows are appended to, each under an exclusive lock and
// on disk before Append returns; from several threads too. Rows go only into
// a file that is empty or starts with a header line, ours or the earlier one,
// and always into the file its path names: one saved over or removed is
// opened again by name.
class Log {
public:
    Log() = default;
    ~Log();
    Log(const Log&) = delete;
    Log& operator=(const Log&) = delete;

    // The reason the file cannot be opened for appending, else empty. From
    // here on a write past the file-size limit fails rather than ending the
    // program (SIGXFSZ is ignored).
    std::string Open(const std::filesystem::path& path);
    // Appends a row of `fields` after the header of a new file, on a line of
    // its own, with as many of them as the file's header has columns. No
    // fields write only what the file lacks of those. The reason it is not
    // all on disk, else empty; then none of it stays.
    std::string Append(const std::vector<std::string>& fields);
    // Whether the file, when opened, had the earlier header.
    bool Earlier() const { return earlier_; }

private:
    std::string OpenByName();

    std::filesystem::path path_;
    int fd_ = -1;
    bool earlier_ = false;
    // The file's lock belongs to the open file, which this process's threads share.
    std::mutex mutex_;
};

}  // namespace record
