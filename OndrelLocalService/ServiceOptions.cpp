#include "OndrelLocalService/ServiceOptions.h"

#include <QCommandLineParser>

#include <stdexcept>

namespace {
qint64 wholeNumber(const QCommandLineParser& parser, const QString& name, qint64 minimum,
                   qint64 maximum) {
    bool ok = false;
    const qint64 value = parser.value(name).toLongLong(&ok);
    if (!ok || value < minimum || value > maximum)
        throw std::invalid_argument(
            QStringLiteral("--%1: expected a whole number from 0 to %2, got '%3'")
                .arg(name)
                .arg(maximum)
                .arg(parser.value(name))
                .toStdString());
    return value;
}
} // namespace

ServiceOptions ServiceOptions::parse(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("A stand-in for the Ondrel task service, listening on 127.0.0.1."));
    parser.addHelpOption();
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("Port to listen on; 0 picks a free one."),
                                  QStringLiteral("PORT"), QStringLiteral("8765"));
    const QCommandLineOption data(QStringLiteral("data"),
                                  QStringLiteral("Keep the state in this SQLite database, "
                                                 "readable by its owner only (default: in "
                                                 "memory only). A new NAME.sqlite takes over "
                                                 "the JSON data file NAME.json beside it."),
                                  QStringLiteral("FILE"));
    const QCommandLineOption accessTTL(QStringLiteral("access-ttl"),
                                       QStringLiteral("Lifetime of access tokens in seconds."),
                                       QStringLiteral("SECONDS"), QStringLiteral("900"));
    const QCommandLineOption refreshTTL(QStringLiteral("refresh-ttl"),
                                        QStringLiteral("Lifetime of refresh tokens in seconds."),
                                        QStringLiteral("SECONDS"), QStringLiteral("2592000"));
    const QCommandLineOption autoApprove(
        QStringLiteral("auto-approve"),
        QStringLiteral("The sign-in page signs the demo user in at once, without a button."));
    const QCommandLineOption noSeed(QStringLiteral("no-seed"),
                                    QStringLiteral("New accounts start with the inbox only."));
    const QCommandLineOption updatePackage(
        QStringLiteral("update-package"),
        QStringLiteral("Also offer this signed package (FILE.sig beside it) in /appcast.xml."),
        QStringLiteral("FILE"));
    const QCommandLineOption updateVersion(
        QStringLiteral("update-version"),
        QStringLiteral("The version /appcast.xml announces for --update-package."),
        QStringLiteral("VERSION"));
    parser.addOptions(
        {port, data, accessTTL, refreshTTL, autoApprove, noSeed, updatePackage, updateVersion});
    parser.process(arguments);
    if (!parser.positionalArguments().isEmpty())
        throw std::invalid_argument("unexpected argument: " +
                                    parser.positionalArguments().first().toStdString());

    constexpr qint64 tenYears = 10LL * 365 * 24 * 3600;
    ServiceOptions options;
    options.port = quint16(wholeNumber(parser, QStringLiteral("port"), 0, 65535));
    if (parser.isSet(data))
        options.dataFile = parser.value(data);
    options.settings.auth.accessTTL =
        std::chrono::seconds(wholeNumber(parser, QStringLiteral("access-ttl"), 1, tenYears));
    options.settings.auth.refreshTTL =
        std::chrono::seconds(wholeNumber(parser, QStringLiteral("refresh-ttl"), 1, tenYears));
    options.settings.auth.seed = !parser.isSet(noSeed);
    options.settings.autoApprove = parser.isSet(autoApprove);
    options.settings.updates.buildVersion = QStringLiteral(ONDREL_VERSION);
    if (parser.isSet(updatePackage) != parser.isSet(updateVersion))
        throw std::invalid_argument("--update-package and --update-version go together");
    if (parser.isSet(updatePackage))
        options.settings.updates.offer =
            UpdateFeed::Offer::load(parser.value(updatePackage), parser.value(updateVersion));
    return options;
}
