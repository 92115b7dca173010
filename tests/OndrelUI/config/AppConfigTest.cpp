#include "OndrelUI/config/AppConfig.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

TEST(AppConfig, Description_preview_flattens_trims_and_cuts_by_characters) {
    const QString ellipsis = QString(QChar(0x2026));
    const QString family = QString::fromUtf8("👨‍👩‍👧"); // joined with ZWJ
    const QString accented = QString::fromUtf8("е\u0301");          // combining accent
    const QString ya = QStringLiteral("я");
    const struct {
        std::optional<QString> text;
        int limit;
        std::optional<QString> expected;
    } cases[] = {
        {std::nullopt, 100, std::nullopt},
        {QStringLiteral("  \n\r\n\t "), 100, std::nullopt},
        {QStringLiteral("  купить\nмолоко  "), 100, QStringLiteral("купить молоко")},
        {QStringLiteral("a\r\nb"), 100, QStringLiteral("a  b")},
        {ya.repeated(100), 100, ya.repeated(100)},
        {ya.repeated(101), 100, ya.repeated(100) + ellipsis},
        {QStringLiteral("abc\u00a0\u2003defgh"), 5, QStringLiteral("abc") + ellipsis},
        {ya.repeated(500), 0, ya.repeated(500)},
        {family + family, 1, family + ellipsis},
        {accented.repeated(3), 2, accented.repeated(2) + ellipsis},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AppConfig::descriptionPreview(c.text, c.limit), c.expected)
            << c.text.value_or("(none)").toStdString() << " / " << c.limit;
}

// http only to this machine: anywhere else the tokens would travel in clear text.
TEST(AppConfig, Service_url_is_absolute_https_or_local_http_without_trailing_slash) {
    const auto check = [](const char* text, bool accepted) {
        const ServiceURLResult result =
            AppConfig::parseServiceURL(QString::fromUtf8(text), QStringLiteral("тест"));
        EXPECT_EQ(result.url.has_value(), accepted) << text;
        EXPECT_EQ(result.error.isEmpty(), accepted) << result.error.toStdString();
        if (accepted)
            EXPECT_EQ(result.url->toString(), QString::fromUtf8(text));
        else
            EXPECT_TRUE(result.error.contains(QString::fromUtf8(text))) << text;
    };
    for (const char* text :
         {"https://tasks.example.org", "http://127.0.0.1:8765", "http://localhost:8765",
          "http://[::1]:8765", "https://example.org/api"})
        check(text, true);
    for (const char* text :
         {"http://10.0.0.1:8765", "http://127.0.0.1.example.org", "http://localhost.example.org",
          "https://example.org/", "", "example.org", "ftp://example.org", "https://example.org?x=1",
          " https://example.org", "http://example.org:99999"})
        check(text, false);
}

// Without ONDREL_SERVICE_URL the built-in URL; with it, the variable's URL or a refusal naming it.
TEST(AppConfig, Service_url_variable_overrides_the_built_in_one) {
    constexpr auto name = "ONDREL_SERVICE_URL";
    const std::optional<QByteArray> previous =
        qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt;
    qunsetenv(name);
    EXPECT_EQ(AppConfig::serviceURL().url, QUrl(AppConfig::builtInServiceURL()));
    qputenv(name, "https://override.example.org:9443");
    EXPECT_EQ(AppConfig::serviceURL().url, QUrl("https://override.example.org:9443"));
    qputenv(name, "https://example.org/");
    const ServiceURLResult refused = AppConfig::serviceURL();
    EXPECT_FALSE(refused.url);
    EXPECT_TRUE(refused.error.contains(QLatin1StringView(name))) << refused.error.toStdString();
    previous ? qputenv(name, *previous) : qunsetenv(name);
}

} // namespace
