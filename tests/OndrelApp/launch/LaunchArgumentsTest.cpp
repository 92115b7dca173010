#include "support/QtPrinters.h"

#include "OndrelApp/launch/LaunchArguments.h"

#include <gtest/gtest.h>

#include <stdexcept>

TEST(LaunchArguments, TakesAtMostOneURLAndEncodesIt) {
    const auto urlOf = [](QStringList arguments) {
        arguments.prepend(QStringLiteral("ondrel"));
        return LaunchArguments::parse(arguments).url;
    };
    EXPECT_EQ(urlOf({}), QString());
    EXPECT_EQ(urlOf({QStringLiteral("ondrel://auth?access=a b\n&refresh=я")}),
              QStringLiteral("ondrel://auth?access=a%20b%0A&refresh=%D1%8F"));
    EXPECT_THROW(urlOf({QStringLiteral("ondrel://a"), QStringLiteral("ondrel://b")}),
                 std::invalid_argument);
    EXPECT_THROW(urlOf({QStringLiteral("no scheme")}), std::invalid_argument);
}
