#include "OndrelUI/AppConfig.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

const QString ellipsis = QString(QChar(0x2026));

struct PreviewCase {
    const char* name;
    std::optional<QString> text;
    int limit;
    std::optional<QString> expected;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const PreviewCase& c, std::ostream* out) {
    *out << c.name;
}

QString repeated(const QString& piece, int times) {
    QString result;
    for (int i = 0; i < times; ++i)
        result += piece;
    return result;
}

class DescriptionPreview : public testing::TestWithParam<PreviewCase> {};

TEST_P(DescriptionPreview, Flattens_trims_and_cuts_by_characters) {
    const PreviewCase& c = GetParam();
    EXPECT_EQ(AppConfig::descriptionPreview(c.text, c.limit), c.expected);
}

const QString thumbs = QString::fromUtf8("👍🏽");           // emoji with a skin tone
const QString flag = QString::fromUtf8("🇷🇺");                   // two regional indicators
const QString family = QString::fromUtf8("👨‍👩‍👧"); // joined with ZWJ
const QString accented = QString::fromUtf8("е\u0301");          // letter with a combining accent

INSTANTIATE_TEST_SUITE_P(
    AppConfig, DescriptionPreview,
    testing::Values(
        PreviewCase{"absent", std::nullopt, 100, std::nullopt},
        PreviewCase{"empty", QString(), 100, std::nullopt},
        PreviewCase{"blank", QStringLiteral("  \n\r\n\t "), 100, std::nullopt},
        PreviewCase{"trimmed_one_line", QStringLiteral("  купить\nмолоко  "), 100,
                    QStringLiteral("купить молоко")},
        PreviewCase{"crlf_two_spaces", QStringLiteral("a\r\nb"), 100, QStringLiteral("a  b")},
        PreviewCase{"inner_spaces_kept", QStringLiteral("a   b"), 100, QStringLiteral("a   b")},
        PreviewCase{"exactly_limit", repeated(QStringLiteral("я"), 100), 100,
                    repeated(QStringLiteral("я"), 100)},
        PreviewCase{"one_over_limit", repeated(QStringLiteral("я"), 101), 100,
                    repeated(QStringLiteral("я"), 100) + ellipsis},
        PreviewCase{"spaces_before_cut_dropped", QStringLiteral("abc   defgh"), 5,
                    QStringLiteral("abc") + ellipsis},
        PreviewCase{"line_break_before_cut_dropped", QStringLiteral("abc\n\ndefgh"), 5,
                    QStringLiteral("abc") + ellipsis},
        PreviewCase{"no_break_space_dropped", QStringLiteral("abc\u00a0\u2003defgh"), 5,
                    QStringLiteral("abc") + ellipsis},
        PreviewCase{"zero_limit_whole", repeated(QStringLiteral("x"), 500), 0,
                    repeated(QStringLiteral("x"), 500)},
        PreviewCase{"negative_limit_whole", QStringLiteral("a\nb"), -3, QStringLiteral("a b")},
        PreviewCase{"skin_tone_is_one", repeated(thumbs, 3), 2, repeated(thumbs, 2) + ellipsis},
        PreviewCase{"skin_tone_fits", repeated(thumbs, 3), 3, repeated(thumbs, 3)},
        PreviewCase{"flag_is_one", repeated(flag, 4), 3, repeated(flag, 3) + ellipsis},
        PreviewCase{"zwj_family_is_one", family + family, 1, family + ellipsis},
        PreviewCase{"combining_mark_kept", repeated(accented, 3), 2,
                    repeated(accented, 2) + ellipsis}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AppConfig, Preview_limit_defaults_to_100) {
    EXPECT_EQ(AppConfig::taskDescriptionPreviewLimit, 100);
}

struct URLCase {
    const char* name;
    QString text;
    bool accepted;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const URLCase& c, std::ostream* out) {
    *out << c.name;
}

class ServiceURL : public testing::TestWithParam<URLCase> {};

TEST_P(ServiceURL, Accepts_only_absolute_http_urls_without_trailing_slash) {
    const URLCase& c = GetParam();
    const ServiceURLResult result = AppConfig::parseServiceURL(c.text, QStringLiteral("тест"));
    EXPECT_EQ(result.url.has_value(), c.accepted);
    EXPECT_EQ(result.error.isEmpty(), c.accepted) << result.error.toStdString();
    if (c.accepted)
        EXPECT_EQ(result.url->toString(), c.text);
    else
        EXPECT_TRUE(result.error.contains(c.text)) << result.error.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    AppConfig, ServiceURL,
    testing::Values(URLCase{"https_origin", QStringLiteral("https://tasks.example.org"), true},
                    URLCase{"http_with_port", QStringLiteral("http://127.0.0.1:8765"), true},
                    URLCase{"with_path", QStringLiteral("https://example.org/api"), true},
                    URLCase{"trailing_slash", QStringLiteral("https://example.org/"), false},
                    URLCase{"path_trailing_slash", QStringLiteral("https://example.org/api/"),
                            false},
                    URLCase{"empty", QString(), false},
                    URLCase{"relative", QStringLiteral("example.org"), false},
                    URLCase{"other_scheme", QStringLiteral("ftp://example.org"), false},
                    URLCase{"no_host", QStringLiteral("http://"), false},
                    URLCase{"query", QStringLiteral("https://example.org?x=1"), false},
                    URLCase{"fragment", QStringLiteral("https://example.org#top"), false},
                    URLCase{"surrounding_spaces", QStringLiteral(" https://example.org"), false},
                    URLCase{"bad_port", QStringLiteral("http://example.org:99999"), false}),
    [](const auto& info) { return std::string(info.param.name); });

// Restores ONDREL_SERVICE_URL as it was when the test started.
class ServiceURLEnvironment : public testing::Test {
protected:
    void SetUp() override {
        m_wasSet = qEnvironmentVariableIsSet(name);
        m_previous = qgetenv(name);
    }
    void TearDown() override {
        if (m_wasSet)
            qputenv(name, m_previous);
        else
            qunsetenv(name);
    }
    static constexpr auto name = "ONDREL_SERVICE_URL";

private:
    bool m_wasSet = false;
    QByteArray m_previous;
};

TEST_F(ServiceURLEnvironment, Built_in_url_is_used_without_the_variable) {
    qunsetenv(name);
    const ServiceURLResult result = AppConfig::serviceURL();
    ASSERT_TRUE(result.url) << result.error.toStdString();
    EXPECT_EQ(result.url->toString(), AppConfig::builtInServiceURL());
}

TEST_F(ServiceURLEnvironment, Variable_overrides_the_built_in_url) {
    qputenv(name, "https://override.example.org:9443");
    const ServiceURLResult result = AppConfig::serviceURL();
    ASSERT_TRUE(result.url) << result.error.toStdString();
    EXPECT_EQ(result.url->toString(), QStringLiteral("https://override.example.org:9443"));
}

TEST_F(ServiceURLEnvironment, Bad_variable_is_refused_and_named) {
    for (const char* bad : {"https://example.org/", "", "localhost:8765"}) {
        qputenv(name, bad);
        const ServiceURLResult result = AppConfig::serviceURL();
        EXPECT_FALSE(result.url) << bad;
        EXPECT_TRUE(result.error.contains(QLatin1StringView(name))) << result.error.toStdString();
    }
}

} // namespace
