#include "UpdaterFixture.h"

#include "support/QtPrinters.h"

#include <QFile>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QTest>
#include <QtQml/QQmlExtensionPlugin>
#include <QtQuickTest/quicktest.h>

Q_IMPORT_QML_PLUGIN(Ondrel_UIPlugin)

namespace {

using State = AppUpdater::State;

// The real dialog in a window, as the application window holds it, clicked like a user would.
class UpdateDialogTest : public UpdaterFixture {
protected:
    void show(AppUpdater& updater) {
        QFile host(folder.filePath(QStringLiteral("Host.qml")));
        ASSERT_TRUE(host.open(QIODevice::WriteOnly));
        host.write("import QtQuick\nimport Ondrel.UI\n"
                   "Item { id: host; required property AppUpdater updater\n"
                   "    UpdateDialog { objectName: 'dialog'; updater: host.updater } }\n");
        host.close();
        view.setInitialProperties({{QStringLiteral("updater"), QVariant::fromValue(&updater)}});
        view.setResizeMode(QQuickView::SizeRootObjectToView);
        view.resize(640, 480);
        // Qt 6.4 does not look for modules in the resources by itself.
        view.engine()->addImportPath(QStringLiteral("qrc:/"));
        view.setSource(QUrl::fromLocalFile(host.fileName()));
        ASSERT_TRUE(view.errors().isEmpty()) << view.errors().first().toString().toStdString();
        view.show();
        dialog = view.rootObject()->findChild<QObject*>(QStringLiteral("dialog"));
        ASSERT_NE(dialog, nullptr);
    }

    QQuickItem* control(const char* name) {
        auto* item = dialog->findChild<QQuickItem*>(QString::fromLatin1(name));
        EXPECT_NE(item, nullptr) << name;
        return item;
    }
    QString status() { return control("statusText")->property("text").toString(); }
    bool shows(const char* name) { return control(name)->isVisible(); }
    bool open() { return dialog->property("visible").toBool(); }

    void click(const char* name) {
        QQuickItem* button = control(name);
        ASSERT_TRUE(button->isVisible()) << name;
        // A button that just appeared has its place once the layouts have been polished.
        ASSERT_TRUE(QQuickTest::qWaitForPolish(&view));
        const QPointF centre = button->mapToScene(button->boundingRect().center());
        QTest::mouseClick(&view, Qt::LeftButton, {}, centre.toPoint());
    }

    QTemporaryDir folder;
    QQuickView view;
    QObject* dialog = nullptr;
};

TEST_F(UpdateDialogTest, AUserCheckOpensTheDialogAndFollowsItToTheHandOver) {
    offer(QByteArray(200 * 1024, 'p'));
    AppUpdater& updater = makeUpdater();
    show(updater);
    EXPECT_FALSE(open());

    updater.checkForUpdates();
    EXPECT_TRUE(open());
    EXPECT_EQ(status(), QStringLiteral("Проверяю обновления…"));
    EXPECT_TRUE(shows("busyIndicator"));
    ASSERT_TRUE(reaches(State::UpdateFound));
    EXPECT_EQ(status(), QStringLiteral("Доступна новая версия: 1.1"));
    EXPECT_EQ(control("notesText")->property("text").toString(),
              QStringLiteral("Быстрее синхронизация"));
    EXPECT_FALSE(shows("notesLinkButton"));
    EXPECT_FALSE(shows("closeButton"));

    click("laterButton");
    ASSERT_TRUE(waitUntil([&] { return !open(); }));
    EXPECT_EQ(updater.state(), State::Idle);
    EXPECT_TRUE(state.available());

    updater.checkForUpdates();
    ASSERT_TRUE(reaches(State::UpdateFound));
    ASSERT_TRUE(waitUntil([&] { return open(); }));
    click("installButton");
    ASSERT_TRUE(reaches(State::HandedOver)) << updater.errorText().toStdString();
    EXPECT_EQ(status(), QStringLiteral("Пакет проверен и передан системе для установки"));
    EXPECT_EQ(control("packagePath")->property("text").toString(), updater.packagePath());
    EXPECT_EQ(opened.size(), 1);
    click("closeButton");
    ASSERT_TRUE(waitUntil([&] { return !open(); }));
}

TEST_F(UpdateDialogTest, ShowsTheLatestVersionAndFailuresWithTheirReason) {
    offerNothingNew();
    AppUpdater& updater = makeUpdater();
    show(updater);
    updater.checkForUpdates();
    ASSERT_TRUE(reaches(State::UpToDate));
    ASSERT_TRUE(waitUntil([&] { return open(); }));
    EXPECT_EQ(status(), QStringLiteral("Установлена последняя версия"));
    EXPECT_FALSE(shows("installButton"));
    EXPECT_TRUE(shows("closeButton"));

    server.feed = "<html/>";
    updater.checkForUpdates();
    ASSERT_TRUE(reaches(State::Failed));
    EXPECT_EQ(status(), updater.errorText());
    EXPECT_FALSE(status().isEmpty());
    QTest::keyClick(&view, Qt::Key_Escape);
    ASSERT_TRUE(waitUntil([&] { return !open(); }));
    EXPECT_EQ(updater.state(), State::Idle);
}

TEST_F(UpdateDialogTest, TheDownloadShowsProgressAndCanBeCancelled) {
    offer(QByteArray(32 * 1024 * 1024, 'p'));
    AppUpdater& updater = makeUpdater();
    show(updater);
    updater.checkForUpdates();
    ASSERT_TRUE(reaches(State::UpdateFound));
    ASSERT_TRUE(waitUntil([&] { return open(); }));
    click("installButton");
    ASSERT_EQ(updater.state(), State::Downloading);
    EXPECT_TRUE(shows("progressBar"));
    EXPECT_FALSE(shows("closeButton"));
    QTest::keyClick(&view, Qt::Key_Escape);
    EXPECT_TRUE(open());
    click("cancelButton");
    ASSERT_TRUE(reaches(State::UpdateFound));
    EXPECT_TRUE(shows("installButton"));
    EXPECT_EQ(downloadedFiles(), QStringList());
}

} // namespace
