#include "tools/toolargs.h"

#include <cstdio>

namespace {

void PrintUsage(const ToolSyntax& tool, std::FILE* to) {
    std::fprintf(to, "usage: %s\n", tool.usage);
}

std::optional<ToolArgs> Refuse(const ToolSyntax& tool, const QString& what, int& exitStatus) {
    std::fprintf(stderr, "%s: %s\n", tool.name, qPrintable(what));
    PrintUsage(tool, stderr);
    exitStatus = kToolRefused;
    return std::nullopt;
}

} // namespace

std::optional<ToolArgs> ReadToolArgs(const ToolSyntax& tool, const QStringList& arguments,
                                     int& exitStatus) {
    ToolArgs args;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (optionsEnded || !a.startsWith(u'-')) {
            args.names.append(a);
            continue;
        }
        if (a == QLatin1String("--")) {
            optionsEnded = true;
        } else if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            PrintUsage(tool, stdout);
            exitStatus = 0;
            return std::nullopt;
        } else if (tool.flags.contains(a)) {
            args.flags.append(a);
        } else if (const QString option = a.section(u'=', 0, 0); tool.valued.contains(option)) {
            const bool joined = a.contains(u'=');
            if (!joined && i + 1 >= arguments.size())
                return Refuse(tool, QStringLiteral("%1 needs a value").arg(a), exitStatus);
            const QString value = joined ? a.section(u'=', 1) : arguments[++i];
            if (value.isEmpty() || value.startsWith(u'-'))
                return Refuse(tool,
                              QStringLiteral("%1 needs a value, not \"%2\"").arg(option, value),
                              exitStatus);
            args.values.insert(option, value);
        } else {
            return Refuse(tool,
                          QStringLiteral("unknown option %1 (a file name that begins with - "
                                         "goes after --)")
                              .arg(a),
                          exitStatus);
        }
    }
    if (args.names.size() < tool.fewest || args.names.size() > tool.most)
        return Refuse(tool,
                      args.names.size() < tool.fewest ? QStringLiteral("too few arguments")
                                                      : QStringLiteral("too many arguments"),
                      exitStatus);
    return args;
}

int RefuseTool(const ToolSyntax& tool, const QString& what) {
    std::fprintf(stderr, "%s: %s\n", tool.name, qPrintable(what.simplified()));
    return kToolRefused;
}

int FailTool(const ToolSyntax& tool, const QString& what) {
    std::fprintf(stderr, "%s: %s\n", tool.name, qPrintable(what.simplified()));
    return 1;
}
