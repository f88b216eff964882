#pragma once

#include <cmath>
#include <numbers>

namespace motrix_sim {

// A point or vector on the table, in millimetres (+X right, +Y up as seen from above).
struct Vec2 {
    double x = 0;
    double y = 0;

    bool operator==(const Vec2&) const = default;
};

inline Vec2 operator+(Vec2 a, Vec2 b) {
    return {a.x + b.x, a.y + b.y};
}
inline Vec2 operator-(Vec2 a, Vec2 b) {
    return {a.x - b.x, a.y - b.y};
}
inline Vec2 operator*(Vec2 a, double factor) {
    return {a.x * factor, a.y * factor};
}
inline double length(Vec2 a) {
    return std::hypot(a.x, a.y);
}

// `v` turned by `degrees` in the sense of the A axis: clockwise as seen from above.
inline Vec2 turned(Vec2 v, double degrees) {
    const double radians = degrees * std::numbers::pi / 180;
    const double c = std::cos(radians);
    const double s = std::sin(radians);
    return {c * v.x + s * v.y, -s * v.x + c * v.y};
}

// The same angle in (-180, 180].
inline double normalisedDegrees(double degrees) {
    double angle = std::fmod(degrees, 360.0);
    if (angle <= -180) {
        angle += 360;
    } else if (angle > 180) {
        angle -= 360;
    }
    return angle;
}

// Where the head is, in the world: the down camera's centre, the nozzle tip's Z and the A
// axis's turn in degrees.
struct HeadPose {
    Vec2 head;
    double z = 0;
    double a = 0;

    bool operator==(const HeadPose&) const = default;
};

}  // namespace motrix_sim
