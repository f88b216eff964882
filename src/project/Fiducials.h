#pragma once

#include <QPointF>
#include <QString>
#include <optional>

struct ProgramContext;
struct ProjectState;

// The board's fiducial marks and the correction measured from them: the shift of the whole board
// at fiducial 1, FiducialOffsetX/Y (mm; the per-axis factors FiducialScaleX/Y that placing
// multiplies it by stay 1), and, from two marks at least 20 mm apart, the board's turn
// FiducialRotation about fiducial 1 (BoardTransform.h).

// The taught fields of fiducial `fiducial` (2, else 1): its board-relative position (mm) and its
// snap's name.
struct FiducialFields {
    double& x;
    double& y;
    double& z;
    QString& snapName;
};
FiducialFields FiducialFieldsOf(ProjectState& project, int fiducial);

// Clears the correction: offsets 0, factors 1, no turn.
void ClearFiducialCorrection(ProjectState& project);

// "Board rotation 0.37 Deg": the board's turn, as the result line shows it after a dual check.
QString BoardRotationText(double degrees);

// The snap file of fiducial `fiducial` (1 or 2): ProjectFolder + name + ".bmp".
QString FiducialSnapPath(const ProjectState& project, int fiducial);

// What looking for a mark gave.
enum class FiducialLook { Found, SnapMissing, MoveFailed, CameraFailed, NotFound };

// Loads fiducial `fiducial`'s snap (SnapMissing, without a move, when it cannot be read), moves the
// down-looking camera over the mark, or over `at` (board-relative mm) when given (carrying a held
// part with the vacuum on at its place speed, so the move never drops or shifts it), waits the
// camera's settling delay, captures `captures` frames and searches the last one. Found:
// VisionCentreX/Y give the mark's offset from the image centre. The reference image is released
// on return.
FiducialLook LookAtFiducial(ProgramContext& context, int fiducial, int captures,
                            std::optional<QPointF> at = std::nullopt);

// The fiducial window's Test found mark `fiducial` (1 or 2) where VisionCentreX/Y say: notes
// where, and once both marks have been found on the current board where they are taught now
// (with "DUAL FIDUCIAL" on), adds what they tell to the result line: the board's turn ("Board
// rotation 0.37 Deg") when they lie 20 mm apart or more, or "FIDUCIAL DISTANCE WRONG".
void NoteFiducialSighting(ProgramContext& context, int fiducial);

// The fiducial test of a run: clears the correction, then (when the project checks its
// fiducials) measures fiducial 1, and fiducial 2 for a dual check, and sets the correction. A
// mark found further than two thirds of the search's reach from where it was taught is looked
// at again, centred: it may lie beyond the reach, found at its edge short of where it is.
// Two marks at least 20 mm apart give the board's shift at fiducial 1 and its turn about it,
// which the result line shows ("Board rotation 0.37 Deg"); closer marks, like one, the shift.
// False when a move, a capture or a search failed, or when the two marks lie more than
// 0.3 mm nearer or further apart than taught (says and shows "FIDUCIAL DISTANCE WRONG!": one of
// them is not the mark taught); the correction then stays cleared.
bool TestFiducials(ProgramContext& context);
