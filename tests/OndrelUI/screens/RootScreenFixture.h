#pragma once

#include "OndrelUI/recorder/AudioRecorder.h"
#include "OndrelUI/update/UpdateState.h"
#include "OndrelUI/viewmodels/AppViewModel.h"
#include "support/ScreenHarness.h"
#include "TaskFactory.h"
#include "ViewModelFixture.h"
#include "support/SyntheticPcmSource.h"
#include "support/WaitUntil.h"

#include <QJSValue>
#include <QQmlEngine>

#include <memory>

// Counts the calls of the screen's update action.
class CallCounter : public QObject {
    Q_OBJECT

public:
    Q_INVOKABLE void count() { ++calls; }
    int calls = 0;
};

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
            screen->root()->setProperty("checkUpdates", QVariant::fromValue(checkUpdates()));
        EXPECT_TRUE(waitUntil(
            [&] { return transport->requests().size() == 2 && vm.taskCount() == tasks.size(); }));
        screen->settle();
        newRequests();
    }

    // A function for the screen's update action that counts its calls.
    QJSValue checkUpdates() {
        QJSEngine::setObjectOwnership(&updateChecks, QJSEngine::CppOwnership);
        return screen->engine().newQObject(&updateChecks).property(QStringLiteral("count"));
    }

    bool shown(const char* objectName) const { return screen->item(objectName) != nullptr; }
    bool showsText(const QString& text) const { return screen->itemWithText(text) != nullptr; }

    AppViewModel vm{&session};
    AudioRecorder recorder{std::make_unique<SyntheticPcmSource>()};
    UpdateState updateState;
    std::unique_ptr<ScreenHarness> screen;
    CallCounter updateChecks;
};
