// Text from a device or the file system as one line a person can read.
#pragma once

#include <string>
#include <string_view>

namespace t2proto {

// `text` as one line of valid UTF-8, each byte of a control character (C0,
// DEL, and C1: U+0080..U+009F, of which U+009B starts a terminal's command
// as ESC [ does) or of no UTF-8 sequence written \xNN: device paths and a
// reader's version text may hold line breaks or bytes of no encoding. With
// `escapeBackslash`, a backslash is \x5C too, so that the text gives back
// the very bytes.
std::string OneLine(std::string_view text, bool escapeBackslash = false);

// OneLine of the first `bytes` of `text`, and "..." where it goes on: a name
// echoed in a refusal may be anything pasted, a whole file's worth.
std::string OneLineCut(std::string_view text, size_t bytes = 80);

}  // namespace t2proto
