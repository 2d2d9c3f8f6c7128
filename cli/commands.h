#pragma once

// The commands of keyloom-cli, each given its parsed arguments and the console.
#include <optional>

#include "cli/args.h"
#include "cli/console.h"
#include "cli/image_words.h"

namespace keyloom::cli {

int CommandPorts(const ParsedArgs& args, Console& console);
int CommandRead(const ParsedArgs& args, Console& console);
int CommandWrite(const ParsedArgs& args, Console& console);
int CommandShow(const ParsedArgs& args, Console& console);
int CommandDiff(const ParsedArgs& args, Console& console);
int CommandSet(const ParsedArgs& args, Console& console);

// A usage error: says what is wrong and where help is, returns kExitUsage.
int UsageError(Console& console, const QString& command, const QString& problem);

// An image from a file as every command loads it: a zero image whose start the
// file fills (at most 512 bytes). Nothing, after saying why, when it cannot be read.
struct LoadedImage {
    SpdImage image{};
    ImageSource source;
};
std::optional<LoadedImage> LoadImage(const QString& path, Console& console);

} // namespace keyloom::cli
