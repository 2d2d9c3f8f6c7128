#include "cli.h"

#include <vector>

#include "cli/commands.h"

namespace keyloom::cli {

namespace {

constexpr const char* kToolHelp = R"(Usage: keyloom-cli COMMAND [options]

Configures a Keyloom nine-key panel and its .SPD files from scripts.

Commands:
  ports                       COM1..COM49, the device each stands for, whether it exists
  read --port P -o FILE       read the panel's 512 bytes into FILE
  write --port P FILE [--verify] [--backup DIR]
                              write FILE into the panel
  show FILE [--json]          the image in words: keys, linked actions, baud rate, hex
  diff A B [--json]           compare two images; A and B are files or --port P
  set FILE KEY=VALUE...       change a file in place: K4=布幕上, baud=19200, byte:10=0x5A

P is COMn (COM1..COM49, mapped to a device as the window maps it: the Ports/COMn
entry of the settings, else the default rule; see 'keyloom-cli ports') or a
device path such as /dev/ttyUSB0.

Options of every command:
  -q, --quiet     no progress and no success messages; errors are still told
  -v, --verbose   log every byte sent to and received from the panel, with its time
  -h, --help      this text; 'keyloom-cli COMMAND --help' for a command's own
  --version       the release of keyloom-cli (see CHANGELOG.md)

Exit status:
  0  success
  1  a difference was found (diff, write --verify)
  2  usage error
  3  device or panel failure (port cannot be opened, no or short answer, lost line)
  4  file error (cannot read, save or create)
)";

constexpr const char* kPortsHelp = R"(Usage: keyloom-cli ports

Lists COM1..COM49 with the device each stands for and whether that device exists
now. A Ports/COMn entry of the settings file (marked "settings") takes the place
of the default rule, as in the window.
)";

constexpr const char* kReadHelp = R"(Usage: keyloom-cli read --port P -o FILE

Reads the panel's 512 bytes and saves them in FILE. FILE is replaced whole or not
at all: when the panel's answer is short or missing, FILE is left as it was and
the exit status is 3. A read takes about a second; a panel that does not answer
is given up after about 21 seconds.

Options:
  --port P            COMn or a device path
  -o, --output FILE   where the image goes
)";

constexpr const char* kWriteHelp =
    R"(Usage: keyloom-cli write --port P FILE [--verify] [--backup DIR]

Writes FILE into the panel. A write takes about 16 seconds: the panel needs half
a second after each of its 32 frames.

FILE may have any length, as in the window: its bytes fill the start of an image
that is otherwise 00, so a shorter file sends 00 for the bytes it lacks, and a
longer one sends only its first 512 bytes.

Options:
  --port P       COMn or a device path
  --backup DIR   first read the panel and save what it holds as
                 DIR/<port>-<UTC time>.SPD (e.g. COM8-20240612T081500Z.SPD;
                 DIR is created when missing); when that read or save fails,
                 nothing is written
  --verify       after the write, read the panel back and compare all 512 bytes;
                 each difference is listed and the exit status is 1
)";

constexpr const char* kShowHelp = R"(Usage: keyloom-cli show FILE [--json]

Shows the image in FILE in words: each key's caption and linked action, the baud
rate, then the key records and all other bytes in hex. A code that names no
entry is shown with its number and "names no action" (or "names no baud rate").
A file shorter than 512 bytes is shown as the write would send it: the missing
bytes as 00.

Options:
  --json   the same as one JSON object (keys, baud, otherBytes, image)
)";

constexpr const char* kDiffHelp = R"(Usage: keyloom-cli diff A B [--json]

Compares two images. A and B are each a FILE or --port P (the panel's memory,
read first). Lists the differences per key and setting in words, then per byte
offset. Files are taken as the write would send them (padded with 00 to 512).

Exit status 0 when A and B are equal, 1 when they differ.

Options:
  --port P   read this operand from the panel on P
  --json     the same as one JSON object (equal, settings, blocks, bytes)
)";

constexpr const char* kSetHelp = R"(Usage: keyloom-cli set FILE KEY=VALUE...

Changes FILE in place, all assignments or none: FILE is replaced whole, and on any
error it is left as it was. A file shorter than 512 bytes comes out 512 bytes
long, the missing bytes 00; a longer file is refused (its extra bytes would be lost).

Keys and values:
  K1..K9=ACTION   a key's linked action: the entry text or its code
                  0=無連動 1=布幕上 2=布幕下 3=Pow Relay ON 4=Pow Relay OFF
                  5=Pow Relay Toggle 6=Comp Relay ON 7=Comp Relay OFF
                  8=Comp Relay Toggle 9=Relay ON 10=Relay OFF 11=Relay Toggle
                  12=開機行程1 13=開機行程2 14=關機行程1 15=關機行程2
  baud=RATE       the panel's own baud rate: 9600, 19200, 38400, 57600, 115200
                  (or the index 0..4)
  byte:N=V        any byte: N = 0..511, V = 0..255 or 0x00..0xFF

Examples:
  keyloom-cli set room12.SPD K4=布幕上 K5="Relay ON" baud=19200
  keyloom-cli set room12.SPD K4=1 byte:10=0x5A
)";

struct Command {
    const char* name;
    std::vector<OptionSpec> options;
    int (*run)(const ParsedArgs&, Console&);
    const char* help;
};

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands{
        {"ports", {}, &CommandPorts, kPortsHelp},
        {"read", {{"port", 0, true}, {"output", 'o', true}}, &CommandRead, kReadHelp},
        {"write",
         {{"port", 0, true}, {"verify", 0, false}, {"backup", 0, true}},
         &CommandWrite,
         kWriteHelp},
        {"show", {{"json", 0, false}}, &CommandShow, kShowHelp},
        {"diff", {{"port", 0, true}, {"json", 0, false}}, &CommandDiff, kDiffHelp},
        {"set", {}, &CommandSet, kSetHelp},
    };
    return commands;
}

const Command* FindCommand(const QString& name) {
    for (const Command& c : Commands()) {
        if (name == QLatin1String(c.name))
            return &c;
    }
    return nullptr;
}

} // namespace

int UsageError(Console& console, const QString& command, const QString& problem) {
    console.error(problem);
    console.err << "Try 'keyloom-cli"
                << (command.isEmpty() ? QString() : QLatin1Char(' ') + command) << " --help'.\n";
    console.err.flush();
    return kExitUsage;
}

int Run(const QStringList& args, QTextStream& out, QTextStream& err, const RunOptions& options) {
    Console console{out, err, options.errIsTerminal};
    if (args.isEmpty()) {
        err << QString::fromUtf8(kToolHelp);
        err.flush();
        return kExitUsage;
    }
    const QString& first = args.front();
    if (first == QLatin1String("--version")) {
        out << "keyloom-cli " << QLatin1String(KEYLOOM_VERSION) << '\n';
        out.flush();
        return kExitOk;
    }
    if (first == QLatin1String("-h") || first == QLatin1String("--help") ||
        first == QLatin1String("help")) {
        const Command* about = args.size() > 1 ? FindCommand(args[1]) : nullptr;
        if (args.size() > 1 && !about)
            return UsageError(console, {}, QStringLiteral("unknown command \"%1\"").arg(args[1]));
        out << QString::fromUtf8(about ? about->help : kToolHelp);
        out.flush();
        return kExitOk;
    }
    const Command* command = FindCommand(first);
    if (!command) {
        return UsageError(console, {},
                          first.startsWith(QLatin1Char('-'))
                              ? QStringLiteral("a command comes first, before %1").arg(first)
                              : QStringLiteral("unknown command \"%1\"").arg(first));
    }

    std::vector<OptionSpec> specs = command->options;
    specs.push_back({"help", 'h', false});
    specs.push_back({"quiet", 'q', false});
    specs.push_back({"verbose", 'v', false});
    QString problem;
    const std::optional<ParsedArgs> parsed = ParseArgs(args.mid(1), specs, &problem);
    const QString name = QLatin1String(command->name);
    if (!parsed)
        return UsageError(console, name, problem);
    if (parsed->has("help")) {
        out << QString::fromUtf8(command->help);
        out.flush();
        return kExitOk;
    }
    console.quiet = parsed->has("quiet");
    console.verbose = parsed->has("verbose");
    if (console.quiet && console.verbose)
        return UsageError(console, name,
                          QStringLiteral("--quiet and --verbose exclude each other"));
    return command->run(*parsed, console);
}

} // namespace keyloom::cli
