// The code tables, the common parameters and the institution values of the workspace.
#include "store/SqlQuery.h"
#include "store/ZKError.h"
#include "store/ZKMainDef.h"
#include "templates/FieldValues.h"
#include "workspace/MainDM.h"
#include "workspace/WorkspaceTables.h"
#include "workspace/WorkspaceText.h"

using namespace Qt::StringLiterals;

namespace {

int RequiredInt(const QString &text)
{
    bool ok = false;
    const int n = text.trimmed().toInt(&ok, 10);
    if (!ok)
        throw EZKError(u"'%1' is not a valid integer value"_s.arg(text));
    return n;
}

// A class or grade number that sizes a list by its value: a damaged table with a huge
// number must give an error, not a list of billions of entries.
int ListIndexInt(const QString &text)
{
    constexpr int kMaxListIndex = 65535;
    const int n = RequiredInt(text);
    if (n > kMaxListIndex)
        throw EZKError(u"'%1' is out of range"_s.arg(text));
    return n;
}

// A code inside a double-quoted literal of a statement: a quote inside is doubled.
QString LiteralText(const QString &text)
{
    return QString(text).replace(u'"', u"\"\""_s);
}

} // namespace

void TMainDM::ReadCommonParams()
{
    TSqlQuery table(&UnivConn);
    table.OpenTable(u"t_common_params"_s);
    ZKMainDef().RankScoreSupported = FieldText(table, u"rank_score_supported"_s) == u"1"_s;
    RankPermCodeStr =
        FieldText(table, u"rank_perm_code_list"_s) + u',' + FieldText(table, u"user_rank_perm_code_list"_s);
    MaskableRankCodeStr = FieldText(table, u"req_course_maskable_rank_list"_s);
    FDetailWindow->SetDocumentCaptions(FieldText(table, u"bmb_name"_s), FieldText(table, u"tjb_name"_s),
                                       FieldText(table, u"fjb_name"_s));
}

int TMainDM::ReadDMTable()
{
    int step = 0;
    try {
        ReadDMTableSteps(step);
        return 0;
    } catch (const EZKError &e) {
        FMessageSink->ShowMessage(u"读取代码库第 %1 步出错:\r\n%2"_s.arg(step).arg(e.Message()),
                                  u"读取代码库"_s, TMsgIcon::Warning);
        return 1;
    }
}

void TMainDM::ReadDMTableSteps(int &step)
{
    step = 0;
    ReadCommonParams();
    step = 1;
    ReadInstitutionState();
    step = 2;
    ReadCodeTables();
    step = 3;
    ReadZyLbMc();
    step = 4;
    FillBatchMenu();
    if (ZKMainDef().RankScoreSupported) {
        step = 5;
        ReadRankCodes();
        step = 6;
        ReadRankDescs();
        step = 7;
        ReadCourseRanks();
    }
    step = 8;
    FDetailWindow->InitDetailWindow();
}

void TMainDM::ReadInstitutionState()
{
    ShareUse share(*this);
    TSqlQuery table(&UnivShareConn);
    table.OpenTable(u"T_YXZT"_s);
    TZKMainDef &def = ZKMainDef();
    def.InstitutionCode = FieldText(table, u"YXDM"_s);
    def.InstitutionName = FieldText(table, u"YXMC"_s);
    def.LeaderPCDM = FieldText(table, u"ZDPCDM"_s);
    def.AutoPhoto = FieldText(table, u"ZDXZZP"_s) == u"1"_s;
    def.ShowCodes = FieldText(table, u"TDDXSDM"_s) == u"1"_s;
    def.AutoUnpack = FieldText(table, u"JYKSYSWJ"_s) == u"1"_s;
    ZyStateReportOnStart = FieldText(table, u"zy_state_report"_s) == u"1"_s;
}

void TMainDM::ReadCodeTables()
{
    const QList<TDmDBFRec> &tables = DmDBFTable();
    for (int n = 0; n < DMTableCount; ++n) {
        const TDmDBFRec &rec = tables[n];
        try {
            TSqlQuery table(&UnivConn);
            table.OpenTable(rec.TableName);
            QList<TDMRec> rows;
            QHash<QString, int> lookup; // codes compare exactly; a repeated code keeps its first row
            for (; !table.Eof(); table.Next()) {
                const TDMRec row{FieldText(table, rec.DMField), FieldText(table, rec.MCField)};
                if (!lookup.contains(row.DM))
                    lookup.insert(row.DM, int(rows.size()));
                rows.append(row);
            }
            DMTables[size_t(n)] = rows;
            FDmLookup[size_t(n)] = lookup;
        } catch (const EZKError &e) {
            throw e.WithPrefix(u"["_s + rec.TableName + u"] "_s);
        }
    }
}

void TMainDM::ReadZyLbMc()
{
    ZyLbMcList.clear();
    TSqlQuery table(&UnivConn);
    table.OpenTable(u"TD_ZYLBDM"_s);
    if (table.FieldCount() < 2)
        throw EZKError(u"TD_ZYLBDM: two columns expected"_s);
    for (; !table.Eof(); table.Next()) {
        const int number = ListIndexInt(table.AsString(0));
        while (ZyLbMcList.size() < number)
            ZyLbMcList.append(u"."_s);
        ZyLbMcList.append(table.AsString(1));
    }
}

void TMainDM::FillBatchMenu()
{
    TSqlQuery query(&UnivConn);
    query.SetSQL(u"SELECT DISTINCT PCDM FROM T_KLJHXZZT ORDER BY PCDM"_s);
    QList<TMenuItemRec> items;
    for (query.Open(); !query.Eof(); query.Next()) {
        const QString pcdm = query.AsString(0);
        items.append({pcdm + u' ' + GetDMMC(TD_PCDM, pcdm), 0, false});
    }
    FMainView->SetFolderMenu(TFolderMenu::PC, items);
}

void TMainDM::ReadRankCodes()
{
    RankCodeList.clear();
    RankCodeCJXSM.clear();
    RankNameList.clear();
    TSqlQuery query(&UnivConn);
    query.SetSQL(u"SELECT * FROM TD_CJXLXDM WHERE CJXLXDM <> \"000\""_s);
    for (query.Open(); !query.Eof(); query.Next()) {
        bool inserted = false;
        const int at = SortedInsert(RankCodeList, FieldText(query, u"CJXLXDM"_s), &inserted);
        if (!inserted)
            continue; // a repeated code keeps its first name
        RankCodeCJXSM.insert(at, IntOrDefault(FieldText(query, u"CJXSM"_s), 0));
        RankNameList.insert(at, FieldText(query, u"CJXLXMC"_s));
    }
    MaskableRankCodeList.clear();
    for (const QString &code : SplitAtBlanksAnd(MaskableRankCodeStr, u','))
        SortedInsert(MaskableRankCodeList, code);
    MaskableRankCodePosition = QList<int>(MaskableRankCodeList.size(), -1);
    QHash<QString, int> maskable;
    for (qsizetype i = MaskableRankCodeList.size() - 1; i >= 0; --i) {
        const int position = RankCodeIndex(MaskableRankCodeList[i]);
        if (position < 0) {
            MaskableRankCodeList.remove(i);
            MaskableRankCodePosition.remove(i);
        } else {
            MaskableRankCodePosition[i] = position;
            maskable.insert(MaskableRankCodeList[i], position);
        }
    }
    MB.SetRankCodes(int(RankCodeList.size()), maskable);
}

void TMainDM::ReadRankDescs()
{
    RankDescArray.clear();
    for (const QString &code : RankCodeList) {
        TSqlQuery query(&UnivConn);
        query.SetSQL(QStringList{u"select * from td_djdm"_s,
                                 u"where cjxlxdm = \""_s + LiteralText(code) + u"\" order by cj"_s});
        QList<QPair<int, QString>> grades;
        for (query.Open(); !query.Eof(); query.Next())
            grades.append({ListIndexInt(FieldText(query, u"cj"_s)), FieldText(query, u"dj"_s)});
        QStringList entry;
        if (!grades.isEmpty()) {
            entry = QStringList(std::max(0, grades.last().first + 1), QString());
            for (const auto &[cj, dj] : grades) {
                if (cj >= 0 && cj < entry.size())
                    entry[cj] = dj;
            }
        }
        RankDescArray.append(entry);
    }
}

void TMainDM::ReadCourseRanks()
{
    QHash<QString, QString> itemTypes; // score item → its type code, first row wins
    TSqlQuery table(&UnivConn);
    for (table.OpenTable(u"td_cjxdm"_s); !table.Eof(); table.Next()) {
        const QString item = FieldText(table, u"cjxdm"_s);
        if (!itemTypes.contains(item))
            itemTypes.insert(item, FieldText(table, u"cjxlxdm"_s));
    }
    CourseRankIdArray.clear();
    for (const TDMRec &row : DMTables[size_t(TD_CJXDM)]) {
        const auto it = itemTypes.constFind(row.DM);
        const bool graded = it != itemTypes.cend() && *it != u"000"_s;
        CourseRankIdArray.append(graded ? RankCodeIndex(*it) : -1);
    }
    RankPermCodeList = SplitAtBlanksAnd(RankPermCodeStr, u',');
    RankPermNameList.clear();
    for (const QString &code : RankPermCodeList)
        RankPermNameList.append(GetRankPermName(code));
}

void TMainDM::ReadKL_JHXZ()
{
    const TZKMainDef &def = ZKMainDef();
    FMainView->SetFolderButtonCaption(TFolderButton::YX_SS, def.InstitutionCode + u' ' + def.InstitutionName +
                                                                u" - "_s + def.LoginInfo.SSMC +
                                                                u"录取进程"_s);
    TRecordset table = OpenTableRows(UnivConn, u"T_KLJHXZZT"_s);
    table.SetFilter(u"PCDM="_s + QuotedLocateValue(def.CurPCDM));
    KL_JHXZTable.clear();
    for (table.First(); !table.Eof(); table.Next())
        KL_JHXZTable.append({table.FieldByName(u"KLDM").AsString(), table.FieldByName(u"JHXZ").AsString()});
    QList<TMenuItemRec> items;
    for (int n = 0; n < KL_JHXZTable.size(); ++n) {
        const TKL_JHXZRec &rec = KL_JHXZTable[n];
        items.append({rec.KLDM + u' ' + GetDMMC(TD_KLDM, rec.KLDM) + u" - "_s + rec.JHXZ + u' ' +
                          GetDMMC(TD_JHXZDM, rec.JHXZ),
                      n, false});
    }
    FMainView->SetFolderMenu(TFolderMenu::KL_JHXZ, items);
}

void TMainDM::SaveZyStateReportMode()
{
    try {
        ShareUse share(*this);
        const qint64 row = FirstRowId(UnivShareConn, u"T_YXZT"_s);
        if (row != 0) {
            UpdateRow(UnivShareConn, u"T_YXZT"_s, row,
                      {{u"zy_state_report"_s, FZyStatePanel->IsReportView() ? u"1"_s : u"0"_s}});
        }
    } catch (const EZKError &e) {
        FMessageSink->ShowMessage(u"保存专业信息显示设置失败:\r\n"_s + e.Message(), u"关闭投档单"_s,
                                  TMsgIcon::Warning);
    }
}
