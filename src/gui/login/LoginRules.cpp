#include "gui/login/LoginRules.h"

#include "link/PasswordSeal.h"
#include "store/NamedLock.h"
#include "store/SqlQuery.h"
#include "store/StorageFolder.h"
#include "store/ZKError.h"
#include "workspace/MainDM.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

// The user's shared database, open under the province's share lock for one use.
class TShareUse
{
public:
    TShareUse(TMainDM &dm, const QString &sspy)
        : FDm(dm)
        , FLock(TakeShareLock(sspy))
    {
        FDm.UnivShareConn.Open();
    }
    ~TShareUse() { FDm.UnivShareConn.Close(); }
    TShareUse(const TShareUse &) = delete;
    TShareUse &operator=(const TShareUse &) = delete;

private:
    TMainDM &FDm;
    TNamedLock FLock;
};

// Positions the table on its first record; true when it holds exactly one.
bool HasOneRecord(TSqlQuery &table)
{
    int rows = 0;
    for (table.First(); !table.Eof() && rows < 2; table.Next())
        ++rows;
    table.First();
    return rows == 1;
}

} // namespace

double LocalDaysBetween(const QDateTime &from, const QDateTime &to)
{
    // Both times as wall-clock readings, compared on a clock without summer time.
    const QDateTime a(from.date(), from.time(), Qt::UTC);
    const QDateTime b(to.date(), to.time(), Qt::UTC);
    return double(a.msecsTo(b)) / 86400000.0;
}

QString OldUserName(const QDateTime &creationTime, const QString &userName)
{
    const QString name = u"Old"_s + creationTime.toString(u"yyyyMMdd"_s) + u'_' + userName;
    return name.left(16);
}

bool IsOldUserName(const QString &userName)
{
    return userName.startsWith(u"Old"_s, Qt::CaseSensitive);
}

TGKLQState ReadGKLQState(TMainDM &dm, const QString &sspy, const QString &userFolder)
{
    if (!QFileInfo::exists(userFolder + UnivShareDatabaseFileName))
        return TGKLQState::gklqOff;
    try {
        TShareUse share(dm, sspy);
        TSqlQuery table(&dm.UnivShareConn);
        table.OpenTable(u"T_YXZT"_s);
        return HasOneRecord(table) && table.AsString(u"GKLQZ"_s) == u"1"_s ? TGKLQState::gklqOn
                                                                           : TGKLQState::gklqOff;
    } catch (const EZKError &) {
        return TGKLQState::gklqError;
    }
}

bool ReadCreationTime(TMainDM &dm, const QString &sspy, const QString &userFolder, QDateTime &creationTime)
{
    if (!QFileInfo::exists(userFolder + UnivShareDatabaseFileName))
        return false;
    try {
        TShareUse share(dm, sspy);
        TSqlQuery table(&dm.UnivShareConn);
        table.OpenTable(u"T_YXZT"_s);
        if (!HasOneRecord(table))
            return false;
        creationTime = table.Value(u"creation_time"_s).toDateTime();
        return creationTime.isValid();
    } catch (const EZKError &) {
        return false;
    }
}

bool ReadSealedPassword(TMainDM &dm, const QString &sspy, QString &sealed)
{
    TShareUse share(dm, sspy);
    TSqlQuery table(&dm.UnivShareConn);
    table.OpenTable(u"T_YXZT"_s);
    if (!HasOneRecord(table))
        return false;
    sealed = table.AsString(u"YHKL"_s);
    return true;
}

void StoreSealedPassword(TMainDM &dm, const QString &sspy, const QString &password)
{
    TShareUse share(dm, sspy);
    TSqlQuery table(&dm.UnivShareConn);
    table.OpenTable(u"T_YXZT"_s);
    const bool one = HasOneRecord(table);
    table.Close();
    if (!one)
        return;
    TSqlQuery update(&dm.UnivShareConn);
    update.SetSQL(u"update T_YXZT set YHKL=:yhkl"_s);
    update.SetTextParam(u"yhkl"_s, SealPassword(password));
    update.ExecSQL();
}
