#pragma once

#include <QString>

struct ProgramContext;

// The snap-name field of the fiducial and feeder windows: a bitmap chosen in a file dialog
// becomes the snap of that name in `folder` (the project or the system settings folder).
// A file already in `folder` is used in place; one from elsewhere is copied in, asking before
// it replaces a snap of the same name. A copy that fails is reported with "FILE COPY ERROR!!"
// and the old name is kept.
enum class SnapChoice {
    Cancelled,  // the dialog was cancelled: nothing changes
    Kept,       // the operator declined the overwrite or the copy failed: the old name stays
    Taken,      // `name` is the new snap name
    Copied,     // as Taken, the file was copied in without a question
};
SnapChoice ChooseSnapFile(ProgramContext& context, const QString& folder,
                          const QString& currentName, QString& name);
