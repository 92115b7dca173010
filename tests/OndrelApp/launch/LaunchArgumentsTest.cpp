#include "support/QtPrinters.h"

#include "OndrelApp/launch/LaunchArguments.h"

#include <gtest/gtest.h>

#include <stdexcept>

// One URL or one action, carried to the running instance as one line and back. A refusal never
// repeats the argument, which may hold tokens.
TEST(LaunchArguments, TakesOneURLOrActionAndHandsItOverAsALine) {
    const auto parse = [](QStringList arguments) {
        arguments.prepend(QStringLiteral("ondrel"));
        return LaunchArguments::parse(arguments);
    };
    const std::pair<QStringList, QString> cases[] = {
        {{}, QString()},
        {{QStringLiteral("ondrel://auth?access=a b\n&refresh=я")},
         QStringLiteral("ondrel://auth?access=a%20b%0A&refresh=%D1%8F")},
        {{QStringLiteral("--record")}, QStringLiteral("--record")},
        {{QStringLiteral("--write"), QStringLiteral("--dbus-activated")},
         QStringLiteral("--write")},
    };
    for (const auto& [arguments, message] : cases) {
        const LaunchArguments launch = parse(arguments);
        EXPECT_EQ(launch.message(), message);
        const LaunchArguments handedOver = LaunchArguments::fromMessage(message);
        EXPECT_EQ(handedOver.url, launch.url);
        EXPECT_EQ(handedOver.action, launch.action);
    }
    for (const QStringList& refused :
         {QStringList{QStringLiteral("ondrel://a"), QStringLiteral("ondrel://b")},
          QStringList{QStringLiteral("--write"), QStringLiteral("ondrel://a")},
          QStringList{QStringLiteral("no scheme SECRET")},
          QStringList{QStringLiteral("--SECRET")}}) {
        try {
            parse(refused);
            ADD_FAILURE() << refused.join(' ').toStdString();
        } catch (const std::invalid_argument& error) {
            EXPECT_FALSE(std::string(error.what()).find("SECRET") != std::string::npos);
        }
    }
}
