#pragma once

#include <QPointF>

struct ProjectState;

// The fiducial correction as a rigid move of the board: a shift (the fiducial offset, times its
// per-axis factor) and, measured from two fiducials far enough apart, a turn about fiducial 1
// as it was taught. Angles are degrees in the sense of the A axis: clockwise seen from above.

// Where the point (x, y) of the current board (board-relative mm) truly lies, board-relative.
QPointF CorrectedBoardPosition(const ProjectState& project, double x, double y);

// (x, y) turned by `degrees` in the sense of the A axis.
QPointF TurnedClockwise(QPointF point, double degrees);

// Where the nozzle puts a part of the current board down (board-relative mm, before the nozzle
// offset) and at which A angle: the part's corrected position plus the pick's correction, both
// turned with the board, since the part's offset from the nozzle turns with A.
struct PlacingPose {
    double x = 0;
    double y = 0;
    double a = 0;
};
PlacingPose PlacingPoseOf(const ProjectState& project, QPointF part, const PlacingPose& pick);

// Marks this far apart or more tell the board's turn well enough to correct it: at 20 mm a
// tenth of a pixel of the down camera is 0.015 degrees.
inline constexpr double kRotationFiducialDistance = 20.0;
// The measured distance between the two marks may differ from the taught one by this much
// (mm); more, and one of them is not the mark that was taught.
inline constexpr double kFiducialDistanceTolerance = 0.3;

// What two fiducials tell of the board: where each was taught and where it was found
// (board-relative mm).
struct FiducialPair {
    QPointF taught1;
    QPointF taught2;
    QPointF found1;
    QPointF found2;

    // The found distance less the taught one (mm).
    double distanceError() const;
    // Within kFiducialDistanceTolerance: both are the marks that were taught.
    bool distanceRight() const;
    // Taught kRotationFiducialDistance apart or more: far enough to tell the board's turn.
    bool tellsTurn() const;
    // The turn from the taught vector (fiducial 1 to 2) to the found one, in the A sense.
    double rotation() const;
};
