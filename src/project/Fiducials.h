#pragma once

#include <QString>

struct ProgramContext;
struct ProjectState;

// The board's fiducial marks and the correction measured from them. The correction is a shift
// of the whole board: FiducialOffsetX/Y (mm) with per-axis factors FiducialScaleX/Y that
// placing multiplies the offset by.

// The taught fields of fiducial `fiducial` (2, else 1): its board-relative position (mm) and its
// snap's name.
struct FiducialFields {
    double& x;
    double& y;
    double& z;
    QString& snapName;
};
FiducialFields FiducialFieldsOf(ProjectState& project, int fiducial);

// Clears the correction: offsets 0, factors 1.
void ClearFiducialCorrection(ProjectState& project);

// The snap file of fiducial `fiducial` (1 or 2): ProjectFolder + name + ".bmp".
QString FiducialSnapPath(const ProjectState& project, int fiducial);

// One axis of a dual measurement. `nominalDistance` is fiducial 2 minus fiducial 1 on that axis
// (mm); `measured1`, `measured2` are how far each mark was found from where it was expected.
// Marks up to 25 mm apart take fiducial 1's measurement; marks further apart the mean of both,
// which halves the error of a single look and, since both marks see the same shift, still
// describes a pure shift of the board. The factor is 1 either way.
struct AxisCorrection {
    double offset = 0;
    double scale = 1;
};
AxisCorrection CombineFiducialAxis(double nominalDistance, double measured1, double measured2);

// What looking for a mark gave.
enum class FiducialLook { Found, SnapMissing, MoveFailed, CameraFailed, NotFound };

// Loads fiducial `fiducial`'s snap (SnapMissing, without a move, when it cannot be read), moves the
// down-looking camera over the mark (carrying a held part with the vacuum on at its place speed,
// so the move never drops or shifts it), waits the camera's settling delay, captures `captures`
// frames and searches the last one. Found: VisionCentreX/Y give the mark's offset from the image
// centre. The reference image is released on return.
FiducialLook LookAtFiducial(ProgramContext& context, int fiducial, int captures);

// The fiducial test of a run: clears the correction, then (when the project checks its
// fiducials) measures fiducial 1, and fiducial 2 for a dual check, and sets the correction.
// False when a move, a capture or a search failed; the correction then stays cleared.
bool TestFiducials(ProgramContext& context);
