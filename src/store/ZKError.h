#pragma once

#include <QString>

#include <exception>

// The error raised inside the store, the workspace and the table tools. The
// operation at the top catches it and reports it with its step number; a
// sub-operation that passes an error on may put its own name in front of the
// text (for example "(BackupTable T_JHK) ").
class EZKError : public std::exception
{
public:
    explicit EZKError(QString message)
        : FMessage(std::move(message)), FUtf8(FMessage.toUtf8())
    {
    }

    const QString &Message() const noexcept { return FMessage; }
    const char *what() const noexcept override { return FUtf8.constData(); }

    // The same error with a prefix in front of its text.
    EZKError WithPrefix(const QString &prefix) const { return EZKError(prefix + FMessage); }

private:
    QString FMessage;
    QByteArray FUtf8;
};
