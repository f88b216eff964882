#pragma once

#include <QString>

struct ProgramContext;

// The two printed marks homing looks for, and their reference snaps in the system settings
// folder.
enum class HomeMark { Home1, Home2 };

// "Home.BMP" or "Home2.BMP" in the system settings folder.
QString HomeMarkSnapFile(const QString& systemSettingsFolder, HomeMark mark);
QString HomeMarkSnapPath(const ProgramContext& context, HomeMark mark);

// Holds a home mark's snap as the reference image for one search and frees it afterwards, so
// that each search owns its reference only while it runs. A missing or unreadable snap leaves
// the reference empty, and the search then fails.
class HomeMarkReference {
public:
    HomeMarkReference(ProgramContext& context, HomeMark mark);
    ~HomeMarkReference();
    HomeMarkReference(const HomeMarkReference&) = delete;
    HomeMarkReference& operator=(const HomeMarkReference&) = delete;

    // False when the snap is missing or cannot be read.
    bool loaded() const { return loaded_; }

private:
    ProgramContext& context_;
    bool loaded_ = false;
};

enum class MarkSearch { Found, CameraFailed, NotFound };

// With the camera over a mark: waits the down camera's settling delay, captures `captures`
// frames in a row (stopping at the first failure) and searches the last one for the
// reference. Found only with a correlation above 0; VisionCentreX/Y then hold the mark's
// offset from the camera centre.
MarkSearch LookForMark(ProgramContext& context, int captures);
