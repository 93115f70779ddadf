// The command line as the system gives it, so that a name is the one the
// user gave, whatever it holds; one source file per system.
#pragma once

#include <QString>
#include <filesystem>
#include <string>
#include <vector>

// An argument as a file name takes it: bytes on POSIX, UTF-16 on Windows.
using Argument = std::filesystem::path::string_type;

// The program's arguments, its name first: argv on POSIX, the wide command
// line on Windows (argv there is in the ANSI code page, which loses names).
std::vector<Argument> CommandLine(int argc, char* argv[]);

// An argument as text for Qt's parser, and back, each way without loss. On
// POSIX a byte of no UTF-8 sequence is carried as a lone surrogate,
// U+DC80..U+DCFF, which no UTF-8 text decodes to.
QString AsText(const Argument& argument);
Argument FromText(const QString& text);

// A name or an argument for a message or a record: one line of UTF-8, a
// control character or a byte of no UTF-8 sequence written \xNN.
std::string Shown(const Argument& argument);
