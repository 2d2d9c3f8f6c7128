// keyloom-cli: the panel and its .SPD files from scripts.
#include <cstdio>

#include <QCoreApplication>
#include <QTextStream>

#include "cli/cli.h"

#ifdef _WIN32
#include <io.h>
#define KEYLOOM_ISATTY _isatty
#define KEYLOOM_FILENO _fileno
#else
#include <unistd.h>
#define KEYLOOM_ISATTY isatty
#define KEYLOOM_FILENO fileno
#endif

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    keyloom::cli::RunOptions options;
    options.errIsTerminal = KEYLOOM_ISATTY(KEYLOOM_FILENO(stderr)) != 0;
    const int code = keyloom::cli::Run(app.arguments().mid(1), out, err, options);
    out.flush();
    err.flush();
    return code;
}
