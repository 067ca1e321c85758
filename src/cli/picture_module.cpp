// Finding and loading the picture module.
#include "picture_module.h"

#include "self_path.h"

#include <dlfcn.h>
#include <filesystem>

namespace sonarium {

namespace fs = std::filesystem;

namespace {

constexpr const char* kModuleName = "sonarium-png.so";
constexpr const char* kEntryPoint = "sonariumEncodeWaveformPng";

// The module's entry point, the module staying loaded for the rest of the process; null with
// the reason when it cannot be loaded.
decltype(&sonariumEncodeWaveformPng) loadEntryPoint(std::string& error) {
    const fs::path folder = executableFolder();
    std::string reasons;
    for (const fs::path& candidate :
         {folder / kModuleName, folder / ".." / SONARIUM_MODULE_DIR / kModuleName}) {
        void* module = ::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) {
            const char* why = ::dlerror();
            if (!reasons.empty())
                reasons += '\n';
            reasons += why != nullptr ? why : candidate.string();
            continue;
        }
        if (void* entry = ::dlsym(module, kEntryPoint))
            return reinterpret_cast<decltype(&sonariumEncodeWaveformPng)>(entry);
        reasons = candidate.string() + " holds no picture encoder";
        ::dlclose(module);
        break;
    }
    error = "the picture module could not be loaded:\n" + reasons;
    return nullptr;
}

} // namespace

bool encodeWaveformPng(const DisplaySummary& summary, std::string& png, std::string& error) {
    const auto encode = loadEntryPoint(error);
    if (encode == nullptr)
        return false;
    png.clear();
    const SonariumPngSink append = [](void* context, const char* bytes, std::size_t count) {
        static_cast<std::string*>(context)->append(bytes, count);
    };
    if (encode(&summary, append, &png) == 0) {
        error = "the picture could not be encoded";
        return false;
    }
    return true;
}

} // namespace sonarium
