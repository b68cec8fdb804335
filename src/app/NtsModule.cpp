#include "NtsModule.h"

#include "ProgramFolder.h"

#include <QLibrary>

#include <sys/stat.h>

namespace NtsModule {

namespace {

NtsBackend* loaded = nullptr;

} // namespace

NtsBackend* Backend(std::string& why) {
    if (loaded != nullptr) {
        return loaded;
    }
    const std::string path = ProgramFolder::ShippedFile(
        ProgramFolder::ExecutableFolder(), kNtsModuleName,
        std::string(MORVATEL_NTS_MODULE_DIR "/") + kNtsModuleName, [](const std::string& p) {
            struct stat st {};
            return ::lstat(p.c_str(), &st) == 0;
        });
    if (path.empty()) {
        why = std::string(kNtsModuleName) + " is not installed with the program";
        return nullptr;
    }
    // Whoever may write the module may run code as the user once NTS is on.
    if (why = ProgramFolder::DistrustCode(path); !why.empty()) {
        why = "not loading " + path + ": " + why;
        return nullptr;
    }
    // Never unloaded: the backend and OpenSSL's own state live until exit.
    QLibrary library(QString::fromStdString(path));
    library.setLoadHints(QLibrary::PreventUnloadHint);
    const auto entry = reinterpret_cast<NtsBackendEntry>(library.resolve(kNtsBackendEntry));
    if (entry == nullptr) {
        why = library.errorString().toStdString();
        return nullptr;
    }
    loaded = entry(MORVATEL_VERSION);
    if (loaded == nullptr) {
        why = path + " belongs to another version of the program";
    }
    return loaded;
}

NtsBackend* Loaded() {
    return loaded;
}

} // namespace NtsModule
