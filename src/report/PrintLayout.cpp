#include "report/PrintLayout.h"

#include "store/SqlConnection.h"
#include "store/SqlDetached.h"
#include "store/SqlQuery.h"
#include "store/ZKError.h"
#include "store/ZKMainDef.h"
#include "workspace/MainDM.h"
#include "workspace/WorkspaceTables.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

void BindSet(TSqlQuery &query, const QString &pcdm, const QString &kldm, const QString &jhxz)
{
    const TZKMainDef &def = ZKMainDef();
    SetCodeParam(query, pcdm, 1, def.CurPCDM);
    SetCodeParam(query, kldm, 1, def.CurKLDM);
    SetCodeParam(query, jhxz, 1, def.CurJHXZ);
}

double NumberOr(const QString &text, double fallback)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok ? value : fallback;
}

int IntOr(const QString &text, int fallback)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok ? int(value) : fallback;
}

} // namespace

TPrintFonts ReadPrintFonts(TSqlConnection &connection)
{
    TSqlQuery query(&connection);
    query.SetSQL(u"select * from t_print_tdd"_s);
    query.Open();
    TPrintFonts fonts;
    if (query.Eof())
        return fonts;
    fonts.TitleFontName = FieldText(query, u"TitleFontName"_s);
    fonts.TitleFontHeight = NumberOr(FieldText(query, u"TitleFontHeight"_s), fonts.TitleFontHeight);
    fonts.TableFontName = FieldText(query, u"TableFontName"_s);
    fonts.TableFontHeight = NumberOr(FieldText(query, u"TableFontHeight"_s), fonts.TableFontHeight);
    fonts.HeaderHeight = NumberOr(FieldText(query, u"HeaderHeight"_s), fonts.HeaderHeight);
    return fonts;
}

void WritePrintFonts(TSqlConnection &connection, const TPrintFonts &fonts)
{
    const qint64 rowId = FirstRowId(connection, u"t_print_tdd"_s);
    if (rowId == 0)
        throw EZKError(u"(t_print_tdd) 没有打印设置行"_s);
    UpdateRow(connection, u"t_print_tdd"_s, rowId,
              {{u"TitleFontName"_s, fonts.TitleFontName},
               {u"TitleFontHeight"_s, fonts.TitleFontHeight},
               {u"TableFontName"_s, fonts.TableFontName},
               {u"TableFontHeight"_s, fonts.TableFontHeight},
               {u"HeaderHeight"_s, fonts.HeaderHeight}});
}

void StoreFieldPlaces(TSqlConnection &connection, const QList<TFieldPlace> &places, bool allSets)
{
    const QString setCondition = allSets ? QString() : u" and pcdm=:pcdm and kldm=:kldm and jhxz=:jhxz"_s;
    TSqlQuery position(&connection);
    position.SetSQL(u"update t_tddzdxhkd set dywz=:dywz1 where dywz<>:dywz2 and zddh=:zddh"_s + setCondition);
    TSqlQuery width(&connection);
    width.SetSQL(u"update t_tddzdxhkd set dykd=:dykd1 where dykd<>:dykd2 and zddh=:zddh"_s + setCondition);
    for (const TFieldPlace &place : places) {
        position.SetIntParam(u"dywz1"_s, place.DYWZ);
        position.SetIntParam(u"dywz2"_s, place.DYWZ);
        position.SetTextParam(u"zddh"_s, place.ZDDH);
        width.SetIntParam(u"dykd1"_s, place.DYKD);
        width.SetIntParam(u"dykd2"_s, place.DYKD);
        width.SetTextParam(u"zddh"_s, place.ZDDH);
        if (!allSets) {
            BindSet(position, u"pcdm"_s, u"kldm"_s, u"jhxz"_s);
            BindSet(width, u"pcdm"_s, u"kldm"_s, u"jhxz"_s);
        }
        position.ExecSQL();
        width.ExecSQL();
    }
}

QString ProposedPrintTitle()
{
    const TZKMainDef &def = ZKMainDef();
    return def.InstitutionName + def.LoginInfo.SSMC + (def.CurZT == 3 ? u"新生录取名册"_s : u"考生投档单"_s);
}

QString MarkedMajorText(const TZKColumnRec &column, QString text)
{
    if (column.ColType != u'Z' || text.isEmpty())
        return text;
    // The two marks a major text can begin with: the wish order written in front of a real
    // current major (a space when none), and the sign in front of an adjustment text.
    const QChar first = text[0];
    const bool wishOrder = column.Tag == 0 && first >= u'1' && first <= u'9';
    if (wishOrder || first == u'◆')
        text[0] = u'.';
    return text;
}

TTddPrintFields::TTddPrintFields(TMainDM &dm)
    : FDm(dm)
{}

TTddPrintFields::~TTddPrintFields()
{
    FDm.SetTextSource(nullptr, -1);
}

void TTddPrintFields::ReadFields()
{
    TSqlQuery query(&FDm.UnivConn);
    query.SetSQL(QStringList{u"SELECT XH,UCASE(T_TDDZDSX.ZDDH) AS ZDDH,ZDMC,"_s,
                             u"  UCASE(DMK) AS DMK,UCASE(ZDLX) AS ZDLX,DYWZ,T_TDDZDXHKD.DYKD"_s,
                             u"FROM T_TDDZDSX,T_TDDZDXHKD"_s, u"WHERE T_TDDZDSX.ZDDH=T_TDDZDXHKD.ZDDH AND "_s,
                             u"  PCDM=:Pcdm AND KLDM=:Kldm AND JHXZ=:JHXZ"_s, u"ORDER BY XH"_s});
    BindSet(query, u"Pcdm"_s, u"Kldm"_s, u"JHXZ"_s);
    ZKColumn.clear();
    Captions.clear();
    Positions.clear();
    Widths.clear();
    for (query.Open(); !query.Eof(); query.Next()) {
        TZKColumnRec column;
        FDm.FillZKColumnRec(column, query);
        ZKColumn.append(column);
        Captions.append(FieldText(query, u"ZDMC"_s));
        Positions.append(IntOr(FieldText(query, u"DYWZ"_s), -1));
        Widths.append(IntOr(FieldText(query, u"DYKD"_s), 0));
    }
    // A query opened before belongs to other column records.
    if (FQueryOpen)
        OpenQuery();
}

void TTddPrintFields::OpenQuery()
{
    TSqlQuery query(&FDm.UnivConn);
    query.SetSQL(
        QStringList{u"select * from t_tdd"_s, u"where pcdm = :pcdm and kldm = :kldm and jhxz = :jhxz"_s});
    BindSet(query, u"pcdm"_s, u"kldm"_s, u"jhxz"_s);
    FQuery = OpenDetached(query);
    FRowOfKsh.clear();
    const int kshColumn = FQuery.FindField(u"ksh");
    for (int row = 0; kshColumn >= 0 && row < FQuery.StoredRowCount(); ++row)
        FRowOfKsh.insert(FQuery.StoredValue(row, kshColumn).AsString(), row);
    for (TZKColumnRec &column : ZKColumn)
        column.MainField = FQuery.FindField(column.ColType == u'Z' ? u"ZYTJFC"_s : column.Name);
    FQueryOpen = true;
}

void TTddPrintFields::CloseQuery()
{
    FDm.SetTextSource(nullptr, -1);
    FQuery = TRecordset();
    FRowOfKsh.clear();
    FQueryOpen = false;
}

int TTddPrintFields::RowOf(const TKSItem *AKsItem) const
{
    return AKsItem ? FRowOfKsh.value(AKsItem->Ksh, -1) : -1;
}

QString TTddPrintFields::GetTddFieldStr(const TKSItem *AKsItem, int ColumnIndex)
{
    if (!FQueryOpen)
        OpenQuery();
    if (ColumnIndex < 0 || ColumnIndex >= ZKColumn.size())
        return {};
    const TZKColumnRec &column = ZKColumn[ColumnIndex];
    FDm.SetTextSource(&FQuery, RowOf(AKsItem));
    QString text;
    try {
        text = FDm.GetTddFieldStr(AKsItem, column);
    } catch (...) {
        FDm.SetTextSource(nullptr, -1);
        throw;
    }
    FDm.SetTextSource(nullptr, -1);
    return MarkedMajorText(column, text);
}

TTddPrintLayout TTddPrintFields::StoredLayout(const TPrintFonts &fonts, const QString &title) const
{
    TTddPrintLayout layout;
    layout.Title = title;
    layout.TitleFontName = fonts.TitleFontName;
    layout.TitleFontHeight = fonts.TitleFontHeight;
    layout.TableFontName = fonts.TableFontName;
    layout.TableFontHeight = fonts.TableFontHeight;
    layout.RowHeight = int(fonts.HeaderHeight);
    layout.ScreenDpi = 96;
    QList<int> shown;
    for (int n = 0; n < FieldCount(); ++n) {
        if (Positions[n] >= 0)
            shown.append(n);
    }
    std::stable_sort(shown.begin(), shown.end(),
                     [this](int a, int b) { return Positions[a] < Positions[b]; });
    for (int n : shown)
        layout.Columns.append({n, Captions[n], OpeningPrintWidth(Widths[n])});
    return layout;
}
