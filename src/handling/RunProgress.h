#pragma once

#include <QString>

struct ProjectState;

// The progress line of a run: where it stands and, from the parts done so far, the time left.
class RunProgress {
public:
    // A run starts (or continues) at the project's current part and board at time `now`.
    void start(const ProjectState& project, double now);
    // "Part 3 of 12  Board 2 of 4  Time left 0:41"; no time left before the first part is done.
    QString text(const ProjectState& project, double now) const;
    // Parts of the run still to do, the current one included.
    static long long partsLeft(const ProjectState& project, bool panel);

    bool panel = false;

private:
    long long position(const ProjectState& project) const;

    long long startPosition_ = 0;
    double startTime_ = 0;
};
