// corvane2-cli run PROJECT.Corvane --board|--panel [...]: the placement cycle on the simulated
// machine in virtual time, or on LinuxCNC's motion in real time; one progress line per part on
// stderr, the accuracy report as JSON on stdout. Exit 0 when the run finished, 1 when it
// stopped, 2 when it could not begin.
#include <QCoreApplication>
#include <QSettings>
#include <cstdio>
#include <optional>

#include "CliCommand.h"
#include "HeadlessRun.h"
#include "JsonText.h"
#include "motion/ControllerChoice.h"
#include "project/ProjectCommands.h"
#include "settings/MachineSettingsStore.h"

namespace {

constexpr const char* kUsage =
    "PROJECT.Corvane --board|--panel [--world FILE] [--board-offset DX,DY] "
    "[--board-rotation DEG] [--home-error DX,DY] [--pick-jitter MM,DEG] [--seed N] "
    "[--fiducial-failure continue|stop] [--controller simulator|linuxcnc[=HOST:PORT]]   run the "
    "current board or the whole panel on the simulated machine (or on LinuxCNC's motion, at "
    "127.0.0.1:5007 unless given); JSON accuracy report out";

std::optional<double> number(const QString& text) {
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok ? std::optional(value) : std::nullopt;
}

std::optional<std::pair<double, double>> numberPair(const QString& text) {
    const QStringList parts = text.split(',');
    if (parts.size() != 2) {
        return std::nullopt;
    }
    const auto first = number(parts[0]);
    const auto second = number(parts[1]);
    if (!first || !second) {
        return std::nullopt;
    }
    return std::pair(*first, *second);
}

// "simulator", "linuxcnc" or "linuxcnc=HOST:PORT" (an IPv6 host in brackets).
bool readController(const QString& value, HeadlessRunOptions& options) {
    if (value == "simulator") {
        options.linuxCnc.reset();
        return true;
    }
    if (value == "linuxcnc") {
        options.linuxCnc = LinuxCncAddress{};
        return true;
    }
    if (!value.startsWith("linuxcnc=")) {
        return false;
    }
    const QString address = value.section(u'=', 1);
    const qsizetype colon = address.lastIndexOf(':');
    bool portRead = false;
    const int port = address.mid(colon + 1).toInt(&portRead);
    QString host = address.left(colon);
    if (host.startsWith('[') && host.endsWith(']')) {
        host = host.mid(1, host.size() - 2);
    }
    if (colon < 0 || !portRead || port < 1 || port > 65535 || host.isEmpty()) {
        return false;
    }
    options.linuxCnc = LinuxCncAddress{host, port};
    return true;
}

// Reads the options into `options`; the reason when they cannot be used.
QString readOptions(QStringList arguments, HeadlessRunOptions& options) {
    bool kindGiven = false;
    while (!arguments.isEmpty()) {
        const QString option = arguments.takeFirst();
        if (option == "--board" || option == "--panel") {
            if (kindGiven) {
                return "give one of --board and --panel";
            }
            kindGiven = true;
            options.kind = option == "--board" ? RunKind::Board : RunKind::Panel;
            continue;
        }
        if (!option.startsWith("--")) {
            if (!options.projectFile.isEmpty()) {
                return "one project file only";
            }
            options.projectFile = option;
            continue;
        }
        if (arguments.isEmpty()) {
            return option + " needs a value";
        }
        const QString value = arguments.takeFirst();
        const QString bad = "bad value for " + option + ": " + value;
        if (option == "--world") {
            options.worldFile = value;
        } else if (option == "--board-offset") {
            if (!(options.boardOffset = numberPair(value)))
                return bad;
        } else if (option == "--home-error") {
            if (!(options.homeError = numberPair(value)))
                return bad;
        } else if (option == "--pick-jitter") {
            if (!(options.pickJitter = numberPair(value)))
                return bad;
        } else if (option == "--board-rotation") {
            if (!(options.boardRotation = number(value)))
                return bad;
        } else if (option == "--seed") {
            bool ok = false;
            options.seed = value.toULongLong(&ok);
            if (!ok)
                return bad;
        } else if (option == "--fiducial-failure") {
            if (value != "continue" && value != "stop")
                return bad;
            options.runOnAfterFiducialFailure = value == "continue";
        } else if (option == "--controller") {
            if (!readController(value, options))
                return bad;
        } else {
            return "unknown option " + option;
        }
    }
    if (options.projectFile.isEmpty()) {
        return "no project file";
    }
    return kindGiven ? QString() : "give --board or --panel";
}

QString jsonOptional(const std::optional<double>& value) {
    return value ? JsonNumber(*value) : "null";
}

QString partJson(const PartOutcome& part) {
    const auto coordinate = [](const std::optional<TablePose>& pose, double TablePose::*field) {
        return pose ? JsonNumber((*pose).*field) : QString("null");
    };
    QStringList members{"\"designator\": " + JsonText(part.designator),
                        "\"board\": " + QString::number(part.board),
                        QString("\"placed\": ") + (part.placed ? "true" : "false")};
    for (const auto& [name, pose] : {std::pair{"target", &part.target}, {"actual", &part.actual}}) {
        members << QString("\"%1_x\": ").arg(name) + coordinate(*pose, &TablePose::x)
                << QString("\"%1_y\": ").arg(name) + coordinate(*pose, &TablePose::y)
                << QString("\"%1_angle\": ").arg(name) + coordinate(*pose, &TablePose::angle);
    }
    members << "\"error_mm\": " + jsonOptional(part.errorMm())
            << "\"error_deg\": " + jsonOptional(part.errorDeg());
    return "    {" + members.join(", ") + "}";
}

// A board's fiducial correction beside the world's truth: origin shift and turn, each or null.
QString boardJson(const BoardOutcome& board) {
    QStringList members{"\"board\": " + QString::number(board.board)};
    for (const auto& [name, pose] :
         {std::pair{"measured", &board.measured}, {"true", &board.truth}}) {
        const auto field = [&](double TablePose::*value) {
            return *pose ? JsonNumber((**pose).*value) : QString("null");
        };
        members << QString("\"%1_offset_x\": ").arg(name) + field(&TablePose::x)
                << QString("\"%1_offset_y\": ").arg(name) + field(&TablePose::y)
                << QString("\"%1_rotation\": ").arg(name) + field(&TablePose::angle);
    }
    return "    {" + members.join(", ") + "}";
}

// Which controller drove the run.
QString controllerJson(const HeadlessRunReport& report) {
    return "\"controller\": " + JsonText(report.controller);
}

QString partKindJson(const PartKindOutcome& kind) {
    return "    {\"kind\": " + JsonText(kind.kind) + ", \"parts\": " + QString::number(kind.parts) +
           ", \"max_error_deg\": " + JsonNumber(kind.maxErrorDeg) +
           ", \"rms_error_deg\": " + JsonNumber(kind.rmsErrorDeg) + "}";
}

template <typename Item>
QStringList jsonItems(const QList<Item>& items, QString (*json)(const Item&)) {
    QStringList texts;
    for (const Item& item : items) {
        texts << json(item);
    }
    return texts;
}

QString reportJson(const HeadlessRunReport& report) {
    QStringList messages;
    for (const QString& message : report.messages) {
        messages << "    " + JsonText(message);
    }
    const auto list = [](const QStringList& items) {
        return items.isEmpty() ? QString("[]") : "[\n" + items.join(",\n") + "\n  ]";
    };
    const QStringList members{
        controllerJson(report),
        "\"parts\": " + list(jsonItems(report.parts, partJson)),
        "\"boards\": " + list(jsonItems(report.boards, boardJson)),
        "\"part_kinds\": " + list(jsonItems(report.partKinds(), partKindJson)),
        "\"max_error_mm\": " + JsonNumber(report.maxErrorMm()),
        "\"rms_error_mm\": " + JsonNumber(report.rmsErrorMm()),
        "\"max_error_deg\": " + JsonNumber(report.maxErrorDeg()),
        "\"parts_placed\": " + QString::number(report.partsPlaced()),
        "\"parts_failed\": " + QString::number(report.partsFailed()),
        "\"machine_time_s\": " + JsonNumber(report.machineSeconds),
        "\"wall_time_s\": " + JsonNumber(report.wallSeconds),
        QString("\"finished\": ") + (report.finished ? "true" : "false"),
        "\"reason\": " + (report.finished ? QString("null") : JsonText(report.reason)),
        "\"messages\": " + list(messages)};
    return "{\n  " + members.join(",\n  ") + "\n}\n";
}

int run(const QStringList& arguments) {
    HeadlessRunOptions options;
    const QString problem = readOptions(arguments, options);
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "corvane2-cli run: %s\nusage: corvane2-cli run %s\n",
                     qPrintable(problem), kUsage);
        return 2;
    }
    options.simulatorLibrary =
        QCoreApplication::applicationDirPath() + u'/' +
        QLatin1String(options.linuxCnc ? kLinuxCncLibrary : kControllerLibrary);
    options.userSettingsFile = OpenMachineSettingsStore()->fileName();
    options.userSystemFolder = UserSystemSettingsFolder();
    options.progress = [](const QString& line) { std::fprintf(stderr, "%s\n", qPrintable(line)); };
    QString error;
    const std::optional<HeadlessRunReport> report = RunHeadless(options, &error);
    if (!report) {
        std::fprintf(stderr, "corvane2-cli run: %s\n", qPrintable(error));
        return 2;
    }
    std::fputs(reportJson(*report).toUtf8().constData(), stdout);
    return report->finished ? 0 : 1;
}

const CliRegistration registration({"run", kUsage, run});

}  // namespace
