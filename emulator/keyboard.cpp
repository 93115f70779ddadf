#include "emulator/keyboard.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "t2/one_line.h"

namespace emulator {

namespace {

class File final : public Keyboard {
public:
    explicit File(int fd) : fd_(fd) {}
    ~File() override { close(fd_); }

    bool Type(const params::Typed& typed, std::string& error) override
    {
        std::string text;
        for (const auto& part : typed)
            text += std::holds_alternative<params::Key>(part) ? "\n" : std::get<std::string>(part);
        for (size_t done = 0; done < text.size();) {
            const ssize_t n = write(fd_, text.data() + done, text.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                error = std::strerror(errno);
                return false;
            }
            done += static_cast<size_t>(n);
        }
        return true;
    }

private:
    int fd_;
};

}  // namespace

std::unique_ptr<Keyboard> FileKeyboard(const std::string& path, std::string& error)
{
    // Appends to a file; a FIFO or terminal takes what is written as it comes.
    const int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOCTTY | O_CLOEXEC, 0600);
    if (fd < 0) {
        error = t2proto::OneLineCut(path) + ": " + std::strerror(errno);
        return nullptr;
    }
    return FileKeyboard(fd);
}

std::unique_ptr<Keyboard> FileKeyboard(int fd) { return std::make_unique<File>(fd); }

}  // namespace emulator
