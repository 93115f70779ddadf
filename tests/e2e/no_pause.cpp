#include "cli/calls.h"

namespace {
const bool kNoWait = (LibraryCalls::SetStoreWait([](LibraryCalls::ms) {}), true);
}  // namespace
