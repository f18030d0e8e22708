#include "workspace/DecisionJournal.h"

#include "store/SqlConnection.h"
#include "store/SqlQuery.h"
#include "workspace/WorkspaceItems.h"

#include <QDateTime>

using namespace Qt::StringLiterals;

// The name keeps clear of the leader's tables (upper-case initials with a "T_" prefix)
// and of the tables the client receives.
const QString TDecisionJournal::TableName = QStringLiteral("t_decision_journal");

namespace {

QString NowText()
{
    return QDateTime::currentDateTime().toString(u"yyyy-MM-dd hh:mm:ss"_s);
}

QString StatusText(const QString &kszt)
{
    return kszt.isEmpty() ? QString() : KsZtText(KsZtOf(kszt));
}

const QString SelectColumns =
    u"JLBH, JLSJ, PCDM, KLDM, JHXZ, KSH, XM, YKSZT, XKSZT, LQZY, TDYYDM, BZ, FSBH, FSSJ"_s;

} // namespace

QString TJournalEntry::SentText() const
{
    return Sent ? u"已发送(包号 %1)"_s.arg(PackageNumber) : u"未发送"_s;
}

QStringList TJournalEntry::Texts() const
{
    return {Time, PCDM,   KLDM, JHXZ,       KSH,     XM, StatusText(OldStatus), StatusText(NewStatus),
            LQZY, TDYYDM, BZ,   SentText(), SentTime};
}

QStringList TDecisionJournal::ColumnTitles()
{
    return {u"时间"_s,   u"批次"_s, u"科类"_s,     u"计划性质"_s, u"考生号"_s, u"姓名"_s,    u"原状态"_s,
            u"新状态"_s, u"专业"_s, u"退档原因"_s, u"备注"_s,     u"发送"_s,   u"发送时间"_s};
}

QStringList TDecisionJournal::ExportFieldNames()
{
    return {u"JLSJ"_s,  u"PCDM"_s, u"KLDM"_s,   u"JHXZ"_s, u"KSH"_s,  u"XM"_s,  u"YKSZT"_s,
            u"XKSZT"_s, u"LQZY"_s, u"TDYYDM"_s, u"BZ"_s,   u"FSZT"_s, u"FSSJ"_s};
}

bool TDecisionJournal::Exists()
{
    return FConnection.TableExists(TableName);
}

void TDecisionJournal::EnsureTable()
{
    if (Exists())
        return;
    FConnection.ExecSQL(
        QStringList{u"create table t_decision_journal (JLBH long, JLSJ text(19) with comp,"_s,
                    u"  PCDM text(10) with comp, KLDM text(10) with comp, JHXZ text(10) with comp,"_s,
                    u"  KSH text(20) with comp, XM memo, YKSZT text(1) with comp, XKSZT text(1) with comp,"_s,
                    u"  LQZY text(10) with comp, TDYYDM text(10) with comp, BZ memo,"_s,
                    u"  FSBH long, FSSJ text(19) with comp, primary key (JLBH))"_s});
}

qint64 TDecisionJournal::LastNumber()
{
    TSqlQuery query(&FConnection);
    query.SetSQL(u"select max(JLBH) from t_decision_journal"_s);
    query.Open();
    return query.Eof() ? 0 : query.Value(0).toLongLong();
}

qint64 TDecisionJournal::Append(TJournalEntry entry)
{
    entry.Number = LastNumber() + 1;
    if (entry.Time.isEmpty())
        entry.Time = NowText();
    TSqlQuery insert(&FConnection);
    insert.SetSQL(QStringList{
        u"insert into t_decision_journal (JLBH, JLSJ, PCDM, KLDM, JHXZ, KSH, XM, YKSZT, XKSZT, LQZY, TDYYDM, BZ)"_s,
        u"values (:jlbh, :jlsj, :pcdm, :kldm, :jhxz, :ksh, :xm, :ykszt, :xkszt, :lqzy, :tdyydm, :bz)"_s});
    insert.SetIntParam(u"jlbh"_s, entry.Number);
    insert.SetTextParam(u"jlsj"_s, entry.Time);
    insert.SetTextParam(u"pcdm"_s, entry.PCDM);
    insert.SetTextParam(u"kldm"_s, entry.KLDM);
    insert.SetTextParam(u"jhxz"_s, entry.JHXZ);
    insert.SetTextParam(u"ksh"_s, entry.KSH);
    insert.SetTextParam(u"xm"_s, entry.XM);
    insert.SetTextParam(u"ykszt"_s, entry.OldStatus);
    insert.SetTextParam(u"xkszt"_s, entry.NewStatus);
    insert.SetTextParam(u"lqzy"_s, entry.LQZY);
    insert.SetTextParam(u"tdyydm"_s, entry.TDYYDM);
    insert.SetTextParam(u"bz"_s, entry.BZ);
    insert.ExecSQL();
    return entry.Number;
}

int TDecisionJournal::MarkSent(const QString &pcdm, const QString &kldm, const QString &jhxz,
                               qint64 lastNumber, int packageNumber)
{
    TSqlQuery update(&FConnection);
    update.SetSQL(QStringList{u"update t_decision_journal set FSBH = :fsbh, FSSJ = :fssj"_s,
                              u"where PCDM = :pcdm and KLDM = :kldm and JHXZ = :jhxz"_s,
                              u"  and JLBH <= :jlbh and FSBH is null"_s});
    update.SetIntParam(u"fsbh"_s, packageNumber);
    update.SetTextParam(u"fssj"_s, NowText());
    update.SetTextParam(u"pcdm"_s, pcdm);
    update.SetTextParam(u"kldm"_s, kldm);
    update.SetTextParam(u"jhxz"_s, jhxz);
    update.SetIntParam(u"jlbh"_s, lastNumber);
    return update.ExecSQL();
}

QList<TJournalEntry> TDecisionJournal::Read(const QString &pcdm, const QString &kldm, const QString &jhxz)
{
    QList<TJournalEntry> entries;
    if (!Exists())
        return entries;
    TSqlQuery query(&FConnection);
    query.SetSQL(QStringList{u"select "_s + SelectColumns + u" from t_decision_journal"_s,
                             u"where PCDM = :pcdm and KLDM = :kldm and JHXZ = :jhxz"_s,
                             u"order by JLBH desc"_s});
    query.SetTextParam(u"pcdm"_s, pcdm);
    query.SetTextParam(u"kldm"_s, kldm);
    query.SetTextParam(u"jhxz"_s, jhxz);
    for (query.Open(); !query.Eof(); query.Next()) {
        TJournalEntry e;
        e.Number = query.Value(0).toLongLong();
        e.Time = query.AsString(1);
        e.PCDM = query.AsString(2);
        e.KLDM = query.AsString(3);
        e.JHXZ = query.AsString(4);
        e.KSH = query.AsString(5);
        e.XM = query.AsString(6);
        e.OldStatus = query.AsString(7);
        e.NewStatus = query.AsString(8);
        e.LQZY = query.AsString(9);
        e.TDYYDM = query.AsString(10);
        e.BZ = query.AsString(11);
        e.Sent = query.Value(12).isValid();
        e.PackageNumber = query.Value(12).toInt();
        e.SentTime = query.AsString(13);
        entries.append(e);
    }
    return entries;
}
