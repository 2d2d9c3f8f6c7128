#pragma once

#include <QStringList>
#include <QTextStream>

namespace keyloom::cli {

struct RunOptions {
    // Progress is drawn on `err` only when it is a terminal.
    bool errIsTerminal = false;
};

// keyloom-cli with `args` (without the program name). Results go to `out`;
// errors, notes, progress and the byte log to `err`. Returns the exit code
// (kExitOk .. kExitFile in cli/console.h).
int Run(const QStringList& args, QTextStream& out, QTextStream& err,
        const RunOptions& options = {});

} // namespace keyloom::cli
