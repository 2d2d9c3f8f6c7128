#include "args.h"

namespace keyloom::cli {

QStringList ParsedArgs::operands() const {
    QStringList list;
    for (const ArgItem& item : items) {
        if (item.option.isEmpty())
            list << item.value;
    }
    return list;
}

bool ParsedArgs::has(const char* option) const {
    for (const ArgItem& item : items) {
        if (item.option == QLatin1String(option))
            return true;
    }
    return false;
}

QString ParsedArgs::value(const char* option) const {
    QString found;
    for (const ArgItem& item : items) {
        if (item.option == QLatin1String(option))
            found = item.value;
    }
    return found;
}

std::optional<ParsedArgs> ParseArgs(const QStringList& args, std::span<const OptionSpec> specs,
                                    QString* error) {
    ParsedArgs parsed;
    bool operandsOnly = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (operandsOnly || arg == QLatin1String("-") || !arg.startsWith(QLatin1Char('-'))) {
            parsed.items.append({QString(), arg});
            continue;
        }
        if (arg == QLatin1String("--")) {
            operandsOnly = true;
            continue;
        }
        const OptionSpec* option = nullptr;
        QString inlineValue;
        bool hasInlineValue = false;
        if (arg.startsWith(QLatin1String("--"))) {
            QString name = arg.mid(2);
            if (const qsizetype eq = name.indexOf(QLatin1Char('=')); eq >= 0) {
                inlineValue = name.mid(eq + 1);
                hasInlineValue = true;
                name = name.left(eq);
            }
            for (const OptionSpec& s : specs) {
                if (name == QLatin1String(s.longName))
                    option = &s;
            }
        } else if (arg.size() == 2) {
            for (const OptionSpec& s : specs) {
                if (s.shortName != 0 && arg[1] == QLatin1Char(s.shortName))
                    option = &s;
            }
        }
        if (!option) {
            *error = QStringLiteral("unknown option %1").arg(arg);
            return std::nullopt;
        }
        const QString name = QLatin1String(option->longName);
        if (!option->takesValue) {
            if (hasInlineValue) {
                *error = QStringLiteral("--%1 takes no value").arg(name);
                return std::nullopt;
            }
            parsed.items.append({name, QString()});
            continue;
        }
        if (hasInlineValue) {
            parsed.items.append({name, inlineValue});
            continue;
        }
        // "--port --verify" lacks the port; it must not open a device named "--verify".
        if (i + 1 >= args.size() ||
            (args[i + 1].startsWith(QLatin1Char('-')) && args[i + 1] != QLatin1String("-"))) {
            *error = QStringLiteral("%1 needs a value").arg(arg);
            return std::nullopt;
        }
        parsed.items.append({name, args[++i]});
    }
    return parsed;
}

} // namespace keyloom::cli
