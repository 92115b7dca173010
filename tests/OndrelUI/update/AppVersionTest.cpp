#include "OndrelUI/update/AppVersion.h"

#include <gtest/gtest.h>

namespace {

AppVersion version(const char* text) {
    const std::optional<AppVersion> parsed = AppVersion::parse(QString::fromLatin1(text));
    EXPECT_TRUE(parsed.has_value()) << text;
    return parsed.value_or(*AppVersion::parse(QStringLiteral("0")));
}

TEST(AppVersion, ComparesComponentsAsNumbersAndPutsPrereleasesFirst) {
    const std::pair<const char*, const char*> ascending[] = {
        {"1.9", "1.10"},
        {"1.0", "1.0.1"},
        {"1.9.9", "2"},
        {"1.0-beta", "1.0"},
        {"1.0b1", "1.0"},
        {"1.0~rc1", "1.0"},
        {"0.9", "1.0-alpha"},
        {"1.0-alpha", "1.0-beta"},
        {"1.0-beta.2", "1.0-beta.10"},
        {"1.0-beta", "1.0-beta.1"},
        {"1.0-rc.1", "1.0-rc.x"},
        {"1.0", "1.0.1-rc1"},
    };
    for (const auto& [lower, higher] : ascending) {
        EXPECT_LT(version(lower), version(higher)) << lower << " < " << higher;
        EXPECT_GT(version(higher), version(lower)) << higher << " > " << lower;
    }
    const std::pair<const char*, const char*> equal[] = {
        {"1.0", "1.0.0"}, {"007", "7"}, {"1.0-rc1", "1.0-rc.1"}};
    for (const auto& [a, b] : equal)
        EXPECT_EQ(version(a), version(b)) << a << " == " << b;
}

TEST(AppVersion, RefusesWhatIsNotAVersion) {
    for (const char* text : {"", "v1.0", "1..2", "1.", ".1", "1.0-", "1 .0", "1.0 ", "-1",
                             "1.0-beta!", "1234567890123456789", "1.0-rc12345678901234567890"})
        EXPECT_FALSE(AppVersion::parse(QString::fromLatin1(text))) << '"' << text << '"';
}

} // namespace
