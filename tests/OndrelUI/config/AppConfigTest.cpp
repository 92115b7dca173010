#include "OndrelUI/config/AppConfig.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

QString repeated(const QString& piece, int times) {
    QString result;
    for (int i = 0; i < times; ++i)
        result += piece;
    return result;
}

TEST(AppConfig, Description_preview_flattens_trims_and_cuts_by_characters) {
    const QString ellipsis = QString(QChar(0x2026));
    const QString thumbs = QString::fromUtf8("👍🏽");           // emoji with a skin tone
    const QString flag = QString::fromUtf8("🇷🇺");                   // two regional indicators
    const QString family = QString::fromUtf8("👨‍👩‍👧"); // joined with ZWJ
    const QString accented = QString::fromUtf8("е\u0301");          // combining accent
    const QString ya = QStringLiteral("я");
    const struct {
        std::optional<QString> text;
        int limit;
        std::optional<QString> expected;
    } cases[] = {
        {std::nullopt, 100, std::nullopt},
        {QString(), 100, std::nullopt},
        {QStringLiteral("  \n\r\n\t "), 100, std::nullopt},
        {QStringLiteral("  купить\nмолоко  "), 100, QStringLiteral("купить молоко")},
        {QStringLiteral("a\r\nb"), 100, QStringLiteral("a  b")},
        {repeated(ya, 100), 100, repeated(ya, 100)},
        {repeated(ya, 101), 100, repeated(ya, 100) + ellipsis},
        {QStringLiteral("abc   defgh"), 5, QStringLiteral("abc") + ellipsis},
        {QStringLiteral("abc\u00a0\u2003defgh"), 5, QStringLiteral("abc") + ellipsis},
        {repeated(QStringLiteral("x"), 500), 0, repeated(QStringLiteral("x"), 500)},
        {QStringLiteral("a\nb"), -3, QStringLiteral("a b")},
        {repeated(thumbs, 3), 2, repeated(thumbs, 2) + ellipsis},
        {repeated(flag, 4), 3, repeated(flag, 3) + ellipsis},
        {family + family, 1, family + ellipsis},
        {repeated(accented, 3), 2, repeated(accented, 2) + ellipsis},
    };
    EXPECT_EQ(AppConfig::taskDescriptionPreviewLimit, 100);
    for (const auto& c : cases)
        EXPECT_EQ(AppConfig::descriptionPreview(c.text, c.limit), c.expected)
            << c.text.value_or("(none)").toStdString() << " / " << c.limit;
}

// http only to this machine: anywhere else the tokens would travel in clear text.
TEST(AppConfig, Service_url_is_absolute_https_or_local_http_without_trailing_slash) {
    const std::pair<const char*, bool> cases[] = {
        {"https://tasks.example.org", true},
        {"http://127.0.0.1:8765", true},
        {"http://localhost:8765", true},
        {"http://[::1]:8765", true},
        {"http://example.org", false},
        {"http://10.0.0.1:8765", false},
        {"http://127.0.0.1.example.org", false},
        {"http://localhost.example.org", false},
        {"https://example.org/api", true},
        {"https://example.org/", false},
        {"", false},
        {"example.org", false},
        {"ftp://example.org", false},
        {"https://example.org?x=1", false},
        {" https://example.org", false},
        {"http://example.org:99999", false},
    };
    for (const auto& [text, accepted] : cases) {
        const ServiceURLResult result =
            AppConfig::parseServiceURL(QString::fromUtf8(text), QStringLiteral("тест"));
        EXPECT_EQ(result.url.has_value(), accepted) << text;
        EXPECT_EQ(result.error.isEmpty(), accepted) << result.error.toStdString();
        if (accepted)
            EXPECT_EQ(result.url->toString(), QString::fromUtf8(text));
        else
            EXPECT_TRUE(result.error.contains(QString::fromUtf8(text))) << text;
    }
}

// Without ONDREL_SERVICE_URL the built-in URL; with it, the variable's URL or a refusal naming it.
TEST(AppConfig, Service_url_variable_overrides_the_built_in_one) {
    constexpr auto name = "ONDREL_SERVICE_URL";
    const std::optional<QByteArray> previous =
        qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt;
    qunsetenv(name);
    ServiceURLResult result = AppConfig::serviceURL();
    EXPECT_EQ(result.url, QUrl(AppConfig::builtInServiceURL())) << result.error.toStdString();
    qputenv(name, "https://override.example.org:9443");
    result = AppConfig::serviceURL();
    EXPECT_EQ(result.url, QUrl(QStringLiteral("https://override.example.org:9443")));
    for (const char* bad : {"https://example.org/", "", "localhost:8765"}) {
        qputenv(name, bad);
        result = AppConfig::serviceURL();
        EXPECT_FALSE(result.url) << bad;
        EXPECT_TRUE(result.error.contains(QLatin1StringView(name))) << result.error.toStdString();
    }
    if (previous)
        qputenv(name, *previous);
    else
        qunsetenv(name);
}

} // namespace
