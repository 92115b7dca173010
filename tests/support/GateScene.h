#pragma once

#include "OndrelUI/recorder/AudioRecorder.h"
#include "OndrelUI/session/AppGate.h"
#include "OndrelUI/update/AppUpdater.h"
#include "OndrelUI/update/UpdateState.h"
#include "support/FakeTransport.h"
#include "support/ScreenHarness.h"

#include <QTemporaryDir>

#include <memory>

// The window's content as the application builds it, for the screens' tests and screenshots:
// the gate over a scripted transport with its settings in a temporary folder, a recorder fed by
// a synthetic tone, the update state and an updater that checks only when asked, all shown by a
// ScreenHarness. The browser opens and never calls back, so a sign-in stays pending until it is
// cancelled.
class GateScene {
public:
    // `signedIn`: a token pair is stored first, so the gate starts signed in. `file` is
    // AppGateView.qml or Main.qml, which also takes the updater.
    GateScene(std::shared_ptr<FakeTransport> transport, bool signedIn,
              const QString& file = QStringLiteral("AppGateView.qml"), QSize size = {640, 760});

    AppGate& gate() { return *m_gate; }
    AppViewModel* vm() { return m_gate->viewModel(); }
    ScreenHarness& screen() { return *m_screen; }
    FakeTransport& transport() { return *m_transport; }
    AudioRecorder& recorder() { return m_recorder; }
    UpdateState& updateState() { return m_updateState; }
    AppUpdater& updater() { return m_updater; }

private:
    std::shared_ptr<FakeTransport> m_transport;
    QTemporaryDir m_directory;
    AudioRecorder m_recorder;
    UpdateState m_updateState;
    AppUpdater m_updater;
    std::unique_ptr<AppGate> m_gate;
    std::unique_ptr<ScreenHarness> m_screen;
};
