#include <dlfcn.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <stdexcept>
#include <string>

#include "desktop/model_windows.h"

namespace brimalox {
namespace {

using Entry = ModelWindows* (*)(const ModelHost*);

// Beside the program in the build tree; under the library folder once installed.
QString modulePath() {
    const QString here = QCoreApplication::applicationDirPath();
    const QString built = here + QStringLiteral("/" BRIMALOX_MODULE_NAME);
    if (QFileInfo::exists(built)) return built;
    return here + QStringLiteral("/" BRIMALOX_MODULE_FROM_BIN "/" BRIMALOX_MODULE_NAME);
}

}  // namespace

std::unique_ptr<ModelWindows> loadModelWindows(const ModelHost& host) {
    static Entry entry = nullptr;  // loaded once and never unloaded: its windows live until the end
    if (!entry) {
        const std::string path = modulePath().toStdString();
        void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!module) throw std::runtime_error(dlerror());
        entry = reinterpret_cast<Entry>(dlsym(module, "brimalox_model_windows"));
        if (!entry) throw std::runtime_error(path + " is not the calculator's module");
    }
    return std::unique_ptr<ModelWindows>(entry(&host));
}

}  // namespace brimalox
