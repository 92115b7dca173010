// libFuzzer entry for the sign-in callback: any URL ends in a token pair or a LoginError whose
// text can be shown.
#include "OndrelUI/session/YandexLogin.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString url = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        YandexLogin::parseCallback(url);
    } catch (const YandexLogin::LoginError& error) {
        // The service's reason is outside input too, and is elided for the error line.
        if (error.description().isEmpty())
            __builtin_trap();
    }
    return 0;
}
