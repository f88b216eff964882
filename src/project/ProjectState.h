#pragma once

#include <QList>
#include <QString>
#include <array>

// The member defaults of these records are also the values the project and feeder files
// give a missing or unreadable key.

// One part to place. Lengths in mm, board-relative; the angle in degrees.
struct PartRec {
    QString Designator;
    QString Comment;
    double X = 0;
    double Y = 0;
    double Angle = 0;
    int Feeder = 0;  // 1-based feeder number, 0 = none chosen
    bool Enabled = true;

    bool operator==(const PartRec&) const = default;
};

enum FeederKind { FeederReel = 0, FeederTray = 1, FeederVibration = 2 };
enum FeederLocation { LocationRight = 0, LocationFront = 1, LocationRear = 2 };
enum PlaceSpeedType { PlaceSpeedFast = 0, PlaceSpeedMedium = 1, PlaceSpeedSlow = 2 };

// One feeder. X, Y, Z are home-relative mm (for a tray: the first pocket).
struct FeederRec {
    int Kind = FeederReel;
    int Location = LocationFront;  // derived from the kind and Y, see FeederList.h
    QString Description;
    QString SnapName;
    double X = 0;
    double Y = 0;
    double Z = 0;
    double PartHeight = 0;
    int Nozzle = 1;
    double TraySpacingX = 0;
    double TraySpacingY = 0;
    int TrayCountX = 1;
    int TrayCountY = 1;
    int TrayPickCount = 1;
    int PlaceSpeedType = PlaceSpeedFast;
    int RejectTray = 1;
    bool Use_Vision = true;

    bool operator==(const FeederRec&) const = default;
};

// Where the fiducial window's Test found a mark (board-relative mm), on which board, and where
// the mark was taught then: a sighting counts while the board and the taught place still hold.
struct FiducialSighting {
    int board = 0;  // 0: none
    double taughtX = 0;
    double taughtY = 0;
    double foundX = 0;
    double foundY = 0;

    bool operator==(const FiducialSighting&) const = default;
};

// The open project: board and panel geometry, fiducials, part list and feeder list.
// Lengths in mm; board origins and the panel origin are home-relative.
struct ProjectState {
    bool ProjectOpen = false;
    bool ProjectModified = false;
    QString ProjectFolder;  // ends with a path separator
    QString ProjectName;

    double PanelOriginX = 0;
    double PanelOriginY = 0;
    double BoardSpacingX = 0;
    double BoardSpacingY = 0;
    int BoardCountX = 1;
    int BoardCountY = 1;
    int CurrentPanelBoard = 1;
    double BoardOriginX = 0;  // derived: origin of the current board
    double BoardOriginY = 0;
    double BoardHeight = 0;  // relative to the machine setting "Home Z"

    QString Fiducial1SnapName;
    QString Fiducial2SnapName;
    double Fiducial1X = 0;
    double Fiducial1Y = 0;
    double Fiducial1Z = 0;
    double Fiducial2X = 0;
    double Fiducial2Y = 0;
    double Fiducial2Z = 0;
    bool DualFiducial = false;
    bool FiducialEnable = true;
    bool Metric = true;

    QList<PartRec> Parts;  // part n at index n-1
    int CurrentPart = 0;   // 1-based; 0 when the list is empty

    QList<FeederRec> Feeders;  // feeder n at index n-1
    int CurrentFeeder = 0;
    int TrayRefillPendingFeeder = 0;

    double FiducialOffsetX = 0;
    double FiducialOffsetY = 0;
    double FiducialScaleX = 1;
    double FiducialScaleY = 1;
    // The board's turn measured by two fiducials (degrees, A sense), about fiducial 1 as it
    // was taught then (board-relative mm); measured each time, never stored. 0: not turned.
    double FiducialRotation = 0;
    double FiducialRotationCentreX = 0;
    double FiducialRotationCentreY = 0;
    std::array<FiducialSighting, 2> FiducialSightings;  // marks 1 and 2

    int PartCount() const { return static_cast<int>(Parts.size()); }
    int FeederCount() const { return static_cast<int>(Feeders.size()); }

    bool operator==(const ProjectState&) const = default;
};
