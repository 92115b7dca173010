#pragma once

#include <QList>
#include <QString>

#include <compare>
#include <optional>

// A release version as feeds and the running program write it: numeric components separated
// by dots ("1.10.2"), optionally followed by a pre-release suffix ("-beta.2", "~rc1", "b3").
// Components compare as numbers, missing ones count as zero ("1.0" equals "1.0.0"), and a
// version with a suffix sorts before the same version without one.
class AppVersion {
public:
    static std::optional<AppVersion> parse(const QString& text);

    const QString& text() const { return m_text; }

    std::strong_ordering operator<=>(const AppVersion& other) const;
    bool operator==(const AppVersion& other) const {
        return (*this <=> other) == std::strong_ordering::equal;
    }

private:
    // One piece of a suffix: a number, or a run of anything else.
    struct Token {
        bool numeric = false;
        qint64 number = 0;
        QString text;
    };

    AppVersion() = default;
    static std::strong_ordering compareSuffixes(const QList<Token>& a, const QList<Token>& b);

    QString m_text;
    QList<qint64> m_components;
    QList<Token> m_suffix;
    bool m_prerelease = false;
};
