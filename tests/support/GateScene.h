#pragma once

#include "OndrelUI/appearance/Appearance.h"
#include "OndrelUI/capture/CaptureRequests.h"
#include "OndrelUI/desktop/LoginAutostart.h"
#include "OndrelUI/recorder/AudioRecorder.h"
#include "OndrelUI/session/AppGate.h"
#include "OndrelUI/session/AuthSession.h"
#include "OndrelUI/update/AppUpdater.h"
#include "OndrelUI/update/UpdateState.h"
#include "support/FakeTransport.h"
#include "support/ScreenHarness.h"
#include "support/SyntheticPcmSource.h"

#include <QQmlComponent>
#include <QSettings>
#include <QTemporaryDir>

#include <memory>

// The window's content as the application builds it, for the screens' tests and screenshots:
// the gate over a transport that `answers`, with its settings in a temporary folder (holding a
// token pair when `signedIn`), a recorder fed by a tone, the update state and an updater that
// checks `updateFeed` only when asked, the capture requests, the start-at-login entry in the same
// folder, shown by a ScreenHarness from `file` (Main.qml or AppGateView.qml). The browser opens and
// never calls back, so a sign-in stays pending until it is cancelled.
class GateScene {
public:
    GateScene(bool signedIn, FakeTransport::Handler answers,
              const QString& file = QStringLiteral("Main.qml"), QSize size = {640, 760},
              AppGate::Storage storage = AppGate::Storage::settingsFile,
              const QUrl& updateFeed = {})
        : m_updater(&m_updateState, checkOnlyWhenAsked(updateFeed)) {
        m_transport->setHandler(std::move(answers));
        if (signedIn)
            QSettings(settingsFile(), QSettings::IniFormat)
                .setValue(QString::fromLatin1(AuthSession::storeKey),
                          QVariantMap{{"access", "a1"}, {"refresh", "r1"}});
        m_gate = std::make_unique<AppGate>(
            QUrl(QStringLiteral("https://service.test")), m_transport,
            std::make_unique<QSettings>(settingsFile(), QSettings::IniFormat), storage,
            [](const QUrl&) { return true; });
        m_appearance = std::make_unique<Appearance>(&m_appearanceSettings);
        QVariantMap properties{{"gate", QVariant::fromValue(m_gate.get())},
                               {"recorder", QVariant::fromValue(&m_recorder)},
                               {"updateState", QVariant::fromValue(&m_updateState)},
                               {"updater", QVariant::fromValue(&m_updater)},
                               {"capture", QVariant::fromValue(&m_capture)}};
        if (file == QStringLiteral("Main.qml")) {
            properties.insert(QStringLiteral("autostart"), QVariant::fromValue(&m_autostart));
            properties.insert(QStringLiteral("appearance"),
                              QVariant::fromValue(m_appearance.get()));
        }
        m_screen = std::make_unique<ScreenHarness>(file, properties, size);
    }

    // Draws every screen light or dark: the window's own choice, or the theme directly for a
    // screen shown without the window.
    void setDark(bool dark) {
        m_appearance->setChoice(dark ? Appearance::Dark : Appearance::Light);
        QQmlComponent setter(&m_screen->engine());
        setter.setData(QStringLiteral("import QtQml\nimport Ondrel.UI\nQtObject { "
                                      "Component.onCompleted: Theme.dark = %1 }\n")
                           .arg(dark ? QStringLiteral("true") : QStringLiteral("false"))
                           .toUtf8(),
                       QUrl(QStringLiteral("qrc:/Ondrel/UI/ThemeSetter.qml")));
        std::unique_ptr<QObject>(setter.create());
        m_screen->settle();
    }

    AppGate& gate() { return *m_gate; }
    AppViewModel* vm() { return m_gate->viewModel(); }
    ScreenHarness& screen() { return *m_screen; }
    FakeTransport& transport() { return *m_transport; }
    AudioRecorder& recorder() { return m_recorder; }
    SyntheticPcmSource& tone() { return *m_tone; }
    UpdateState& updateState() { return m_updateState; }
    AppUpdater& updater() { return m_updater; }
    // The token record as stored now; invalid when there is none.
    QVariant storedRecord() const {
        return QSettings(settingsFile(), QSettings::IniFormat)
            .value(QString::fromLatin1(AuthSession::storeKey));
    }
    CaptureRequests& capture() { return m_capture; }

private:
    QString settingsFile() const { return m_directory.filePath(QStringLiteral("ondrel.ini")); }
    static UpdaterSettings checkOnlyWhenAsked(const QUrl& feed) {
        UpdaterSettings settings;
        settings.feedUrl = feed;
        settings.firstCheckDelay = std::nullopt;
        return settings;
    }

    std::shared_ptr<FakeTransport> m_transport = std::make_shared<FakeTransport>();
    QTemporaryDir m_directory;
    std::unique_ptr<SyntheticPcmSource> m_ownTone = std::make_unique<SyntheticPcmSource>(
        SyntheticPcmSource::Tone{220, SyntheticPcmSource::sineAmplitudeForRms(-12)});
    SyntheticPcmSource* m_tone = m_ownTone.get(); // the recorder's
    AudioRecorder m_recorder{std::move(m_ownTone)};
    UpdateState m_updateState;
    AppUpdater m_updater;
    CaptureRequests m_capture;
    LoginAutostart m_autostart{m_directory.path(), QStringLiteral("ondrel"),
                               QStringLiteral("/usr/bin/ondrel")};
    QSettings m_appearanceSettings{m_directory.filePath(QStringLiteral("appearance.ini")),
                                   QSettings::IniFormat};
    std::unique_ptr<Appearance> m_appearance;
    std::unique_ptr<AppGate> m_gate;
    std::unique_ptr<ScreenHarness> m_screen;
};
