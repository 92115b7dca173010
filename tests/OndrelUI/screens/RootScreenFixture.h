#pragma once

#include "OndrelUI/recorder/AudioRecorder.h"
#include "OndrelUI/update/AppUpdater.h"
#include "OndrelUI/update/UpdateState.h"
#include "OndrelUI/viewmodels/AppViewModel.h"
#include "TaskFactory.h"
#include "ViewModelFixture.h"
#include "support/QtPrinters.h"
#include "support/ScreenHarness.h"
#include "support/SyntheticPcmSource.h"
#include "support/WaitUntil.h"

#include <memory>

// The root screen over a signed-in view model whose service is scripted, with a recorder fed by
// a synthetic tone. Every test ends by requiring a run free of QML warnings.
class RootScreenFixture : public ViewModelFixture {
protected:
    void TearDown() override {
        if (screen) {
            EXPECT_EQ(screen->warnings(), QStringList());
        }
    }

    // Shows the screen once it has loaded `folders`, then `tasks` of the first folder.
    void open(const QList<Folder>& folders, const QList<TaskItem>& tasks) {
        answer(folders, tasks);
        screen = std::make_unique<ScreenHarness>(
            QStringLiteral("RootView.qml"),
            QVariantMap{{"viewModel", QVariant::fromValue(&vm)},
                        {"recorder", QVariant::fromValue(&recorder)},
                        {"updateState", QVariant::fromValue(&updateState)}});
        EXPECT_EQ(sent(2).size(), 2);
        EXPECT_TRUE(waitUntil([&] { return vm.taskCount() == tasks.size(); }));
        screen->settle();
    }

    // The requests sent since the last look, once there are `count` of them (or after a while).
    QStringList sent(qsizetype count) {
        QStringList requests;
        waitUntil([&] { return (requests += newRequests()).size() >= count; });
        screen->settle();
        return requests;
    }

    QQuickItem* item(const char* objectName) const { return screen->item(objectName); }
    bool shown(const char* objectName) const { return screen->find(objectName) != nullptr; }
    bool showsText(const QString& text) const { return screen->itemWithText(text) != nullptr; }
    QString text(const char* objectName, const char* property = "text") const {
        return item(objectName)->property(property).toString();
    }
    void clickText(const QString& text) { screen->click(screen->itemWithText(text)); }

    AppViewModel vm{&session};
    std::unique_ptr<SyntheticPcmSource> ownTone = std::make_unique<SyntheticPcmSource>();
    SyntheticPcmSource* tone = ownTone.get(); // the recorder's
    AudioRecorder recorder{std::move(ownTone)};
    UpdateState updateState;
    std::unique_ptr<ScreenHarness> screen;
};
