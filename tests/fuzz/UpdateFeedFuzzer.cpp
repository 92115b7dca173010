// libFuzzer entry for the update feed: any bytes end in a list of releases or an UpdateFailure,
// and what is kept from a hostile feed is safe to use: absolute http(s) links only, signatures
// of the right size, versions that compare equal to themselves. The choice of an update from
// the list runs too.
#include "OndrelUI/update/AppVersion.h"
#include "OndrelUI/update/AppcastParser.h"
#include "OndrelUI/update/UpdateChoice.h"
#include "OndrelUI/update/UpdateFailure.h"

#include <QGuiApplication>

#include <cstddef>
#include <cstdint>

namespace {

bool safeLink(const QUrl& url) {
    return url.isEmpty() ||
           (url.isValid() && (url.scheme() == u"https" || url.scheme() == u"http"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Release notes go through QTextDocument, which wants a GUI application.
    static int argc = 1;
    static char name[] = "update-feed-fuzzer";
    static char* argv[] = {name, nullptr};
    [[maybe_unused]] static const bool offscreen = qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication application(argc, argv);
    const QByteArray xml(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        const auto items =
            AppcastParser::parse(xml, QUrl(QStringLiteral("https://updates.example/appcast.xml")));
        for (const AppcastItem& item : items) {
            if (!safeLink(item.releaseNotesLink) || !safeLink(item.enclosure.url) ||
                (!item.enclosure.edSignature.isEmpty() && item.enclosure.edSignature.size() != 64))
                __builtin_trap();
            if (const auto version = AppVersion::parse(item.version);
                version && !(*version == *version))
                __builtin_trap();
        }
        UpdateChoice::newest(items, *AppVersion::parse(QStringLiteral("0.1.0")),
                             QStringLiteral("12"));
    } catch (const UpdateFailure&) {
    }
    return 0;
}
