#pragma once

#include "store/ZKError.h"

// An error of the database engine. Its text is the engine's message, a line break and
// the statement as the caller wrote it, so that a reported step shows what failed.
class EZKSqlError : public EZKError
{
public:
    EZKSqlError(const QString &engineMessage, const QString &statement, int resultCode)
        : EZKError(statement.isEmpty() ? engineMessage : engineMessage + QStringLiteral("\r\n") + statement)
        , FEngineMessage(engineMessage)
        , FStatement(statement)
        , FResultCode(resultCode)
    {}

    const QString &EngineMessage() const noexcept { return FEngineMessage; }
    const QString &Statement() const noexcept { return FStatement; }
    // SQLite's extended result code (SQLITE_CONSTRAINT_PRIMARYKEY …); 0 for errors
    // found before the engine ran (an unknown parameter, an unreadable statement).
    int ResultCode() const noexcept { return FResultCode; }

private:
    QString FEngineMessage;
    QString FStatement;
    int FResultCode = 0;
};
