#pragma once

#include <optional>
#include <span>

#include <QList>
#include <QString>
#include <QStringList>

namespace keyloom::cli {

// An option a command accepts: "--long", optionally "-s", with or without a value.
struct OptionSpec {
    const char* longName; // without the dashes
    char shortName;       // 0 for none
    bool takesValue;
};

// One argument after parsing, in the order given: an option (by its long name)
// with its value, or an operand (empty `option`).
struct ArgItem {
    QString option;
    QString value;
};

class ParsedArgs {
public:
    QList<ArgItem> items;

    QStringList operands() const;
    bool has(const char* option) const;
    // The value of the last occurrence, or an empty text.
    QString value(const char* option) const;
};

// Parses `args` against `specs`: "--name value", "--name=value", "-s value", flags,
// operands anywhere, and "--" before operands that start with a dash. Returns
// nothing, with `error` set, for an unknown option or a missing value.
std::optional<ParsedArgs> ParseArgs(const QStringList& args, std::span<const OptionSpec> specs,
                                    QString* error);

} // namespace keyloom::cli
