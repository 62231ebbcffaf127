#pragma once
// The command lines of the tools, read alike: --help and -h print the usage
// on standard output (exit status 0); an unknown option, an option without
// its value or a wrong number of names prints what is wrong and the usage
// on standard error (exit status 2). Anything that begins with "-" is an
// option, never a file name, unless it follows "--".

#include <QMap>
#include <QString>
#include <QStringList>
#include <optional>

// The exit status of a tool given a command line or a book it cannot use.
constexpr int kToolRefused = 2;

struct ToolSyntax {
    const char* name;   // "adrsbook-newdb"
    const char* usage;  // the lines after "usage: ", each starting with the name
    QStringList flags;  // options on their own: "--replace"
    QStringList valued; // options followed by a value: "--runs"
    int fewest = 1;     // names (files, settings, numbers) after the options
    int most = 1;
};

struct ToolArgs {
    QStringList flags;             // the flags given
    QMap<QString, QString> values; // the valued options given, with their values
    QStringList names;             // everything else, in order

    bool Has(const QString& flag) const { return flags.contains(flag); }
    QString Value(const QString& option, const QString& otherwise = {}) const {
        return values.value(option, otherwise);
    }
};

// Reads the arguments (the program name left out). Nothing when the tool
// is to stop: `exitStatus` then says with what, the usage or the fault
// having been printed.
std::optional<ToolArgs> ReadToolArgs(const ToolSyntax& tool, const QStringList& arguments,
                                     int& exitStatus);

// Says on one line of standard error that the tool cannot use what it was
// given, "NAME: what"; returns kToolRefused.
int RefuseTool(const ToolSyntax& tool, const QString& what);

// Says on one line of standard error what went wrong while the tool
// worked, "NAME: what"; returns 1.
int FailTool(const ToolSyntax& tool, const QString& what);
