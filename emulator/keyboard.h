// The reader's keyboard side: a reader in keyboard mode types each card's
// output as key presses into whatever has the focus.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "dataout/card.h"

namespace emulator {

class Keyboard {
public:
    virtual ~Keyboard() = default;
    // Types `typed`, Enter as the Enter key; false with `error` filled in.
    virtual bool Type(const params::Typed& typed, std::string& error) = 0;
};

// Into a file, FIFO or terminal: the characters, Enter as a newline. For
// tests, and for a program that reads a terminal.
std::unique_ptr<Keyboard> FileKeyboard(const std::string& path, std::string& error);
// Into a descriptor already open, which it then owns: a pseudo-terminal's
// master, where what is written is typed at its terminal.
std::unique_ptr<Keyboard> FileKeyboard(int fd);

// Into the X display's focused window, through the XTest extension. With a
// `waitAway` bound, each card waits until the focus leaves the window that
// has it when the card comes (the terminal it was typed in), at most that
// long, so that a person can click where the number should go.
std::unique_ptr<Keyboard> DesktopKeyboard(std::chrono::milliseconds waitAway, std::string& error);

}  // namespace emulator
