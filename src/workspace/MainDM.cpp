#include "workspace/MainDM.h"

#include "store/ZKError.h"
#include "store/ZKMainDef.h"
#include "workspace/WorkspaceText.h"

#include <QDebug>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Without a window the messages go to the program's error output, never nowhere.
class TStderrMessageSink : public IMessageSink
{
public:
    TMsgResult ShowMessage(const QString &text, const QString &caption, TMsgIcon, TMsgButtons) override
    {
        qWarning().noquote() << caption + u": "_s + text;
        return TMsgResult::Ok;
    }
};

IMainView &DefaultMainView()
{
    static IMainView view;
    return view;
}

IZyStatePanel &DefaultZyStatePanel()
{
    static IZyStatePanel panel;
    return panel;
}

IClipboard &DefaultClipboard()
{
    static IClipboard clipboard;
    return clipboard;
}

IDocumentOpener &DefaultDocumentOpener()
{
    static IDocumentOpener opener;
    return opener;
}

IDetailWindowHooks &DefaultDetailWindow()
{
    static IDetailWindowHooks hooks;
    return hooks;
}

} // namespace

TMainDM::TMainDM()
    : MB(&UnivConn)
    , Order(&CurrentTDDWTable)
    , FDefaultMessageSink(std::make_unique<TStderrMessageSink>())
    , FDefaultGrid(std::make_unique<TMemoryGrid>())
{
    FMessageSink = FDefaultMessageSink.get();
    FMainView = &DefaultMainView();
    FZyStatePanel = &DefaultZyStatePanel();
    FGrid = FDefaultGrid.get();
    FClipboard = &DefaultClipboard();
    FDocumentOpener = &DefaultDocumentOpener();
    FDetailWindow = &DefaultDetailWindow();
    const QList<TDmDBFRec> &tables = DmDBFTable();
    for (int n = 0; n < tables.size(); ++n)
        FDmTableNameLookup.insert(tables[n].TableName.toCaseFolded(), n);
}

TMainDM::~TMainDM()
{
    FreeSet();
}

void TMainDM::SetMessageSink(IMessageSink *sink)
{
    FMessageSink = sink ? sink : FDefaultMessageSink.get();
}

void TMainDM::SetMainView(IMainView *view)
{
    FMainView = view ? view : &DefaultMainView();
}

void TMainDM::SetZyStatePanel(IZyStatePanel *panel)
{
    FZyStatePanel = panel ? panel : &DefaultZyStatePanel();
}

void TMainDM::SetGrid(ILQGrid *grid)
{
    FGrid = grid ? grid : FDefaultGrid.get();
}

void TMainDM::SetClipboard(IClipboard *clipboard)
{
    FClipboard = clipboard ? clipboard : &DefaultClipboard();
}

void TMainDM::SetDocumentOpener(IDocumentOpener *opener)
{
    FDocumentOpener = opener ? opener : &DefaultDocumentOpener();
}

void TMainDM::SetDetailWindow(IDetailWindowHooks *hooks)
{
    FDetailWindow = hooks ? hooks : &DefaultDetailWindow();
}

TMainDM::ShareUse::ShareUse(TMainDM &dm)
    : FDm(dm)
    , FLock(TakeShareLock(ZKMainDef().LoginInfo.SSPY))
{
    FDm.UnivShareConn.Open();
}

TMainDM::ShareUse::~ShareUse()
{
    FDm.UnivShareConn.Close();
}

// --- lookups ---

int TMainDM::GetDMTableIndex(const QString &DmTableName) const
{
    return FDmTableNameLookup.value(DmTableName.toCaseFolded(), -1);
}

int TMainDM::GetDMId(int DMTableIndex, const QString &Dm) const
{
    if (DMTableIndex < 0 || DMTableIndex >= DMTableCount)
        return -1;
    return FDmLookup[size_t(DMTableIndex)].value(Dm, -1);
}

QString TMainDM::GetDMMC(int DMTableIndex, int DmId) const
{
    if (DMTableIndex < 0 || DMTableIndex >= DMTableCount)
        return {};
    const QList<TDMRec> &rows = DMTables[size_t(DMTableIndex)];
    return DmId >= 0 && DmId < rows.size() ? rows[DmId].DMMC : QString();
}

QString TMainDM::GetDMMC(int DMTableIndex, const QString &Dm) const
{
    return GetDMMC(DMTableIndex, GetDMId(DMTableIndex, Dm));
}

int TMainDM::RankCodeIndex(const QString &code) const
{
    return SortedIndexOf(RankCodeList, code);
}

QString TMainDM::GetRankDesc(int RankId, int RankValue) const
{
    if (RankId < 0 || RankId >= RankDescArray.size())
        return {};
    const QStringList &grades = RankDescArray[RankId];
    return RankValue >= 0 && RankValue < grades.size() ? grades[RankValue] : QString();
}

QString TMainDM::GetRankSetDesc(int RankId, const QString &RankSetValue) const
{
    QString result;
    for (const QString &part : RankSetValue.split(u';'))
        result += GetRankDesc(RankId, IntOrMinusOne(part));
    return result;
}

QString TMainDM::GetRankPermName(const QString &RankPermCode) const
{
    QString result;
    for (const QString &part : SplitAtBlanksAnd(RankPermCode, u'/')) {
        if (part.startsWith(u'C')) {
            result += GetDMMC(TD_CJXDM, part.mid(1, 2)) + u',';
        } else {
            const int at = RankCodeIndex(part);
            if (at >= 0)
                result += RankNameList.value(at) + u',';
        }
    }
    result.chop(1);
    return result;
}

QString TMainDM::GetRankPermDesc(const QString &RankPermCode, const QString &RankPermValue) const
{
    const QStringList codes = RankPermCode.split(u'/');
    const QStringList values = RankPermValue.split(u'/');
    QString result;
    for (int i = 0; i < codes.size(); ++i) {
        const QString &code = codes[i];
        if (code.isEmpty() || code == u"000"_s)
            continue;
        int rankId = -1;
        if (code.startsWith(u'C')) {
            const int item = GetDMId(TD_CJXDM, code.mid(1, 2));
            rankId = item >= 0 ? CourseRankIdArray.value(item, -1) : -1;
        } else {
            rankId = RankCodeIndex(code);
        }
        if (rankId < 0)
            continue;
        const QString value = values.value(i);
        result += value.isEmpty() ? u"-,"_s : GetRankSetDesc(rankId, value) + u',';
    }
    result.chop(1);
    return result;
}

int TMainDM::GetCurrentTDDWId(const QString &TDDWDM) const
{
    return FCurrentTDDWLookup.value(TDDWDM, -1);
}

int TMainDM::GetZyId(int ATddw, const QString &AZYDH) const
{
    if (AZYDH == ReturnedZYDH)
        return JhRecCount;
    if (ATddw >= 0 && ATddw < FJhLookups.size() && AZYDH != UndecidedZYDH)
        return FJhLookups[ATddw].value(AZYDH, JhRecCount + 1);
    return JhRecCount + 1;
}

int TMainDM::GetKsId(const QString &AKsh) const
{
    return FKshLookup.value(AKsh.toCaseFolded(), -1);
}

const TDbValue &TMainDM::QueryValue(const TKSItem *k, int column) const
{
    static const TDbValue null;
    if (FTextSource) {
        if (!k || column < 0 || FTextSourceRow < 0 || FTextSourceRow >= FTextSource->StoredRowCount())
            return null;
        return FTextSource->StoredValue(FTextSourceRow, column);
    }
    if (!k || column < 0 || k->KsId < 0 || k->KsId >= LQGridQuery.StoredRowCount())
        return null;
    return LQGridQuery.StoredValue(k->KsId, column);
}

void TMainDM::SetTextSource(const TRecordset *source, int storedRow)
{
    FTextSource = source;
    FTextSourceRow = storedRow;
}

QString TMainDM::QueryText(const TKSItem *k, int column) const
{
    return QueryValue(k, column).AsString();
}

int TMainDM::ColumnIndexOf(const QString &name) const
{
    for (int i = 0; i < ZKColumn.size(); ++i) {
        if (ZKColumn[i].Name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}
