#pragma once

#include <QByteArray>
#include <QString>

// Text files from other programs come in several encodings: a byte-order mark selects UTF-8,
// UTF-16 LE or UTF-16 BE (the mark itself is dropped); without one the bytes are read as UTF-8,
// or as Latin-1 when they are not valid UTF-8, so older 8-bit files keep their characters.
QString DecodeText(const QByteArray& bytes);
