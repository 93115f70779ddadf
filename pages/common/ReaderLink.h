// What both setting pages share: the link to the reader and the message log
// every reader action writes its line into, both the main window's, which
// hands each page a reference to them as it builds it; the guard they run
// before each reader action, and two helpers.
#pragma once

#include <QString>
#include <cstdint>
#include <string>

class DlgItems;

struct ReaderLink {
    int32_t handle = -1;  // from lc_init; -1 while closed
    int32_t port = -1;    // port of the last successful open, named while linked
};

// The main window as the pages see it: the owner of the message log.
namespace params {
struct CardSettings;
struct Steps;
}

class MessageLog {
public:
    // Appends `message` (and a line break when `newLine` is nonzero).
    virtual void AppendLog(const QString& message, int newLine) = 0;
    // The same, with `toolTip` over the text added.
    virtual void AppendLog(const QString& message, int newLine, const QString& toolTip) = 0;
    // A reader took `settings` whole ("Set ok"): Card Check can then check a card against them.
    virtual void SettingTaken(const params::CardSettings& settings) { (void)settings; }

protected:
    ~MessageLog() = default;
};


// What a page uses of the window that holds it; both outlive the page.
struct PageContext {
    ReaderLink& link;
    MessageLog& log;

    // True when the link is open; otherwise logs "Port is not open".
    bool EnsurePortOpen() const;
    // Logs `message` (UTF-8, marked TAVELIN_TEXT("params", ...)) followed by
    // the library's result as "code: 0x..", in the user's language.
    void LogWithCode(const char* message, int32_t result) const;
    // Sets the reader on the open link with the reader's pauses, logging the
    // step that fails; its code, else 0.
    int32_t ApplySteps(const params::Steps& steps) const;
};

// A text of dataout/ marked TAVELIN_TEXT("params", ...), in the user's language.
QString ParamsText(const char* text);

// A reason of the library's (t2_last_error's line), in the user's language;
// the system's words and the values in it stay as given.
QString ReasonText(const std::string& reason);
// Why a call failed with `code`, in the user's language.
QString CodeReason(int32_t code);

// Fills the block list `list` of `page` with "0".."255" and selects 255.
void FillBlockList(DlgItems& page, int list);
