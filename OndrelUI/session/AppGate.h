#pragma once

#include "OndrelUI/session/YandexLogin.h"
#include "OndrelUI/viewmodels/AppViewModel.h"

#include <QCoroTask>
#include <QObject>
#include <QSettings>
#include <QString>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

#include <memory>
#include <optional>

class AuthSession;
class HTTPTransport;
class TokenStore;

// What the gate screen shows and does, without the drawing: the session and whether it is signed
// in, the browser sign-in with its progress, address and last failure, the main screen's view
// model, which exists exactly while the session is signed in, and signing out.
class AppGate : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Created at start-up with the service's base URL")

    // False while the stored sign-in is still being read: neither screen is decided yet.
    Q_PROPERTY(bool ready READ ready NOTIFY readyChanged)
    Q_PROPERTY(bool isAuthed READ isAuthed NOTIFY isAuthedChanged)
    Q_PROPERTY(bool busy READ busy NOTIFY busyChanged)
    // Empty: no failure yet.
    Q_PROPERTY(QString errorText READ errorText NOTIFY errorTextChanged)
    // The address the pending sign-in opened in the browser; empty while none is pending.
    Q_PROPERTY(QString signInAddress READ signInAddress NOTIFY busyChanged)
    // The keyring refused the sign-in, so the settings file keeps it; until dismissed.
    Q_PROPERTY(bool keyringRefused READ keyringRefused NOTIFY keyringRefusedChanged)
    // Null while signed out; one view model (no transcriber) kept for as long as the session
    // stays signed in.
    Q_PROPERTY(AppViewModel* viewModel READ viewModel NOTIFY viewModelChanged)

public:
    // The application's gate: a NetworkTransport, the sign-in in the desktop's keyring (else in
    // the per-user settings), the system browser.
    explicit AppGate(QUrl baseURL, QObject* parent = nullptr);
    // The sign-in kept in `settings` alone.
    AppGate(QUrl baseURL, std::shared_ptr<HTTPTransport> transport,
            std::unique_ptr<QSettings> settings, YandexLogin::Browser browser,
            QObject* parent = nullptr);
    // Where the sign-in is kept at rest.
    enum class Storage { settingsFile, keyring };
    AppGate(QUrl baseURL, std::shared_ptr<HTTPTransport> transport,
            std::unique_ptr<QSettings> settings, Storage storage, YandexLogin::Browser browser,
            QObject* parent = nullptr);
    ~AppGate() override;

    bool ready() const { return m_ready; }
    bool isAuthed() const { return m_authed; }
    bool busy() const { return m_busy; }
    QString errorText() const { return m_errorText; }
    QString signInAddress() const;
    bool keyringRefused() const { return m_keyringRefused; }
    AppViewModel* viewModel() const { return m_viewModel.get(); }
    AuthSession* session() const { return m_session.get(); }
    YandexLogin* login() const { return m_login; }

    // Starts a sign-in unless one is running; it ends signed in or with errorText set.
    Q_INVOKABLE void signIn();
    // Ends a pending sign-in with the cancellation error.
    Q_INVOKABLE void cancelSignIn();
    // A URL the desktop handed over; true when the pending sign-in took it.
    bool acceptCallback(const QString& url);
    // Forgets the sign-in here and at rest and shows the sign-in panel; then signedOut().
    Q_INVOKABLE void signOut();
    Q_INVOKABLE void dismissKeyringNotice();

Q_SIGNALS:
    void readyChanged();
    void isAuthedChanged();
    void busyChanged();
    void errorTextChanged();
    void viewModelChanged();
    void keyringRefusedChanged();
    // The user signed out: the session, its view model and its stored pair are gone. What else
    // is kept for that account (a local replica) goes now.
    void signedOut();

private:
    // `replicaPath`: where the signed-in user's replica and queue are kept; none keeps none.
    AppGate(QUrl baseURL, std::shared_ptr<HTTPTransport> transport,
            std::unique_ptr<QSettings> settings, Storage storage, YandexLogin::Browser browser,
            std::optional<QString> replicaPath, QObject* parent);

    QCoro::Task<void> restore();
    QCoro::Task<void> runSignIn();
    void followSession();
    void setBusy(bool busy);

    std::optional<QString> m_replicaPath;
    std::unique_ptr<QSettings> m_settings;
    std::unique_ptr<TokenStore> m_store;
    std::unique_ptr<AuthSession> m_session;
    std::unique_ptr<AppViewModel> m_viewModel;
    // A child: destroyed by ~QObject, after guards on this gate read null, so the sign-in it
    // ends on destruction finds the gate gone.
    YandexLogin* m_login;
    bool m_ready = false;
    bool m_authed = false;
    bool m_busy = false;
    bool m_keyringRefused = false;
    QString m_errorText;
};
