#include "app/SingleInstance.h"

#include <QDir>

SingleInstance::SingleInstance()
    : SingleInstance(QDir::tempPath() + "/{5EFC21A1-0A6B-43F7-A13E-E572F1FD36FF}.lock") {}

SingleInstance::SingleInstance(const QString& lockPath) : lock_(lockPath) {
    lock_.setStaleLockTime(0);  // only a dead owner's lock is stale, never a slow one
}

bool SingleInstance::acquire() {
    return lock_.tryLock(0);
}
