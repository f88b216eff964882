#pragma once

#include <QByteArray>
#include <QString>

#include "vision/FilterWindow.h"
#include "vision/Image.h"

struct ProgramContext;

// Where a new snap goes: the project folder or the system settings folder under a name the
// person types, or a path the caller fixes (the home marks' "Home.BMP", "Home2.BMP").
enum class SnapDestination { Project, System, Special };

// The asked overwrite question, two lines of one message.
extern const char* const kSnapOverwriteQuestion;

// A snap's file: a 32-bit bitmap (uncompressed, rows bottom-up, the fourth byte of each pixel
// 255). The picture reader loads it as well as the 24-bit ones older versions wrote.
QByteArray Bitmap32File(const TBitmap32& image);
// Writes Bitmap32File(image) to `path` whole or not at all.
bool WriteBitmap32(const TBitmap32& image, const QString& path);

// folder + name + ".Bmp": the spelling every snap is written with.
QString SnapFilePath(const QString& folder, const QString& name);

// Cuts `window` out of `frame` and writes it. Project and system snaps ask for a name (a save
// dialog in the destination's folder; the file always lands there, as name + ".Bmp") and ask
// before replacing a snap of that name; the special destination replaces `specialPath` without
// asking. The file is written whole or not at all; a failed write is reported. True when a
// file was written; `fileName` then holds the chosen name without folder and extension.
bool SaveSnap(ProgramContext& context, const TBitmap32& frame, const WindowBounds& window,
              SnapDestination destination, const QString& specialPath, QString* fileName);
