#include "OndrelUI/desktop/LoginAutostart.h"
#include "support/Files.h"

#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(LoginAutostartTest, WritesAnEntryThatStartsHiddenAndRemovesIt) {
    QTemporaryDir config;
    LoginAutostart autostart(config.path(), QStringLiteral("org.ondrel.Ondrel"),
                             QStringLiteral("/opt/my apps/50%/ondrel\"$"));
    QSignalSpy changed(&autostart, &LoginAutostart::enabledChanged);
    EXPECT_FALSE(autostart.enabled());

    autostart.setEnabled(true);
    EXPECT_TRUE(autostart.enabled());
    const QString entry = config.filePath(QStringLiteral("autostart/org.ondrel.Ondrel.desktop"));
    const QByteArray text = readFile(entry);
    EXPECT_TRUE(text.startsWith("[Desktop Entry]\n")) << text.toStdString();
    // Quoted for the space, the quote and the dollar (each escape doubled by the file's own
    // escaping), and the percent sign doubled for the field codes.
    EXPECT_TRUE(text.contains("\nExec=\"/opt/my apps/50%%/ondrel\\\\\"\\\\$\" --hidden\n"))
        << text.toStdString();
    EXPECT_TRUE(text.contains("\nType=Application\n"));

    autostart.setEnabled(true); // already on: nothing to do
    autostart.setEnabled(false);
    EXPECT_FALSE(autostart.enabled());
    EXPECT_FALSE(QFile::exists(entry));
    EXPECT_EQ(changed.size(), 2);
}

} // namespace
