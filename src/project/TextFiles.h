#pragma once

#include <QByteArray>
#include <QString>

// Reads a text file and decodes it like every text file the program reads (DecodeText). A file
// that does not exist reads as empty text; false only when an existing file cannot be read.
bool ReadTextFile(const QString& path, QString& text);

// Replaces the file at `path` by `bytes`. The bytes go to a temporary file in the same folder
// first, so a write that fails half-way leaves the previous file (and backup) untouched. When
// `backupPath` is given and the file existed, the previous file becomes the backup, replacing
// an older one. False when the new file could not be written or moved into place.
bool ReplaceFile(const QString& path, const QByteArray& bytes, const QString& backupPath = {});
