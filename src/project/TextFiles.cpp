#include "project/TextFiles.h"

#include <QFile>
#include <QSaveFile>

#include "settings/TextEncoding.h"

namespace {

// The previous file makes way for the new one; failures here only cost the backup.
void rotateToBackup(const QString& path, const QString& backupPath) {
    if (backupPath.isEmpty() || !QFile::exists(path)) {
        return;
    }
    QFile::remove(backupPath);
    QFile::rename(path, backupPath);
}

// Undoes rotateToBackup when the new file could not take the old one's place.
void restoreFromBackup(const QString& path, const QString& backupPath) {
    if (!backupPath.isEmpty() && !QFile::exists(path)) {
        QFile::rename(backupPath, path);
    }
}

}  // namespace

bool ReadTextFile(const QString& path, QString& text) {
    QFile file(path);
    if (!file.exists()) {
        text.clear();
        return true;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return false;
    }
    text = DecodeText(bytes);
    return true;
}

bool ReplaceFile(const QString& path, const QByteArray& bytes, const QString& backupPath) {
    QSaveFile file(path);
    // Everything is on disk before the previous file is touched.
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    rotateToBackup(path, backupPath);
    if (!file.commit()) {
        restoreFromBackup(path, backupPath);
        return false;
    }
    return true;
}
