#include "motion/MotrixApi.h"

#include <QFileInfo>

std::shared_ptr<const MotrixApi> MotrixApi::Bind(const QString& path, QString* error) {
    auto api = std::make_shared<MotrixApi>();
    api->library_ = std::make_unique<QLibrary>(path);
    if (!api->library_->load()) {
        *error = QString("The controller library \"%1\" could not be loaded (%2).")
                     .arg(QFileInfo(path).fileName(), api->library_->errorString());
        return nullptr;
    }
    QStringList missing;
#define MOTRIX_API_RESOLVE(name, type)                                 \
    api->name = reinterpret_cast<type>(api->library_->resolve(#name)); \
    if (api->name == nullptr) {                                        \
        missing << #name;                                              \
    }
    MOTRIX_API_FUNCTIONS(MOTRIX_API_RESOLVE)
#undef MOTRIX_API_RESOLVE
    if (!missing.isEmpty()) {
        *error =
            QString("The controller library \"%1\" lacks the function%2 %3.")
                .arg(api->library_->fileName(), missing.size() > 1 ? "s" : "", missing.join(", "));
        return nullptr;
    }
    return api;
}

QFunctionPointer MotrixApi::resolveOptional(const char* name) const {
    return library_ ? library_->resolve(name) : nullptr;
}
