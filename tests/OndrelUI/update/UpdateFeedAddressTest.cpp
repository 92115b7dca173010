#include "OndrelUI/update/UpdateFeedAddress.h"

#include <gtest/gtest.h>

namespace {

// The feed follows a service named at launch only while the build left it at the build's
// service; a feed named in the environment must be as safe as a service address.
TEST(UpdateFeedAddress, FollowsTheServiceUnlessAFeedWasNamed) {
    const UpdateFeedAddress::Build following{"http://127.0.0.1:8765",
                                             "http://127.0.0.1:8765/appcast.xml"};
    const UpdateFeedAddress::Build pinned{"http://127.0.0.1:8765", "https://up.example/a.xml"};
    const QUrl built(QStringLiteral("http://127.0.0.1:8765"));
    const QUrl other(QStringLiteral("https://tasks.example.org:8443/api"));
    const struct {
        QUrl service;
        UpdateFeedAddress::Build build;
        std::optional<QString> environment;
        QString feed; // empty: refused
    } cases[] = {
        {built, following, {}, "http://127.0.0.1:8765/appcast.xml"},
        {other, following, {}, "https://tasks.example.org:8443/appcast.xml"},
        {other, pinned, {}, "https://up.example/a.xml"},
        {other, following, "https://feed.example/a.xml?ch=beta",
         "https://feed.example/a.xml?ch=beta"},
        {other, following, "http://[::1]:9/appcast.xml", "http://[::1]:9/appcast.xml"},
        {other, following, "http://feed.example/appcast.xml", ""},
        {other, following, "appcast.xml", ""},
    };
    for (const auto& c : cases) {
        const ServiceURLResult result =
            UpdateFeedAddress::choose(c.service, c.build, c.environment);
        EXPECT_EQ(result.url.value_or(QUrl()).toString(), c.feed) << c.feed.toStdString();
        EXPECT_EQ(result.error.contains(QStringLiteral("ONDREL_UPDATE_FEED_URL")),
                  c.feed.isEmpty());
    }
}

} // namespace
