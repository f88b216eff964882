#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <ostream>

#include "project/ProjectState.h"
#include "support/FileSizeLimit.h"

// Readable failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QPointF& point, std::ostream* out) {
    *out << '(' << point.x() << ", " << point.y() << ')';
}

inline QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(bytes);
    }
}

// A byte-exact copy of a file as the program must write it.
inline QByteArray Golden(const QString& name) {
    return ReadBytes(QStringLiteral(CORVANE_SOURCE_DIR "/tests/project/model/golden/") + name);
}

// Lines joined with CR LF, each line ended by one.
inline QByteArray CrLfLines(const QStringList& lines) {
    return (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
}

inline QStringList FilesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
}

// The tray of golden/QfpTray.Feeder and feeder 2 of golden/SavedProject.Corvane.
inline FeederRec QfpTray() {
    FeederRec tray;
    tray.Description = QStringLiteral("QFP tray");
    tray.SnapName = QStringLiteral("QFP44");
    tray.Kind = FeederTray;
    tray.Location = LocationFront;
    tray.X = 20;
    tray.Y = -7.75;
    tray.Z = 15;
    tray.PartHeight = 1.6;
    tray.Nozzle = 4;
    tray.TraySpacingX = 12.7;
    tray.TraySpacingY = -12.7;
    tray.TrayCountX = 3;
    tray.TrayCountY = 4;
    tray.TrayPickCount = 7;
    tray.PlaceSpeedType = PlaceSpeedSlow;
    tray.RejectTray = 5;
    tray.Use_Vision = false;
    return tray;
}

// The project of golden/SavedProject.Corvane. Its values test the number format: rounding to
// 10 significant digits, negative values, a negative value that rounds to zero.
inline ProjectState SampleProject() {
    ProjectState project;
    project.PanelOriginX = 12.5;
    project.PanelOriginY = -3.25;
    project.BoardSpacingX = 78.74015748;
    project.BoardSpacingY = 1.0 / 3;
    project.BoardCountX = 2;
    project.BoardCountY = 3;
    project.BoardHeight = 1.23456789012345;
    project.Fiducial1SnapName = QStringLiteral("FID1");
    project.Fiducial1X = 123456.789012345;
    project.Fiducial1Y = 0.1 + 0.2;
    project.Fiducial1Z = -1e-11;
    project.Fiducial2SnapName = QStringLiteral("Passmarke Süd");
    project.Fiducial2X = -100;
    project.Fiducial2Y = 2.5;
    project.Fiducial2Z = -0.125;
    project.DualFiducial = true;
    project.FiducialEnable = false;
    project.Metric = false;
    project.Parts = {
        {QStringLiteral("R1"), QStringLiteral("10k 0603"), 1.5, -2, 90, 1, true},
        {QStringLiteral("U3"), QString(), 25.4, 999.99999999999, -45.5, 2, false},
    };
    FeederRec reel;
    reel.Description = QStringLiteral("Reel 10k");
    reel.SnapName = QStringLiteral("R0603");
    reel.Location = LocationRear;
    reel.X = 300.25;
    reel.Y = 150;
    reel.Z = 12.3;
    reel.PartHeight = 0.5;
    reel.Nozzle = 2;
    reel.PlaceSpeedType = PlaceSpeedMedium;
    reel.RejectTray = 3;
    project.Feeders = {reel, QfpTray()};
    return project;
}
