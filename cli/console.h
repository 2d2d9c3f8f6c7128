#pragma once

#include <QString>
#include <QTextStream>

namespace keyloom::cli {

// Exit codes of keyloom-cli; the help text lists them.
inline constexpr int kExitOk = 0;
inline constexpr int kExitDifferent = 1; // diff found a difference, or write --verify did
inline constexpr int kExitUsage = 2;
inline constexpr int kExitDevice = 3; // port, line or panel
inline constexpr int kExitFile = 4;

// Where a command speaks. Results go to `out`; errors, notes, progress and the
// byte log to `err`, so `out` stays clean for scripts.
struct Console {
    QTextStream& out;
    QTextStream& err;
    bool errIsTerminal = false;
    bool quiet = false;
    bool verbose = false;

    // A result line on `out`, unless --quiet.
    void result(const QString& text) {
        if (quiet)
            return;
        out << text << '\n';
        out.flush();
    }
    // A remark on `err`, unless --quiet.
    void note(const QString& text) {
        if (quiet)
            return;
        err << text << '\n';
        err.flush();
    }
    // What failed and what to do, always.
    void error(const QString& text) {
        err << "keyloom-cli: " << text << '\n';
        err.flush();
    }
    // Progress that redraws one line; only on a terminal, and not while the byte
    // log is being written there.
    bool showsProgress() const { return errIsTerminal && !quiet && !verbose; }
};

} // namespace keyloom::cli
