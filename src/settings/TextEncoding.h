#pragma once

#include <QByteArray>
#include <QString>

// The 8-bit text of the project, feeder and place files is in the Windows ANSI code page
// (Windows-1252), as the files exchanged with other installations and CAD tools are.

// A byte-order mark selects UTF-8, UTF-16 LE or UTF-16 BE (the mark itself is dropped);
// without one the bytes are read as UTF-8 when they are valid UTF-8, else as Windows-1252.
// Every byte has a Windows-1252 character (the five the code page leaves open read as the
// control characters of the same number), so no byte is lost and none is replaced. Damaged
// UTF-8 or UTF-16 after a mark (a surrogate without its partner) reads as U+FFFD.
QString DecodeText(const QByteArray& bytes);

// Windows-1252 when every character of `text` has a byte there and those bytes read back as
// `text`; otherwise UTF-8 without a byte-order mark, so that no character is lost.
QByteArray EncodeText(const QString& text);
