#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

// What the harnesses of fuzz/ share. Each harness is one libFuzzer program whose
// LLVMFuzzerTestOneInput gives one input to one reader and checks the reader's promises with
// FUZZ_CHECK. A broken promise aborts the run, and libFuzzer keeps the input that broke it.
// The process has a Qt application object (made before the first input) and a scratch folder.

[[noreturn]] void FuzzFailure(const char* check, const QString& detail, const char* file, int line);

// Aborts with the check's text, where it stands and `detail` when `condition` does not hold.
#define FUZZ_CHECK(condition, detail)                              \
    do {                                                           \
        if (!(condition)) {                                        \
            FuzzFailure(#condition, (detail), __FILE__, __LINE__); \
        }                                                          \
    } while (false)

// The input as bytes of its own (Qt may keep a view into what it is given).
QByteArray InputBytes(const std::uint8_t* data, std::size_t size);

// This process's folder for the files the readers read and write, ending with "/"; removed when
// the run ends.
const QString& ScratchFolder();

// Writes `bytes` as `name` in the scratch folder and returns the file's path.
QString WriteScratchFile(const QString& name, const QByteArray& bytes);

// Where two texts part: the first line that differs, as it is in each (for a failure's report).
QString FirstDifference(const QByteArray& expected, const QByteArray& found);

// The bytes of `name` in the scratch folder; empty when it cannot be read.
QByteArray ReadScratchFile(const QString& name);
