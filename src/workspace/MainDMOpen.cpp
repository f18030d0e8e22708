// Choosing, opening and closing a dossier set: state, submission units, plan, columns.
#include "store/SqlDetached.h"
#include "store/SqlIdentifiers.h"
#include "store/SqlQuery.h"
#include "store/ZKError.h"
#include "store/ZKMainDef.h"
#include "templates/FieldValues.h"
#include "workspace/MainDM.h"
#include "workspace/WorkspaceTables.h"
#include "workspace/WorkspaceText.h"

using namespace Qt::StringLiterals;

namespace {

// The filter of the open set's rows in T_TDDW and T_JHK.
QString SetFilter()
{
    const TZKMainDef &def = ZKMainDef();
    return u"PCDM="_s + QuotedLocateValue(def.CurPCDM) + u" AND KLDM="_s + QuotedLocateValue(def.CurKLDM) +
           u" AND JHXZ="_s + QuotedLocateValue(def.CurJHXZ);
}

void BindSetParams(TSqlQuery &query)
{
    const TZKMainDef &def = ZKMainDef();
    SetCodeParam(query, u"pcdm"_s, 1, def.CurPCDM);
    SetCodeParam(query, u"kldm"_s, 1, def.CurKLDM);
    SetCodeParam(query, u"jhxz"_s, 1, def.CurJHXZ);
}

QVariantList QuotedSetCodes()
{
    const TZKMainDef &def = ZKMainDef();
    return {QuotedLocateValue(def.CurPCDM), QuotedLocateValue(def.CurKLDM), QuotedLocateValue(def.CurJHXZ)};
}

} // namespace

void TMainDM::ChangeCurrTDDPc(const QString &DefaultPcDm)
{
    TZKMainDef &def = ZKMainDef();
    int step = 0;
    try {
        QVariantList remembered;
        {
            ShareUse share(*this);
            TSqlQuery table(&UnivShareConn);
            table.OpenTable(u"T_YXZT"_s);
            remembered = {QuotedLocateValue(FieldText(table, u"DQPCDM"_s)),
                          QuotedLocateValue(FieldText(table, u"DQKLDM"_s)),
                          QuotedLocateValue(FieldText(table, u"DQJHXZ"_s))};
        }
        step = 1;
        TSqlQuery query(&UnivConn);
        query.SetSQL(u"select * from t_kljhxzzt"_s);
        if (!DefaultPcDm.isEmpty()) {
            query.SetSQL(QStringList{u"select * from t_kljhxzzt"_s, u"where pcdm = :pcdm"_s});
            SetCodeParam(query, u"pcdm"_s, 1, DefaultPcDm);
        }
        TRecordset rows = OpenDetached(query);
        if (rows.IsEmpty() && !DefaultPcDm.isEmpty()) {
            query.SetSQL(u"select * from t_kljhxzzt"_s);
            rows = OpenDetached(query);
        }
        if (rows.IsEmpty()) {
            FMessageSink->ShowMessage(
                u"目前还没有投出贵院校的任何科类的投档单。\r\n请等待，或与招生办公室联系。"_s,
                u"选择投档单"_s, TMsgIcon::Information);
            return;
        }
        if (!rows.Locate(u"pcdm;kldm;jhxz"_s, remembered))
            rows.First();
        const QString klDm = rows.FieldByName(u"KLDM").AsString();
        const QString jhXz = rows.FieldByName(u"JHXZ").AsString();
        def.CurPCDM = rows.FieldByName(u"PCDM").AsString();
        FMainView->SetFolderButtonCaption(TFolderButton::PC,
                                          def.CurPCDM + u' ' + GetDMMC(TD_PCDM, def.CurPCDM));
        ReadKL_JHXZ();
        ChangeCurrTDDKlJhxz(klDm, jhXz);
    } catch (const EZKError &e) {
        FMessageSink->ShowMessage(u"切换批次第 %1 步出错:\r\n%2"_s.arg(step).arg(e.Message()),
                                  u"打开投档单"_s, TMsgIcon::Warning);
    }
}

void TMainDM::ChangeCurrTDDKlJhxz(const QString &AKlDM, const QString &AJhXz)
{
    TZKMainDef &def = ZKMainDef();
    if (def.IsTDDOpen)
        CloseTDD();
    def.CurKLDM = AKlDM;
    def.CurJHXZ = AJhXz;
    FMainView->SetFolderButtonCaption(TFolderButton::KL_JHXZ, AKlDM + u' ' + GetDMMC(TD_KLDM, AKlDM) +
                                                                  u" - "_s + AJhXz + u' ' +
                                                                  GetDMMC(TD_JHXZDM, AJhXz));
    if (OpenTDD() == 0)
        RememberCurrentSet();
}

void TMainDM::RememberCurrentSet()
{
    const TZKMainDef &def = ZKMainDef();
    try {
        ShareUse share(*this);
        const qint64 row = FirstRowId(UnivShareConn, u"T_YXZT"_s);
        if (row != 0) {
            UpdateRow(UnivShareConn, u"T_YXZT"_s, row,
                      {{u"DQPCDM"_s, def.CurPCDM}, {u"DQKLDM"_s, def.CurKLDM}, {u"DQJHXZ"_s, def.CurJHXZ}});
        }
    } catch (const EZKError &e) {
        FMessageSink->ShowMessage(u"保存院校状态出错:\r\n"_s + e.Message(), u"打开投档单"_s,
                                  TMsgIcon::Warning);
    }
}

int TMainDM::OpenTDD()
{
    FreeSet();
    int step = 0;
    try {
        OpenTDDSteps(step);
    } catch (const EZKError &e) {
        FreeSet();
        FMessageSink->ShowMessage(u"打开投档单第 %1 步出错:\r\n%2"_s.arg(step).arg(e.Message()),
                                  u"打开投档单"_s, TMsgIcon::Warning);
        return 1;
    }
    ShowSetOpened();
    return 0;
}

void TMainDM::OpenTDDSteps(int &step)
{
    step = 0;
    ReadCurrentZT();
    step = 1;
    ReadUnits();
    step = 2;
    ReadMajors();
    step = 3;
    ReadColumnsAndQuery();
    step = 4;
    ReadCandidates();
}

void TMainDM::ShowSetOpened()
{
    TZKMainDef &def = ZKMainDef();
    UpdateYLS();
    SelectedKsList.clear();
    FMainView->SetClientAreaVisible(true);
    FZyStatePanel->ShowPanel();
    def.IsTDDOpen = true;

    FGrid->SetGridVisible(false);
    FGrid->SetRowCount(0);
    FGrid->ClearColumns();
    const int dpi = FMainView->ScreenDotsPerInch();
    for (int i = 0; i < ZKColumn.size(); ++i) {
        const int width = std::max(1, ZKColumn[i].DefaultWidth * dpi / 96);
        FGrid->AddColumn(ZKColumn[i].Desc, i == 0 ? width + 16 : width);
    }
    FZyStatePanel->ClearLists();

    def.TddwFilter = -1;
    def.ZyFilter = -1;
    CurrentKSList.clear();
    CurrentJhList.clear();
    SetCurrentJhList();
    SetCurrentKsList(true);
    FGrid->SetGridVisible(true);
}

void TMainDM::ReadCurrentZT()
{
    TZKMainDef &def = ZKMainDef();
    TRecordset table = OpenTableRows(UnivConn, u"T_KLJHXZZT"_s);
    if (table.Locate(u"pcdm;kldm;jhxz"_s, QuotedSetCodes())) {
        def.CurZT = IntOrDefault(table.FieldByName(u"ZT").Value(), 1);
        def.CurDQTDDBH = IntOrDefault(table.FieldByName(u"DQTDDBH").Value(), 0);
        ZDTDZY = CodeCharValue(table.FieldByName(u"ZDTDZY").AsString());
    }
    SetZTLabel();
}

void TMainDM::SetZTLabel()
{
    const QString name = ZtName(ZKMainDef().CurZT);
    FMainView->SetFolderButtonCaption(TFolderButton::ZT, name.isEmpty() ? QString() : u'[' + name + u']');
}

void TMainDM::ReadUnits()
{
    MB.InitTddwCSMB();
    FCurrentTDDWLookup.clear();
    TRecordset table = OpenTableRows(UnivConn, u"T_TDDW"_s);
    table.SetFilter(SetFilter());
    QList<TMenuItemRec> menu{{u"所有的投档单位"_s, -1, false}, {u"-"_s, 0, false}};
    for (table.First(); !table.Eof(); table.Next()) {
        const int index = int(CurrentTDDWTable.size());
        auto unit = std::make_unique<TCurrentTDDWItem>(
            table.FieldByName(u"TDDWDM").AsString(), table.FieldByName(u"TDDWMC").AsString(),
            MB.GetTddwCSMB(table.FieldByName(u"CSMBH").AsString()));
        if (!FCurrentTDDWLookup.contains(unit->TDDWDM))
            FCurrentTDDWLookup.insert(unit->TDDWDM, index);
        menu.append({unit->TDDWDM + u' ' + unit->TDDWMC, index, false});
        CurrentTDDWTable.push_back(std::move(unit));
    }
    FMainView->SetFolderMenu(TFolderMenu::TDDW, menu);
}

void TMainDM::ReadMajors()
{
    MB.InitZYCSMB();
    FJhLookups = QList<QHash<QString, int>>(qsizetype(CurrentTDDWTable.size()));
    TRecordset table = OpenTableRows(UnivConn, u"T_JHK"_s);
    table.SetFilter(SetFilter());
    JhRecCount = table.RecordCount();
    JhTable.reserve(size_t(JhRecCount) + 2);
    TotalJhs = 0;
    const bool graded = ZKMainDef().RankScoreSupported;
    int r = 0;
    for (table.First(); !table.Eof(); table.Next(), ++r) {
        auto jh = std::make_unique<TJHItem>(&Order);
        jh->SetFJhs(IntOrDefault(table.FieldByName(u"JHZXS").Value(), 0));
        TotalJhs += jh->FJhs();
        jh->ZYDH = table.FieldByName(u"ZYDH").AsString();
        jh->ZyDM = table.FieldByName(u"ZYDM").AsString();
        jh->Zymc = table.FieldByName(u"ZYMC").AsString();
        jh->ZyLbDm = IntOrDefault(table.FieldByName(u"ZYLB").Value(), -1);
        jh->TDDW = GetCurrentTDDWId(table.FieldByName(u"TDDW").AsString());
        jh->JhId = r;
        jh->Xz = table.FieldByName(u"XZNX").AsString();
        jh->CZYHM = table.FieldByName(u"CZYHM").AsString();
        jh->MB = MB.GetZYCSMB(table.FieldByName(u"CSMBH").AsString());
        jh->SetTjSxDm(table.FieldByName(u"TJSXBZ").AsString());
        if (graded)
            ReadMajorCourses(*jh, table.FieldByName(u"yxxckm").AsString(),
                             table.FieldByName(u"jzxckm").AsString());
        if (jh->TDDW >= 0 && !FJhLookups[jh->TDDW].contains(jh->ZYDH))
            FJhLookups[jh->TDDW].insert(jh->ZYDH, r);
        JhTable.push_back(std::move(jh));
    }
    for (int k = 0; k < 2; ++k) {
        auto pseudo = std::make_unique<TJHItem>(&Order);
        pseudo->ZYDH = k == 0 ? ReturnedZYDH : UndecidedZYDH;
        pseudo->Zymc = k == 0 ? QString() : u"未定"_s;
        pseudo->JhId = JhRecCount + k;
        pseudo->IsPseudo = true;
        JhTable.push_back(std::move(pseudo));
    }
    FMainView->SetStatusPanelText(ZKStatusPanel::JhCount, u"计划数"_s + QString::number(TotalJhs));
    FMainView->SetStatusPanelText(ZKStatusPanel::ZyCount, u"专业数"_s + QString::number(JhRecCount));
}

void TMainDM::ReadMajorCourses(TJHItem &jh, const QString &yxxckm, const QString &jzxckm) const
{
    QStringList allowed;
    for (const QString &code : SplitAtBlanksAnd(yxxckm, u','))
        allowed.append(code + GetDMMC(TD_CJXDM, code));
    QStringList forbidden = SplitAtBlanksAnd(jzxckm, u',');
    QStringList masked;
    for (qsizetype i = forbidden.size() - 1; i >= 0; --i) {
        const QString code = forbidden[i];
        const int item = GetDMId(TD_CJXDM, code);
        if (item < 0) {
            forbidden.remove(i);
        } else if (jh.MB && jh.MB->IsRankMasked(CourseRankIdArray.value(item, -1))) {
            forbidden.remove(i);
            masked.prepend(code + GetDMMC(TD_CJXDM, code));
        }
    }
    jh.AllowedCourseStr = allowed.join(u',');
    if (!masked.isEmpty())
        jh.AllowedCourseStr += u'(' + masked.join(u',') + u')';
    QString expr;
    for (const QString &code : forbidden)
        expr = u"%1 and (GKCJX%2 is null)"_s.arg(expr, code);
    jh.NotAllowedCourseExpr = expr.mid(5);
}

void TMainDM::ReadColumnsAndQuery()
{
    try {
        QStringList fields;
        for (const QString &name :
             QStringList{u"ksh"_s, u"xm"_s, u"zyytjzcj"_s, u"zyytfjcj"_s, u"zyhg"_s, u"tjhg"_s, u"tdzy"_s,
                         u"tddw"_s, u"dqtddw"_s, u"zyzytj"_s, u"lqzy"_s, u"ytzy"_s, u"tdyydm"_s, u"lqfs"_s,
                         u"kszt"_s, u"sdbz"_s, u"tjjldm"_s, u"bh"_s, u"zytjfc"_s})
            SortedInsert(fields, name);
        for (const QString &stem : QStringList{u"ZYDH"_s, u"TDDWDM"_s, u"ZYSXDM"_s}) {
            for (int i = 1; i <= 6; ++i)
                SortedInsert(fields, stem + QString::number(i));
        }
        const QStringList requiredFields = fields;
        if (ZKMainDef().RankScoreSupported) {
            for (const QString &name :
                 QStringList{u"zyytdjlx"_s, u"zyytdj"_s, u"zyytdjpx"_s, u"zyytfjdjlx"_s, u"zyytfjdj"_s})
                SortedInsert(fields, name);
        }
        ZKColumn.clear();
        fields = FieldsOfTDDTable(requiredFields, ColumnRows(ZKColumn, fields));
        ColumnNum = int(ZKColumn.size());

        TSqlQuery query(&UnivConn);
        query.SetSQL(QStringList{u"select "_s + fields.join(u',') + u" from t_tdd"_s,
                                 u"where pcdm=:pcdm and kldm=:kldm and jhxz=:jhxz"_s, u"order by ksh"_s});
        BindSetParams(query);
        LQGridQuery = OpenDetached(query);

        int sortColumn = -1;
        for (int i = 0; i < ZKColumn.size(); ++i) {
            if (ZKColumn[i].ColType == u'K')
                sortColumn = i;
        }
        // A layout without a candidate-number column keeps the previous sort column when
        // it exists here, and is shown unsorted otherwise.
        if (sortColumn >= 0)
            SortColIndex = sortColumn;
        else if (SortColIndex >= ColumnNum)
            SortColIndex = -1;
        SetZKColumnMainField();
    } catch (...) {
        LQGridQuery = TRecordset();
        throw;
    }
}

QStringList TMainDM::FieldsOfTDDTable(const QStringList &requiredFields, const QStringList &fields)
{
    // The dossier table of a first set-up has the columns of a province with numeric
    // scores; a graded province's grade columns (and those its layout names) come with
    // its first package. Until then they read as empty instead of keeping the whole set
    // closed. The fields every province has stay required.
    TSqlQuery table(&UnivConn);
    table.SetSQL(u"select * from t_tdd where ksh = \"\""_s);
    table.Open();
    // The layout's field codes are the leader's and go into the select unquoted: only
    // plain identifiers are taken (the table's own columns are such names).
    QStringList kept;
    for (const QString &name : fields) {
        if (IsPlainIdentifier(name) &&
            (requiredFields.contains(name, Qt::CaseInsensitive) || table.FieldIndex(name) >= 0))
            kept.append(name);
    }
    table.Close();
    return kept;
}

QStringList TMainDM::ColumnRows(QList<TZKColumnRec> &columns, QStringList fields)
{
    TSqlQuery query(&UnivConn);
    query.SetSQL(
        QStringList{u"select t_tddzdxhkd.wzsy, ucase(t_tddzdsx.zddh) as zddh, zdmc,"_s,
                    u"  ucase(dmk) as dmk, ucase(zdlx) as zdlx, kd"_s, u"from t_tddzdsx, t_tddzdxhkd"_s,
                    u"where t_tddzdsx.ZDDH=t_tddzdxhkd.ZDDH and t_tddzdxhkd.WZSY>=0"_s,
                    u"  and pcdm=:pcdm and kldm=:kldm and jhxz=:jhxz"_s, u"order by t_tddzdxhkd.wzsy"_s});
    BindSetParams(query);
    for (query.Open(); !query.Eof(); query.Next()) {
        TZKColumnRec column;
        FillZKColumnRec(column, query);
        column.DefaultWidth = IntOrDefault(FieldText(query, u"kd"_s), 0);
        if (QStringView(u"ACDNRSTY").contains(column.ColType) && !column.ColType.isNull())
            SortedInsert(fields, column.Name);
        columns.append(column);
    }
    return fields;
}

void TMainDM::FillZKColumnRec(TZKColumnRec &column, const TSqlQuery &ColumnDataSet) const
{
    column.Name = FieldText(ColumnDataSet, u"zddh"_s).toUpper();
    column.Desc = FieldText(ColumnDataSet, u"zdmc"_s);
    const QString zdlx = FieldText(ColumnDataSet, u"zdlx"_s).toUpper();
    column.ColType = zdlx.isEmpty() ? QChar() : zdlx.at(0);
    column.DMTableIndex = 0;
    column.Tag = 0;
    switch (column.ColType.unicode()) {
    case u'C':
    case u'T':
        column.DMTableIndex = GetDMTableIndex(FieldText(ColumnDataSet, u"dmk"_s));
        break;
    case u'N': {
        column.DMTableIndex = -1;
        if (ZKMainDef().RankScoreSupported && column.Name.startsWith(u"GKCJX"_s)) {
            const int item = GetDMId(TD_CJXDM, column.Name.mid(5, 2));
            column.DMTableIndex = item >= 0 ? CourseRankIdArray.value(item, -1) : -1;
        }
        break;
    }
    case u'R':
        column.DMTableIndex = RankCodeIndex(column.Name.mid(4));
        break;
    case u'J':
        column.Tag = column.Name == u"ZYYTJZCJ"_s     ? 0
                     : column.Name == u"ZYYTDXJZCJ"_s ? 1
                     : column.Name == u"ZYYTDJ"_s     ? 3
                                                      : 2;
        break;
    case u'Z':
        if (column.Name == u"YTZY"_s)
            column.Tag = -1;
        else if (column.Name.startsWith(u"ZYDH"_s))
            column.Tag = IntOrDefault(column.Name.mid(4), 0);
        break;
    default:
        break;
    }
}

void TMainDM::SetZKColumnMainField()
{
    for (TZKColumnRec &column : ZKColumn)
        column.MainField = LQGridQuery.FindField(column.ColType == u'Z' ? u"ZYTJFC"_s : column.Name);
}

void TMainDM::CloseTDD()
{
    TZKMainDef &def = ZKMainDef();
    try {
        SaveColumnWidths();
    } catch (const EZKError &e) {
        FMessageSink->ShowMessage(u"保存投档单显示格式出错:\r\n"_s + e.Message(), u"关闭投档单"_s,
                                  TMsgIcon::Warning);
    }
    SelectedKsList.clear();
    for (int panel = ZKStatusPanel::KsCount; panel <= ZKStatusPanel::ZyCount; ++panel)
        FMainView->SetStatusPanelText(panel, QString());
    FDetailWindow->HideDetailWindow();
    FZyStatePanel->ClearAndHide();
    def.IsTDDOpen = false;
    FMainView->SetClientAreaVisible(false);
    FGrid->SetRowCount(0);
    FreeSet();
    ReloadSignal = true;
}

void TMainDM::SaveColumnWidths()
{
    const TZKMainDef &def = ZKMainDef();
    // The layout rows by set and field, compared exactly as a table cursor locates them.
    QHash<QString, qint64> rows;
    TSqlQuery table(&UnivConn);
    for (table.OpenTable(u"T_TDDZDXHKD"_s); !table.Eof(); table.Next()) {
        const QString key = QStringList{FieldText(table, u"PCDM"_s), FieldText(table, u"KLDM"_s),
                                        FieldText(table, u"JHXZ"_s), FieldText(table, u"ZDDH"_s)}
                                .join(QChar(0));
        if (!rows.contains(key))
            rows.insert(key, table.RowId());
    }
    table.Close();
    const int dpi = std::max(1, FMainView->ScreenDotsPerInch());
    const int shown = std::min<int>(ColumnNum, FGrid->ColumnCount());
    TSqlTransaction transaction(UnivConn);
    for (int i = 0; i < shown; ++i) {
        const QString key =
            QStringList{def.CurPCDM, def.CurKLDM, def.CurJHXZ, ZKColumn[i].Name}.join(QChar(0));
        const auto it = rows.constFind(key);
        if (it == rows.cend())
            continue;
        const int width = FGrid->ColumnWidth(i) - (i == 0 ? 16 : 0);
        UpdateRow(UnivConn, u"T_TDDZDXHKD"_s, *it, {{u"KD"_s, std::max(1, width * 96 / dpi)}});
    }
    transaction.Commit();
}

void TMainDM::FreeSet()
{
    FKsFilterBase.clear();
    FKsFilter.ForgetTexts();
    CurrentKSList.clear();
    CurrentJhList.clear();
    SelectedKsList.clear();
    FocusedKsItem = nullptr;
    KsTable.clear();
    JhTable.clear();
    CurrentTDDWTable.clear();
    FKshLookup.clear();
    FJhLookups.clear();
    FCurrentTDDWLookup.clear();
    KsItemStrValues.clear();
    KsItemDblValues.clear();
    LQGridQuery = TRecordset();
    ZKColumn.clear();
    ColumnNum = 0;
    JhRecCount = 0;
    KsNum = 0;
    TotalJhs = 0;
    TDYYDMField = TDYYBZField = LQFSField = -1;
    MB.Clear();
}
