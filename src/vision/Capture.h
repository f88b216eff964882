#pragma once

#include <QByteArray>
#include <QString>

#include "vision/Image.h"
#include "vision/VisualCorrelation.h"

struct ProgramContext;

// Replaces ImageDownlooking (ImageUplooking) with the camera's current frame. False when the
// camera gives no frame (or there is no memory for it): the old image stays, so no search ever runs
// on a stale frame without the caller knowing.
bool CaptureDownlooking(ProgramContext& context);
bool CaptureUplooking(ProgramContext& context);
// Captures `frames` down-camera frames in turn and keeps the last (the first ones may still show
// the move before it). False at the first that fails.
bool CaptureDownlookingFrames(ProgramContext& context, int frames);

// What a search needs, taken from the program context.
VisionContext VisionOf(ProgramContext& context);

// The snap file meant by `path`: the exact name when it exists, else a file of the same
// folder whose name differs only in letter case (snaps are written as ".Bmp" and "Home.BMP"
// and named in any case by older files); empty when there is none.
QString ResolveSnapPath(const QString& path);

// Loads the snap at `path` (resolved as above) into `image`. False, with `image` empty, when
// the file is missing, cannot be read as a picture, is a bitmap cut short, or claims more than
// 4096 x 4096 pixels (no camera frame is that large: the file is damaged).
bool LoadSnap(const QString& path, ImagePtr& image);

// True for a bitmap file ("BM") shorter than its headers say: a copy or a save that broke off.
// The picture reader would fill the missing rows and give half a picture.
bool BitmapCutShort(const QByteArray& bytes);
