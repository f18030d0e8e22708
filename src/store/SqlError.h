#pragma once

#include "store/ZKError.h"

// An error of the database engine. Its text is "数据库操作出错：", the engine's message,
// a line break and the statement as the caller wrote it: the member reads what failed in
// Chinese, and the technical detail follows for whoever looks into it.
class EZKSqlError : public EZKError
{
public:
    static QString Lead() { return QStringLiteral("数据库操作出错："); }

    EZKSqlError(const QString &engineMessage, const QString &statement, int resultCode)
        : EZKError(Lead() + (statement.isEmpty() ? engineMessage
                                                 : engineMessage + QStringLiteral("\r\n") + statement))
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
