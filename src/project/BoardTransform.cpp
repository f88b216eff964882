#include "project/BoardTransform.h"

#include <QLineF>
#include <cmath>
#include <numbers>

#include "project/ProjectState.h"

namespace {

double degreesOf(double radians) {
    return radians * 180 / std::numbers::pi;
}

}  // namespace

QPointF TurnedClockwise(QPointF point, double degrees) {
    const double radians = degrees * std::numbers::pi / 180;
    const double c = std::cos(radians);
    const double s = std::sin(radians);
    return {c * point.x() + s * point.y(), -s * point.x() + c * point.y()};
}

QPointF CorrectedBoardPosition(const ProjectState& project, double x, double y) {
    const QPointF centre(project.FiducialRotationCentreX, project.FiducialRotationCentreY);
    const QPointF turned =
        centre + TurnedClockwise(QPointF(x, y) - centre, project.FiducialRotation);
    return turned + QPointF(project.FiducialOffsetX * project.FiducialScaleX,
                            project.FiducialOffsetY * project.FiducialScaleY);
}

PlacingPose PlacingPoseOf(const ProjectState& project, QPointF part, const PlacingPose& pick) {
    const QPointF position = CorrectedBoardPosition(project, part.x(), part.y()) +
                             TurnedClockwise({pick.x, pick.y}, project.FiducialRotation);
    return {position.x(), position.y(), pick.a + project.FiducialRotation};
}

double FiducialPair::distanceError() const {
    return QLineF(found1, found2).length() - QLineF(taught1, taught2).length();
}

bool FiducialPair::distanceRight() const {
    return std::abs(distanceError()) <= kFiducialDistanceTolerance;
}

bool FiducialPair::tellsTurn() const {
    return QLineF(taught1, taught2).length() >= kRotationFiducialDistance;
}

double FiducialPair::rotation() const {
    const QPointF taught = taught2 - taught1;
    const QPointF found = found2 - found1;
    const double cross = taught.x() * found.y() - taught.y() * found.x();
    const double dot = QPointF::dotProduct(taught, found);
    return -degreesOf(std::atan2(cross, dot));  // anticlockwise with Y up is a negative A turn
}
