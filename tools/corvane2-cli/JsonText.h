#pragma once

#include <QString>

// The pieces of the JSON the commands print.

// A JSON string: quotes, backslashes and control characters escaped.
QString JsonText(const QString& text);

// The shortest text that reads back as the same double.
QString JsonNumber(double value);
