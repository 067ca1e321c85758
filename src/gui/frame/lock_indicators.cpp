// Reads the keyboard indicators with XkbGetIndicatorState. libX11 is loaded when first needed
// rather than linked, so the editor builds and runs where it is absent (Wayland, offscreen).
#include "frame/lock_indicators.h"

#include <QGuiApplication>
#include <dlfcn.h>

namespace sonarium {

namespace {

#if QT_CONFIG(xcb)
using GetIndicatorState = int (*)(Display*, unsigned int device, unsigned int* state);

GetIndicatorState indicatorFunction() {
    static const GetIndicatorState function = []() -> GetIndicatorState {
        void* library = ::dlopen("libX11.so.6", RTLD_LAZY | RTLD_LOCAL);
        if (library == nullptr)
            return nullptr;
        return reinterpret_cast<GetIndicatorState>(::dlsym(library, "XkbGetIndicatorState"));
    }();
    return function;
}
#endif

} // namespace

std::optional<LockStates> readLockStates() {
#if QT_CONFIG(xcb)
    constexpr unsigned int kCoreKeyboard = 0x0100; // XkbUseCoreKbd
    constexpr int kSuccess = 0;
    auto* x11 = qGuiApp == nullptr ? nullptr
                                   : qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr || x11->display() == nullptr || indicatorFunction() == nullptr)
        return std::nullopt;
    unsigned int state = 0;
    if (indicatorFunction()(x11->display(), kCoreKeyboard, &state) != kSuccess)
        return std::nullopt;
    // The core keyboard's first three indicators: Caps Lock, Num Lock, Scroll Lock.
    return LockStates{(state & 1U) != 0, (state & 2U) != 0, (state & 4U) != 0};
#else
    return std::nullopt;
#endif
}

} // namespace sonarium
