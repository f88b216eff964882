#pragma once

#include <QString>
#include <functional>

#include "vision/Image.h"

// Lets the operator cut a snap out of a captured frame and save it (the "Create Snap" window).
// True when a snap was saved; `name` then holds its file name without folder and extension.
using SnapCutter = std::function<bool(const TBitmap32& frame, QString& name)>;
