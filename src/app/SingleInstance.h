#pragma once

#include <QLockFile>
#include <QString>

// The program-wide lock that keeps a second copy from starting. A lock left by a crashed copy
// is taken over.
class SingleInstance {
public:
    // The lock file named after the program's lock in the temporary folder.
    SingleInstance();
    explicit SingleInstance(const QString& lockPath);

    // True when this copy holds the lock (and keeps it until destroyed).
    bool acquire();

private:
    QLockFile lock_;
};

inline constexpr char kSecondCopyMessage[] = "You already have a copy of this program running.";
