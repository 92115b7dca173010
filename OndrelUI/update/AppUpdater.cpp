#include "OndrelUI/update/AppUpdater.h"

#include "OndrelUI/update/AppVersion.h"
#include "OndrelUI/update/AppcastParser.h"
#include "OndrelUI/update/FileErrorText.h"
#include "OndrelUI/update/PackageVerifier.h"
#include "OndrelUI/update/UpdateChoice.h"
#include "OndrelUI/update/UpdateDownload.h"
#include "OndrelUI/update/UpdateFailure.h"
#include "OndrelUI/update/UpdateState.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QtConcurrent/QtConcurrentRun>

#include <openssl/crypto.h>

namespace {

// A package may take as long as the user lets it, but not sit silent for long.
constexpr auto packageStallTimeout = std::chrono::seconds(60);
constexpr int maxNameAttempts = 100;

QString unwritablePackage() {
    return QStringLiteral("Не удалось записать пакет: %1");
}

// The package's name as the server gave it, reduced to characters that are safe in any file
// system and shell.
QString packageFileName(const QUrl& url) {
    static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9._+~-]"));
    QString name = url.fileName().replace(unsafe, QStringLiteral("_"));
    while (name.startsWith(u'.'))
        name.remove(0, 1);
    return name.isEmpty() ? QStringLiteral("ondrel-update") : name.left(120);
}

// "name.deb", then "name-2.deb", "name-3.deb"...: an existing file is never replaced.
QString candidateName(const QString& folder, const QString& name, int attempt) {
    if (attempt == 1)
        return QDir(folder).filePath(name);
    const qsizetype dot = name.lastIndexOf(u'.');
    const qsizetype stem = dot > 0 ? dot : name.size();
    return QDir(folder).filePath(name.left(stem) + u'-' + QString::number(attempt) +
                                 name.mid(stem));
}

// Runs on a pool thread that outlives the job, possibly past the end of main(): OpenSSL's
// per-thread state is freed here rather than left for a thread exit that may never come.
std::optional<QString> verifyPackage(const QString& path, qint64 length,
                                     const QByteArray& signature, const QByteArray& publicKey) {
    const auto releaseThreadState = qScopeGuard([] { OPENSSL_thread_stop(); });
    try {
        PackageVerifier::verify(path, length, signature, publicKey);
        return std::nullopt;
    } catch (const UpdateFailure& failure) {
        return failure.reason();
    }
}

} // namespace

AppUpdater::AppUpdater(UpdateState* updateState, UpdaterSettings settings, QObject* parent)
    : QObject(parent), m_updateState(updateState), m_settings(std::move(settings)),
      m_publicKey(PackageVerifier::decodePublicKey(m_settings.publicKey)) {
    connect(&m_verification, &QFutureWatcher<std::optional<QString>>::finished, this,
            &AppUpdater::finishVerification);
    m_schedule.setSingleShot(true);
    connect(&m_schedule, &QTimer::timeout, this, [this] {
        silentCheck();
        m_schedule.start(m_settings.checkInterval);
    });
    if (m_settings.firstCheckDelay)
        m_schedule.start(*m_settings.firstCheckDelay);
}

AppUpdater::~AppUpdater() {
    // The downloads write into members; they go before the members do.
    delete m_packageFetch;
    delete m_feedFetch;
}

void AppUpdater::checkForUpdates() {
    if (!busyInstalling()) {
        m_checkShown = true;
        setState(State::Checking);
        if (!m_feedFetch)
            startCheck();
    }
    Q_EMIT dialogRequested();
}

void AppUpdater::silentCheck() {
    if (!m_feedFetch && !busyInstalling())
        startCheck();
}

void AppUpdater::startCheck() {
    m_feed.clear();
    auto* buffer = new QBuffer(&m_feed);
    buffer->open(QIODevice::WriteOnly);
    m_feedFetch = new UpdateDownload(m_network, m_settings.feedUrl, *buffer,
                                     {.maxBytes = m_settings.maxFeedSize,
                                      .tooLarge = QStringLiteral("Лента обновлений больше %1 КБ")
                                                      .arg((m_settings.maxFeedSize + 1023) / 1024),
                                      .unwritable = {},
                                      .stallTimeout = m_settings.stallTimeout,
                                      .deadline = m_settings.feedDeadline},
                                     this);
    buffer->setParent(m_feedFetch);
    connect(m_feedFetch, &UpdateDownload::finished, this, &AppUpdater::finishCheck);
}

// Only "found" and "not found" reach UpdateState; a failed check leaves it as it was.
void AppUpdater::finishCheck() {
    UpdateDownload* fetch = m_feedFetch;
    m_feedFetch = nullptr;
    fetch->deleteLater();
    const bool shown = std::exchange(m_checkShown, false);
    std::optional<AppcastItem> update;
    try {
        if (fetch->failure())
            throw UpdateFailure(*fetch->failure());
        update = readFeed();
    } catch (const UpdateFailure& failure) {
        if (shown)
            fail(failure.reason());
        return;
    }
    if (update)
        m_updateState->reportValidUpdate();
    else
        m_updateState->reportNoUpdate();
    if (!shown)
        return;
    m_update = update;
    Q_EMIT updateChanged();
    setState(update ? State::UpdateFound : State::UpToDate);
}

std::optional<AppcastItem> AppUpdater::readFeed() const {
    const std::optional<AppVersion> running = AppVersion::parse(m_settings.currentVersion);
    if (!running)
        throw UpdateFailure(QStringLiteral("Версия этой сборки «%1» не похожа на номер версии")
                                .arg(m_settings.currentVersion));
    return UpdateChoice::newest(AppcastParser::parse(m_feed, m_settings.feedUrl), *running,
                                m_settings.systemVersion);
}

void AppUpdater::downloadAndInstall() {
    if (m_state != State::UpdateFound || !m_update)
        return;
    if (!m_publicKey)
        return fail(QStringLiteral("В этой сборке нет ключа для проверки обновлений, поэтому "
                                   "устанавливать их нельзя"));
    const QString folder = m_settings.downloadFolder;
    if (folder.isEmpty() || !QDir().mkpath(folder))
        return fail(QStringLiteral("Папки загрузок «%1» нет, и создать её не удалось").arg(folder));
    m_package = std::make_unique<QTemporaryFile>(
        QDir(folder).filePath(QStringLiteral(".ondrel-update-XXXXXX.part")));
    if (!m_package->open()) {
        const QString reason = FileErrorText::describe(*m_package);
        m_package.reset();
        return fail(QStringLiteral("Не удалось создать файл в папке загрузок «%1»: %2")
                        .arg(folder, reason));
    }
    m_packageFetch = new UpdateDownload(
        m_network, m_update->enclosure.url, *m_package,
        {.maxBytes = m_update->enclosure.length,
         .tooLarge = QStringLiteral("Сервер прислал больше, чем объявлено в ленте"),
         .unwritable = unwritablePackage(),
         .stallTimeout = packageStallTimeout,
         .deadline = std::nullopt},
        this);
    connect(m_packageFetch, &UpdateDownload::progressed, this, [this](qint64 received) {
        setProgress(double(received) / double(m_update->enclosure.length));
    });
    connect(m_packageFetch, &UpdateDownload::finished, this, &AppUpdater::finishDownload);
    setProgress(0);
    setState(State::Downloading);
}

void AppUpdater::cancelDownload() {
    if (m_packageFetch)
        m_packageFetch->cancel();
}

void AppUpdater::finishDownload() {
    UpdateDownload* fetch = m_packageFetch;
    m_packageFetch = nullptr;
    fetch->deleteLater();
    if (fetch->cancelled()) {
        m_package.reset();
        return setState(State::UpdateFound);
    }
    if (fetch->failure())
        return refuse(*fetch->failure());
    if (!m_package->flush())
        return refuse(unwritablePackage().arg(FileErrorText::describe(*m_package)));
    setState(State::Verifying);
    m_verification.setFuture(QtConcurrent::run(verifyPackage, m_package->fileName(),
                                               m_update->enclosure.length,
                                               m_update->enclosure.edSignature, *m_publicKey));
}

void AppUpdater::finishVerification() {
    if (const std::optional<QString> failure = m_verification.result())
        return refuse(*failure);
    const QString name = packageFileName(m_update->enclosure.url);
    for (int attempt = 1; attempt <= maxNameAttempts; ++attempt) {
        const QString path = candidateName(m_settings.downloadFolder, name, attempt);
        // rename() would replace an existing file.
        if (!QFileInfo::exists(path) && m_package->rename(path))
            return handOver(path);
    }
    refuse(QStringLiteral("Не удалось сохранить пакет в папке загрузок: %1")
               .arg(FileErrorText::describe(*m_package)));
}

// Only a package that passed verification and was renamed out of its temporary name gets here.
void AppUpdater::handOver(const QString& path) {
    m_package->setAutoRemove(false);
    m_package.reset();
    m_packagePath = path;
    Q_EMIT packagePathChanged();
    if (m_settings.openPackage(QUrl::fromLocalFile(path)))
        setState(State::HandedOver);
    else
        fail(QStringLiteral("Пакет проверен и сохранён как «%1», но система не открыла его; "
                            "установите его вручную")
                 .arg(path));
}

// Whatever arrived is deleted before the dialog says why.
void AppUpdater::refuse(const QString& reason) {
    m_package.reset();
    fail(QStringLiteral("%1. Скачанный файл удалён, ничего не установлено.").arg(reason));
}

void AppUpdater::dismiss() {
    if (busyInstalling())
        return;
    m_checkShown = false;
    setState(State::Idle);
}

bool AppUpdater::busyInstalling() const {
    return m_package != nullptr;
}

void AppUpdater::setState(State state) {
    if (m_state == state)
        return;
    m_state = state;
    Q_EMIT stateChanged();
}

void AppUpdater::setProgress(double progress) {
    if (m_progress == progress)
        return;
    m_progress = progress;
    Q_EMIT progressChanged();
}

void AppUpdater::fail(const QString& reason) {
    if (m_errorText != reason) {
        m_errorText = reason;
        Q_EMIT errorTextChanged();
    }
    setState(State::Failed);
}
