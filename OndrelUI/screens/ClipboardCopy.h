#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

// A copy button's state: copy() puts the text on the clipboard and shows the check mark for
// 1.5 s. Every copy schedules its own reset, so a second copy does not extend the first one's.
class ClipboardCopy : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(bool copied READ copied NOTIFY copiedChanged)

public:
    static constexpr int checkMarkMs = 1500;

    explicit ClipboardCopy(QObject* parent = nullptr);

    bool copied() const { return m_copied; }
    Q_INVOKABLE void copy(const QString& text);

Q_SIGNALS:
    void copiedChanged();

private:
    void setCopied(bool copied);

    bool m_copied = false;
};
