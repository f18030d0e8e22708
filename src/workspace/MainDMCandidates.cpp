// Reading the candidates of an opened set into the workspace, with the repair of rows
// whose status and major disagree.
#include "store/SqlQuery.h"
#include "store/ZKError.h"
#include "store/ZKMainDef.h"
#include "templates/FieldValues.h"
#include "workspace/MainDM.h"

#include <QCollator>
#include <array>
#include <memory>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

// The columns of the candidate query that the items are built from.
struct TCandidateColumns
{
    int KSH, XM, ZYYTJZCJ, ZYYTFJCJ, ZYHG, TJHG, TDZY, TDDW, DQTDDW, ZYZYTJ, LQZY, YTZY, TDYYDM, KSZT, SDBZ,
        TJJLDM, BH, ZYTJFC;
    int ZYYTDJLX = -1, ZYYTDJ = -1, ZYYTDJPX = -1, ZYYTFJDJLX = -1, ZYYTFJDJ = -1;
    std::array<int, 7> ZYDH{}, TDDWDM{}, ZYSXDM{};

    explicit TCandidateColumns(const TRecordset &q, bool graded)
    {
        auto need = [&q](const QString &name) {
            const int at = q.FindField(name);
            if (at < 0)
                throw EZKError(u"Field '%1' not found"_s.arg(name));
            return at;
        };
        KSH = need(u"KSH"_s), XM = need(u"XM"_s), ZYYTJZCJ = need(u"ZYYTJZCJ"_s),
        ZYYTFJCJ = need(u"ZYYTFJCJ"_s);
        ZYHG = need(u"ZYHG"_s), TJHG = need(u"TJHG"_s), TDZY = need(u"TDZY"_s), TDDW = need(u"TDDW"_s);
        DQTDDW = need(u"DQTDDW"_s), ZYZYTJ = need(u"ZYZYTJ"_s), LQZY = need(u"LQZY"_s),
        YTZY = need(u"YTZY"_s);
        TDYYDM = need(u"TDYYDM"_s), KSZT = need(u"KSZT"_s), SDBZ = need(u"SDBZ"_s),
        TJJLDM = need(u"TJJLDM"_s);
        BH = need(u"BH"_s), ZYTJFC = need(u"ZYTJFC"_s);
        // The grade columns may still be missing from a first set-up's table (they read
        // as empty then).
        if (graded) {
            ZYYTDJLX = q.FindField(u"ZYYTDJLX"), ZYYTDJ = q.FindField(u"ZYYTDJ"),
            ZYYTDJPX = q.FindField(u"ZYYTDJPX");
            ZYYTFJDJLX = q.FindField(u"ZYYTFJDJLX"), ZYYTFJDJ = q.FindField(u"ZYYTFJDJ");
        }
        for (int i = 1; i <= 6; ++i) {
            ZYDH[size_t(i)] = need(u"ZYDH"_s + QString::number(i));
            TDDWDM[size_t(i)] = need(u"TDDWDM"_s + QString::number(i));
            ZYSXDM[size_t(i)] = need(u"ZYSXDM"_s + QString::number(i));
        }
    }
};

// Writes the repairs of one opening in one transaction, begun at the first repair; each
// kind of repair is one statement, prepared once and run for each of its candidates.
class TRepairWriter
{
public:
    explicit TRepairWriter(TSqlConnection &conn)
        : FConn(conn)
    {}

    void Run(int kind, const QStringList &lines, const QString &ksh)
    {
        if (!FTransaction)
            FTransaction.emplace(FConn);
        std::unique_ptr<TSqlQuery> &query = FQueries[size_t(kind)];
        if (!query) {
            query = std::make_unique<TSqlQuery>(&FConn);
            query->SetSQL(lines);
        }
        query->SetParam(u"ksh"_s, ksh);
        query->ExecSQL();
    }
    void Commit()
    {
        FQueries = {};
        if (FTransaction)
            FTransaction->Commit();
    }

private:
    TSqlConnection &FConn;
    std::optional<TSqlTransaction> FTransaction;
    std::array<std::unique_ptr<TSqlQuery>, 2> FQueries;
};

void SetQueryText(TRecordset &q, int column, const QString &text)
{
    q.SetValue(column, TDbValue(text));
}

// The number of "1" among the first m characters of the accepted major classes, against
// half of the classes.
bool MoreClassesAccepted(const QString &zytjfc, int classes)
{
    const qsizetype m = std::min<qsizetype>(zytjfc.size(), classes);
    int count = 0;
    for (qsizetype i = 0; i < m; ++i) {
        if (zytjfc[i] == u'1')
            ++count;
    }
    return count > classes / 2;
}

} // namespace

namespace {

// Step 4.2: a row whose status and major disagree is put right in the candidate query and
// in the database; u and d are the dossier unit and the current unit, s the status.
void RepairRow(TMainDM &dm, const TCandidateColumns &c, TRepairWriter &repairs, int k, TKSItem &ks, int u,
               int &d, int &s)
{
    TRecordset &q = dm.LQGridQuery;
    const QString lqzy = q.StoredValue(k, c.LQZY).AsString();
    const bool returned = (s == 2 || s == 3) && !(ks.LqZyId == dm.JhRecCount && u == d);
    const bool undecided =
        !returned && ((s == 0 && !(ks.LqZyId == dm.JhRecCount + 1 && lqzy == UndecidedZYDH && u == d)) ||
                      (s == 1 && ks.LqZyId >= dm.JhRecCount));
    if (!returned && !undecided)
        return;
    q.SetRecNo(k + 1);
    q.Edit();
    q.SetValue(c.DQTDDW, q.StoredValue(k, c.TDDW));
    d = u;
    if (returned) {
        SetQueryText(q, c.LQZY, ReturnedZYDH);
        q.Post();
        ks.LqZyId = dm.JhRecCount;
        repairs.Run(0, {u"update t_tdd"_s, u"set dqtddw = tddw, lqzy = \"  \""_s, u"where ksh = :ksh"_s},
                    ks.Ksh);
        return;
    }
    SetQueryText(q, c.LQZY, UndecidedZYDH);
    SetQueryText(q, c.TDYYDM, ReturnedZYDH);
    SetQueryText(q, c.KSZT, u"0"_s);
    q.Post();
    ks.LqZyId = dm.JhRecCount + 1;
    s = 0;
    repairs.Run(1,
                {u"update t_tdd"_s, u"set dqtddw = tddw, lqzy = \" ?\", "_s,
                 u"tdyydm = \"  \",bz = \"\", kszt = \"0\""_s, u"where ksh = :ksh"_s},
                ks.Ksh);
}

// Step 4.3 and 4.4: the item's fields from its (repaired) row.
void FillCandidate(const TMainDM &dm, const TCandidateColumns &c, int k, TKSItem &ks)
{
    static const TDbValue absent;
    const TRecordset &q = dm.LQGridQuery;
    auto value = [&q, k](int column) -> const TDbValue & {
        return column < 0 ? absent : q.StoredValue(k, column);
    };
    auto field = [&value](int column) { return value(column).AsString(); };
    ks.Xm = field(c.XM);
    ks.ZyytJzCj = FloatOrDefault(value(c.ZYYTJZCJ), NoScoreValue);
    ks.FJBJTJ = FloatOrDefault(value(c.ZYYTFJCJ), NoScoreValue);
    ks.ZyytRankPermScore = -1;
    ks.FjBjRankPermDesc = field(c.ZYYTFJCJ);
    if (ZKMainDef().RankScoreSupported) {
        ks.ZyytRankPermScore = IntOrDefault(value(c.ZYYTDJPX), -1);
        ks.ZyytRankPermDesc = dm.GetRankPermDesc(field(c.ZYYTDJLX), field(c.ZYYTDJ));
        if (!field(c.ZYYTFJDJLX).isEmpty())
            ks.FjBjRankPermDesc = dm.GetRankPermDesc(field(c.ZYYTFJDJLX), field(c.ZYYTFJDJ));
    }
    ks.ZyHg = field(c.ZYHG) == u"1"_s;
    ks.TjHg = field(c.TJHG) == u"1"_s;
    ks.SdBz = field(c.SDBZ) == u"1"_s;
    ks.ZhiYuanXh = CodeCharValue(field(c.TDZY));
    for (size_t i = 1; i <= 6; ++i) {
        ks.ZyId[i] = dm.GetZyId(dm.GetCurrentTDDWId(field(c.TDDWDM[i])), field(c.ZYDH[i]));
        ks.TjSxDm[i] = field(c.ZYSXDM[i]);
    }
    ks.Zydpyxm = field(c.ZYZYTJ) != u"0"_s;
    ks.YTZyId = dm.GetZyId(ks.Tddw, field(c.YTZY));
    ks.TjjlHg = field(c.TJJLDM) != u"3"_s;
    ks.TDDBH = IntOrDefault(value(c.BH), 0);
    ks.IsMoreZyLbFc = MoreClassesAccepted(field(c.ZYTJFC), dm.ZyLbCount());
}

} // namespace

void TMainDM::ReadCandidates()
{
    try {
        TRecordset &q = LQGridQuery;
        const TCandidateColumns c(q, ZKMainDef().RankScoreSupported);
        KsNum = q.RecordCount();
        KsTable.reserve(size_t(KsNum));
        TDYYDMField = q.FindField(u"TDYYDM");
        TDYYBZField = q.FindField(u"BZ");
        LQFSField = q.FindField(u"LQFS");
        TRepairWriter repairs(UnivConn);
        for (int k = 0; k < KsNum; ++k) {
            auto ks = std::make_unique<TKSItem>();
            ks->Ksh = q.StoredValue(k, c.KSH).AsString();
            const int u = GetCurrentTDDWId(q.StoredValue(k, c.TDDW).AsString());
            int d = GetCurrentTDDWId(q.StoredValue(k, c.DQTDDW).AsString());
            int s = KsZtOf(q.StoredValue(k, c.KSZT).AsString());
            ks->LqZyId = GetZyId(d, q.StoredValue(k, c.LQZY).AsString());
            RepairRow(*this, c, repairs, k, *ks, u, d, s);
            ks->KsId = k;
            ks->Tddw = u;
            ks->DqTddw = d;
            ks->KsZt = s;
            FillCandidate(*this, c, k, *ks);
            ks->SetZyXh(JhRecCount);
            ks->KsIndex = k;
            const QString key = ks->Ksh.toCaseFolded();
            if (!FKshLookup.contains(key))
                FKshLookup.insert(key, k);
            ks->SetTddwDxCj(Order.UnitTemplate(ks->Tddw));
            JhTable.at(size_t(ks->LqZyId))->AddKsNoSorting(ks.get());
            KsTable.push_back(std::move(ks));
        }
        repairs.Commit();
        RankCandidateNumbers();
        for (const auto &jh : JhTable) {
            jh->SortKsByCj();
            UpdateJhItem(jh->JhId);
        }
        FMainView->SetStatusPanelText(ZKStatusPanel::KsCount, u"考生数"_s + QString::number(KsNum));
    } catch (...) {
        for (const auto &jh : JhTable)
            jh->KsList.clear();
        KsTable.clear();
        FKshLookup.clear();
        throw;
    }
}

void TMainDM::RankCandidateNumbers()
{
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<TKSItem *> items;
    items.reserve(KsTable.size());
    for (const auto &ks : KsTable)
        items.push_back(ks.get());
    std::stable_sort(items.begin(), items.end(), [&collator](const TKSItem *a, const TKSItem *b) {
        return collator.compare(a->Ksh, b->Ksh) < 0;
    });
    int rank = 0;
    for (size_t i = 0; i < items.size(); ++i) {
        if (i > 0 && collator.compare(items[i - 1]->Ksh, items[i]->Ksh) != 0)
            rank = int(i);
        items[i]->KshRank = rank;
    }
}
