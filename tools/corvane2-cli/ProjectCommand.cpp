// corvane2-cli project FILE [--save OUT]: loads a project file with the program's own loader
// and prints what it holds as JSON; with --save writes it back with the program's own writer.
#include <QFileInfo>
#include <QString>
#include <cstdio>
#include <optional>
#include <variant>

#include "CliCommand.h"
#include "JsonText.h"
#include "project/FeederFile.h"
#include "project/ProjectFile.h"
#include "project/TextFiles.h"

namespace {

constexpr const char* kUsage =
    "FILE [--save OUT]   print a project file's board, parts and feeders as JSON; "
    "--save writes it back";

struct ProjectOptions {
    QString file;
    std::optional<QString> saveTo;
};

QString jsonValue(const std::variant<QString, int, double, bool>& value) {
    struct {
        QString operator()(const QString& text) const { return JsonText(text); }
        QString operator()(int number) const { return QString::number(number); }
        QString operator()(double number) const { return JsonNumber(number); }
        QString operator()(bool flag) const { return flag ? "true" : "false"; }
    } const format;
    return std::visit(format, value);
}

QStringList jsonMembers(const QList<FileValue>& values, bool lowerCaseKeys) {
    QStringList members;
    for (const FileValue& value : values) {
        members << JsonText(lowerCaseKeys ? value.key.toLower() : value.key) + ": " +
                       jsonValue(value.value);
    }
    return members;
}

// The values as one JSON object on one line, in file order; `lowerCaseKeys` for the parts.
QString jsonObject(const QList<FileValue>& values, bool lowerCaseKeys = false) {
    return '{' + jsonMembers(values, lowerCaseKeys).join(", ") + '}';
}

template <typename Record>
QString jsonList(const QList<Record>& records, QList<FileValue> (*values)(const Record&),
                 bool lowerCaseKeys = false) {
    QStringList items;
    for (const Record& record : records) {
        items << "    " + jsonObject(values(record), lowerCaseKeys);
    }
    return items.isEmpty() ? "[]" : "[\n" + items.join(",\n") + "\n  ]";
}

// Board and feeders under their file keys, the parts under the names of their fields.
QString jsonSummary(const ProjectState& project) {
    const QString board =
        "{\n    " + jsonMembers(BoardFileValues(project), false).join(",\n    ") + "\n  }";
    return QString("{\n  \"board\": %1,\n  \"parts\": %2,\n  \"feeders\": %3\n}\n")
        .arg(board, jsonList<PartRec>(project.Parts, PartFileValues, true),
             jsonList<FeederRec>(project.Feeders, FeederFileValues));
}

void printError(const QString& text) {
    std::fprintf(stderr, "corvane2-cli project: %s\n", qPrintable(text));
}

int refuse(const QString& problem) {
    printError(problem);
    std::fprintf(stderr, "usage: corvane2-cli project %s\n", kUsage);
    return 2;
}

std::optional<ProjectOptions> parseOptions(const QStringList& arguments, QString& problem) {
    ProjectOptions options;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == "--save") {
            if (i + 1 == arguments.size()) {
                problem = "--save needs the file to write";
                return std::nullopt;
            }
            options.saveTo = arguments[++i];
        } else if (argument.startsWith("--") || !options.file.isEmpty()) {
            problem = "unexpected argument " + argument;
            return std::nullopt;
        } else {
            options.file = argument;
        }
    }
    if (options.file.isEmpty()) {
        problem = "expected a project file";
        return std::nullopt;
    }
    return options;
}

int runProject(const QStringList& arguments) {
    QString problem;
    const std::optional<ProjectOptions> options = parseOptions(arguments, problem);
    if (!options) {
        return refuse(problem);
    }
    // The loader reads a missing file as an empty project; checking a file needs the file.
    if (!QFileInfo::exists(options->file)) {
        printError(QString("cannot read \"%1\": there is no such file").arg(options->file));
        return 1;
    }
    ProjectState project;
    if (!ReadProjectFile(options->file, project, problem)) {
        printError(problem);
        return 1;
    }
    if (options->saveTo && !ReplaceFile(*options->saveTo, ProjectFileText(project))) {
        printError(QString("cannot write \"%1\"").arg(*options->saveTo));
        return 1;
    }
    std::fputs(jsonSummary(project).toUtf8().constData(), stdout);
    return 0;
}

const CliRegistration registration({"project", kUsage, runProject});

}  // namespace
