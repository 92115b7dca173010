#pragma once

#include "OndrelUI/update/AppcastItem.h"
#include "OndrelUI/update/UpdaterSettings.h"

#include <QFutureWatcher>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QTemporaryFile>
#include <QTimer>
#include <QtQml/qqmlregistration.h>

#include <memory>
#include <optional>

class UpdateDownload;
class UpdateState;

// Checks the update feed and installs what it offers. A silent check runs shortly after
// construction and then every day; it changes nothing but UpdateState. checkForUpdates() is
// the user's check: it asks for the update dialog, whose screens follow `state`. A found
// update is downloaded into the download folder, verified (length, then signature under the
// built-in key) and only then handed to the system; a package that fails is deleted.
// Everything happens on the GUI thread except the signature check, which runs on a worker.
class AppUpdater : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Created by the application at launch")
    Q_PROPERTY(State state READ state NOTIFY stateChanged)
    // The update the dialog offers: its version for people, its notes and a notes page.
    Q_PROPERTY(QString version READ version NOTIFY updateChanged)
    Q_PROPERTY(QString notes READ notes NOTIFY updateChanged)
    Q_PROPERTY(QString notesLink READ notesLink NOTIFY updateChanged)
    // Share of the package downloaded, 0 to 1.
    Q_PROPERTY(double progress READ progress NOTIFY progressChanged)
    Q_PROPERTY(QString errorText READ errorText NOTIFY errorTextChanged)
    // The verified package handed to the system.
    Q_PROPERTY(QString packagePath READ packagePath NOTIFY packagePathChanged)

public:
    enum class State {
        Idle,
        Checking,
        UpToDate,
        UpdateFound,
        Downloading,
        Verifying,
        HandedOver,
        Failed,
    };
    Q_ENUM(State)

    AppUpdater(UpdateState* updateState, UpdaterSettings settings, QObject* parent = nullptr);
    ~AppUpdater() override;

    State state() const { return m_state; }
    QString version() const { return m_update ? m_update->displayVersion() : QString(); }
    QString notes() const { return m_update ? m_update->description : QString(); }
    QString notesLink() const {
        return m_update ? m_update->releaseNotesLink.toString() : QString();
    }
    double progress() const { return m_progress; }
    const QString& errorText() const { return m_errorText; }
    const QString& packagePath() const { return m_packagePath; }

    // The user-initiated check; the dialog opens. During a download it only shows the dialog.
    Q_INVOKABLE void checkForUpdates();
    // Downloads, verifies and hands over the found update.
    Q_INVOKABLE void downloadAndInstall();
    // Stops the download and deletes what arrived; the found update stays on offer.
    Q_INVOKABLE void cancelDownload();
    // The dialog was closed without a choice. A download keeps going.
    Q_INVOKABLE void dismiss();

Q_SIGNALS:
    void dialogRequested();
    void stateChanged();
    void updateChanged();
    void progressChanged();
    void errorTextChanged();
    void packagePathChanged();

private:
    void silentCheck();
    void startCheck();
    void finishCheck();
    std::optional<AppcastItem> readFeed() const;
    void finishDownload();
    void finishVerification();
    void handOver(const QString& path);
    void refuse(const QString& reason);
    bool busyInstalling() const;

    void setState(State state);
    void setProgress(double progress);
    void fail(const QString& reason);

    UpdateState* m_updateState;
    UpdaterSettings m_settings;
    std::optional<QByteArray> m_publicKey;
    QNetworkAccessManager m_network;
    QTimer m_schedule;

    State m_state = State::Idle;
    std::optional<AppcastItem> m_update;
    double m_progress = 0;
    QString m_errorText;
    QString m_packagePath;

    // The feed being read, and whether its outcome is shown in the dialog.
    QPointer<UpdateDownload> m_feedFetch;
    QByteArray m_feed;
    bool m_checkShown = false;
    // The package being downloaded or verified.
    QPointer<UpdateDownload> m_packageFetch;
    std::unique_ptr<QTemporaryFile> m_package;
    QFutureWatcher<std::optional<QString>> m_verification;
};
