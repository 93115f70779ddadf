#include "cli/arguments.h"

#include <windows.h>

#include <shellapi.h>

#include "t2/one_line.h"

std::vector<Argument> CommandLine(int, char*[])
{
    int count = 0;
    wchar_t** words = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!words)
        return {L"tavelin-config"};
    std::vector<Argument> arguments(words, words + count);
    LocalFree(words);
    return arguments;
}

QString AsText(const Argument& argument) { return QString::fromStdWString(argument); }

Argument FromText(const QString& text) { return text.toStdWString(); }

std::string Shown(const Argument& argument) { return t2proto::OneLine(AsText(argument).toStdString()); }
