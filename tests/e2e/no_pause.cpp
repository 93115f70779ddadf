#include <chrono>
#include <filesystem>
#include <thread>

#include "cli/calls.h"

namespace {

// A test holds the pause with a file in the program's working folder.
void Wait(LibraryCalls::ms)
{
    while (std::filesystem::exists("hold"))
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

const bool kHeldOnly = (LibraryCalls::SetStoreWait(Wait), true);

}  // namespace
