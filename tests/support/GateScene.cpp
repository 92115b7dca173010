#include "support/GateScene.h"

#include "OndrelUI/session/AuthSession.h"
#include "support/SyntheticPcmSource.h"

#include <QSettings>

namespace {

UpdaterSettings checkOnlyWhenAsked() {
    UpdaterSettings settings;
    settings.firstCheckDelay = std::nullopt;
    return settings;
}

} // namespace

GateScene::GateScene(std::shared_ptr<FakeTransport> transport, bool signedIn, const QString& file,
                     QSize size)
    : m_transport(std::move(transport)),
      m_recorder(std::make_unique<SyntheticPcmSource>(
          SyntheticPcmSource::Tone{220, SyntheticPcmSource::sineAmplitudeForRms(-12)})),
      m_updater(&m_updateState, checkOnlyWhenAsked()) {
    const QString settingsFile = m_directory.filePath(QStringLiteral("ondrel.ini"));
    if (signedIn)
        QSettings(settingsFile, QSettings::IniFormat)
            .setValue(QString::fromLatin1(AuthSession::storeKey),
                      QVariantMap{{"access", "a1"}, {"refresh", "r1"}});
    m_gate =
        std::make_unique<AppGate>(QUrl(QStringLiteral("https://service.test")), m_transport,
                                  std::make_unique<QSettings>(settingsFile, QSettings::IniFormat),
                                  [](const QUrl&) { return true; });
    QVariantMap inputs{{"gate", QVariant::fromValue(m_gate.get())},
                       {"recorder", QVariant::fromValue(&m_recorder)},
                       {"updateState", QVariant::fromValue(&m_updateState)}};
    if (file == u"Main.qml")
        inputs.insert(QStringLiteral("updater"), QVariant::fromValue(&m_updater));
    m_screen = std::make_unique<ScreenHarness>(file, inputs, size);
}
