#pragma once

#include <gtest/gtest.h>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>

// A QTemporaryDir template for a scratch folder named after `purpose`, in memory where the
// system offers it. Every save commits to the disk, and a run saves after each part: on a
// shared disk thousands of runs would wait for it.
inline QString ScratchTemplate(const QString& purpose) {
    const QFileInfo memory("/dev/shm");
    const QString root =
        memory.isDir() && memory.isWritable() ? memory.filePath() : QDir::tempPath();
    return root + "/corvane-" + purpose + "-XXXXXX";
}

// Writes `bytes` as the file `name` in `folder` and gives its path.
inline QString writeFile(const QTemporaryDir& folder, const QString& name,
                         const QByteArray& bytes) {
    const QString path = folder.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

// The bytes of the file at `path`; empty when it cannot be read.
inline QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The repository's demo: "Demo Panel/", "Machine Settings/", "System Settings/".
inline const QString kDemoFolder = QStringLiteral(CORVANE_SOURCE_DIR "/demo/");

// Copies every file of `from` into `to`, which is created.
inline void copyFolder(const QString& from, const QString& to) {
    QDir().mkpath(to);
    for (const QString& name : QDir(from).entryList(QDir::Files)) {
        EXPECT_TRUE(QFile::copy(QDir(from).filePath(name), QDir(to).filePath(name)))
            << name.toStdString();
    }
}
