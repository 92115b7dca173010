#pragma once

#include "OndrelUI/recorder/AudioRecorder.h"
#include "OndrelUI/update/AppUpdater.h"
#include "OndrelUI/update/UpdateState.h"
#include "OndrelUI/viewmodels/AppViewModel.h"
#include "TaskFactory.h"
#include "ViewModelFixture.h"
#include "support/ScreenHarness.h"
#include "support/SyntheticPcmSource.h"
#include "support/WaitUntil.h"

#include <memory>

// The root screen over a signed-in view model whose service is scripted, with a recorder fed by
// a synthetic tone.
class RootScreenFixture : public ViewModelFixture {
protected:
    // Shows the screen; it loads `folders`, then `tasks` of the first folder.
    void open(const QList<Folder>& folders, const QList<TaskItem>& tasks,
              bool withUpdateAction = true) {
        answer(folders, tasks);
        screen = std::make_unique<ScreenHarness>(
            QStringLiteral("RootView.qml"),
            QVariantMap{{"viewModel", QVariant::fromValue(&vm)},
                        {"recorder", QVariant::fromValue(&recorder)},
                        {"updateState", QVariant::fromValue(&updateState)}});
        if (withUpdateAction)
            screen->root()->setProperty("updater", QVariant::fromValue(&updater));
        EXPECT_TRUE(waitUntil(
            [&] { return transport->requests().size() == 2 && vm.taskCount() == tasks.size(); }));
        screen->settle();
        newRequests();
    }

    static UpdaterSettings checkOnlyWhenAsked() {
        UpdaterSettings settings;
        settings.firstCheckDelay = std::nullopt;
        return settings;
    }

    // An item or a popup (a sheet, a dialog) with that name is on screen.
    bool shown(const char* objectName) const { return screen->find(objectName) != nullptr; }
    bool showsText(const QString& text) const { return screen->itemWithText(text) != nullptr; }

    AppViewModel vm{&session};
    AudioRecorder recorder{std::make_unique<SyntheticPcmSource>()};
    UpdateState updateState;
    // Checks only when asked, against no feed: each check opens the dialog and fails.
    AppUpdater updater{&updateState, checkOnlyWhenAsked()};
    std::unique_ptr<ScreenHarness> screen;
};
