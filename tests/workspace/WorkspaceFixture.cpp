#include "WorkspaceFixture.h"

#include "store/Adtg.h"
#include "store/Schema.h"
#include "store/SqlQuery.h"
#include "store/StorageFolder.h"
#include "store/ZKMainDef.h"

#include <QDir>
#include <QtTest>

using namespace Qt::StringLiterals;

QStringList TFakeMainView::MenuCaptions(TFolderMenu m) const
{
    QStringList captions;
    for (const TMenuItemRec &item : Menus.value(m))
        captions.append(item.Caption);
    return captions;
}

namespace {

QString Row(const QVariantList &row)
{
    QStringList cells;
    for (const QVariant &v : row)
        cells.append(v.isValid() ? SqlValueText(v) : u"NULL"_s);
    return cells.join(u'|');
}

QStringList QueryRows(TSqlConnection &conn, const QString &sql)
{
    TSqlQuery q(&conn);
    q.SetSQL(sql);
    QStringList rows;
    for (q.Open(); !q.Eof(); q.Next())
        rows.append(Row(q.Row()));
    return rows;
}

void WriteProvinceList(const QString &path)
{
    QList<TRecordField> fields;
    for (const char *name : {"SSDM", "SSMC", "SSPY", "FWQDZ", "FWQDKH", "ZYDZ", "ZYDKH", "YHM"})
        fields.append(TRecordField::Define(QString::fromLatin1(name), DBTYPE_WSTR, 50));
    TRecordset set(fields);
    set.AddRow({u"99"_s, u"测试省"_s, u"TS"_s, u"127.0.0.1"_s, u"5000"_s, u""_s, u""_s, u""_s});
    set.AddRow({u"11"_s, u"北京"_s, u"BJ"_s, u"127.0.0.1"_s, u"5000"_s, u""_s, u""_s, u""_s});
    SaveAdtgFile(set, path);
}

} // namespace

TWorkspaceFixture::TWorkspaceFixture(bool graded)
{
    FStorage = FDir.path() + u'/';
    TZKMainDef &def = ZKMainDef();
    def.Reset();
    def.LoginInfo.SSDM = u"99"_s;
    def.LoginInfo.SSPY = u"TS"_s;
    def.LoginInfo.SSMC = u"测试省"_s;
    def.LoginInfo.UserName = u"member1"_s;
    def.LoginInfo.StorageFolder = FStorage;
    DeriveUserFolders(def.LoginInfo);
    FUserFolder = def.LoginInfo.UserFolder;
    if (!QDir().mkpath(FUserFolder))
        qFatal("cannot create the user folder");
    WriteProvinceList(FStorage + ProvinceListFileName);
    CreateShippedDatabase(TShippedDatabase::Univ, FUserFolder + UnivDatabaseFileName);
    CreateShippedDatabase(TShippedDatabase::UnivShare, FUserFolder + UnivShareDatabaseFileName);
    FDm.UnivConn.Open(FUserFolder + UnivDatabaseFileName);
    // The fixture's files need not survive a power cut.
    FDm.UnivConn.ExecSQL(u"PRAGMA synchronous = OFF"_s);
    FDm.UnivShareConn.SetConnectionString(JetConnectionPrefix + FUserFolder + UnivShareDatabaseFileName);
    FShare.SetConnectionString(FUserFolder + UnivShareDatabaseFileName);
    FDm.SetMainView(&View);
    FDm.SetZyStatePanel(&Panel);
    FDm.SetGrid(&Grid);
    FDm.SetMessageSink(&Messages);
    FDm.SetClipboard(&Clipboard);
    FDm.SetDocumentOpener(&Opener);
    FDm.SetDetailWindow(&Detail);
    CreateTables(graded);
    FillCodeTables(graded);
    FillPlan();
    ExecShare({u"update T_YXZT set YXDM = \"10001\", YXMC = \"测试大学\", DQPCDM = \"1\", DQKLDM = \"1\", "
               "DQJHXZ = \"1\", TDDXSDM = \"0\", zy_state_report = \"1\", ZDPCDM = \"1\""_s});
    for (const QStringList &c : QList<QStringList>{{u"KSH"_s, u"考生号"_s, u""_s, u"K"_s},
                                                   {u"XM"_s, u"姓名"_s, u""_s, u"X"_s},
                                                   {u"XBDM"_s, u"性别"_s, u"TD_XBDM"_s, u"C"_s},
                                                   {u"ZYYTJZCJ"_s, u"基准成绩"_s, u""_s, u"J"_s},
                                                   {u"ZYYTDXJZCJ"_s, u"调整成绩"_s, u""_s, u"J"_s},
                                                   {u"LQZY"_s, u"录取专业"_s, u""_s, u"Z"_s},
                                                   {u"YTZY"_s, u"预投专业"_s, u""_s, u"Z"_s},
                                                   {u"ZYDH1"_s, u"专业1"_s, u""_s, u"Z"_s},
                                                   {u"ZYDH2"_s, u"专业2"_s, u""_s, u"Z"_s},
                                                   {u"TDZY"_s, u"投档志愿"_s, u""_s, u"C"_s},
                                                   {u"ZYTJFC"_s, u"专业调剂服从"_s, u""_s, u"F"_s},
                                                   {u"ZYSX"_s, u"体检受限"_s, u""_s, u"H"_s},
                                                   {u"XH"_s, u"序号"_s, u""_s, u"I"_s},
                                                   {u"TDDW"_s, u"投档单位"_s, u""_s, u"W"_s},
                                                   {u"CJ"_s, u"总分"_s, u""_s, u"A"_s},
                                                   {u"BH"_s, u"编号"_s, u""_s, u"B"_s},
                                                   {u"ZYZYTJ"_s, u"专业调剂"_s, u""_s, u"D"_s},
                                                   {u"ZYHG"_s, u"专业合格"_s, u""_s, u"Y"_s},
                                                   {u"TDYYDM"_s, u"退档原因"_s, u"td_tdyydm"_s, u"C"_s},
                                                   {u"GKCJX01"_s, u"语文"_s, u""_s, u"N"_s},
                                                   {u"XKKM"_s, u"选考科目"_s, u"TD_CJXDM"_s, u"T"_s},
                                                   {u"TZDM"_s, u"志愿特征"_s, u"TD_ZYTZDM"_s, u"T"_s},
                                                   {u"BYXX"_s, u"毕业学校"_s, u""_s, u"S"_s},
                                                   {u"CJDJ001"_s, u"等级"_s, u""_s, u"R"_s},
                                                   {u"QT"_s, u"其他"_s, u""_s, u"Q"_s}})
        AddColumn(c[0], c[1], c[2], c[3]);
    // A field of the layout that is not shown.
    Exec({u"insert into T_TDDZDSX (ZDDH, ZDMC, DMK, ZDLX) values (\"SFZH\", \"身份证号\", \"\", \"S\")"_s,
          u"insert into T_TDDZDXHKD (PCDM, KLDM, JHXZ, ZDDH, WZSY, KD, DYWZ, DYKD) "
          "values (\"1\", \"1\", \"1\", \"SFZH\", -1, 80, -1, 80)"_s});
}

TWorkspaceFixture::~TWorkspaceFixture()
{
    ZKMainDef().Reset();
}

void TWorkspaceFixture::Exec(const QStringList &statements)
{
    for (const QString &s : statements)
        Univ().ExecSQL(s);
}

QStringList TWorkspaceFixture::Rows(const QString &sql)
{
    return QueryRows(Univ(), sql);
}

QVariant TWorkspaceFixture::Scalar(const QString &sql)
{
    TSqlQuery q(&Univ());
    q.SetSQL(sql);
    q.Open();
    return q.Eof() ? QVariant() : q.Value(0);
}

void TWorkspaceFixture::ExecShare(const QStringList &statements)
{
    FShare.Open();
    for (const QString &s : statements)
        FShare.ExecSQL(s);
    FShare.Close();
}

QStringList TWorkspaceFixture::ShareRows(const QString &sql)
{
    FShare.Open();
    const QStringList rows = QueryRows(FShare, sql);
    FShare.Close();
    return rows;
}

void TWorkspaceFixture::CreateTables(bool graded)
{
    for (const TDmDBFRec &t : DmDBFTable()) {
        QString extra;
        if (t.TableName == u"TD_CJXDM"_s)
            extra = u", CJXLXDM text(3) with comp"_s;
        else if (t.TableName == u"TD_KLDM"_s)
            extra = u", JBKL text(10) with comp"_s;
        else if (t.TableName == u"TD_PCDM"_s)
            extra = u", GBPCDM text(10) with comp, GBCCDM text(10) with comp"_s;
        else if (t.TableName == u"TD_ZCDM"_s)
            extra = u", ZGF long, XDX text(1) with comp"_s;
        Exec({u"create table %1 (%2 text(10) with comp, %3 text(50) with comp%4, primary key (%2))"_s.arg(
            t.TableName, t.DMField, t.MCField, extra)});
    }
    QString tdd = u"create table T_TDD (KSH text(14) with comp, XM text(20) with comp, PCDM binary(2), "
                  "KLDM binary(2), JHXZ binary(2), XBDM text(2) with comp, TDDW text(3) with comp, "
                  "DQTDDW text(3) with comp, "_s;
    for (int i = 1; i <= 6; ++i)
        tdd += u"TDDWDM%1 text(3) with comp, ZYDH%1 text(2) with comp, ZYSXDM%1 text(2) with comp, "_s.arg(i);
    tdd +=
        u"TDZY text(1) with comp, ZYZYTJ text(1) with comp, ZYTJFC text(20) with comp, ZYYTJZCJ double, "
        "ZYYTFJCJ double, ZYYTDXJZCJ double, CJ double, GKCJX01 double, GKCJX03 double, GKCJX05 text(10) with comp, "
        "XKKM text(20) with comp, TZDM text(10) with comp, CJDJ001 text(10) with comp, "
        "BYXX text(30) with comp, ZYHG text(1) with comp, TJHG text(1) with comp, TJJLDM text(2) with comp, "
        "KSZT text(1) with comp, LQZY text(2) with comp, YTZY text(2) with comp, TDYYDM binary(4), "
        "BZ text(255) with comp, LQFS text(2) with comp, SDBZ text(1) with comp, BH double, "
        "TASK_TAG text(1) with comp, ZYYTDJLX text(20) with comp, ZYYTDJ text(20) with comp, ZYYTDJPX long, "
        "ZYYTFJDJLX text(20) with comp, ZYYTFJDJ text(20) with comp, SFZH text(18) with comp, "
        "primary key (KSH))"_s;
    Exec(
        {u"create table TD_ZYLBDM (ZYLBDM long, ZYLBMC text(50) with comp)"_s,
         u"create table TD_ZYSXDM (ZYSXDM text(2) with comp, ZYSXNR text(100) with comp)"_s,
         u"create table td_cjxlxdm (CJXLXDM text(3) with comp, CJXLXMC text(20) with comp, CJXSM long)"_s,
         u"create table td_djdm (cjxlxdm text(3) with comp, cj long, dj text(10) with comp)"_s,
         u"create table t_common_params (rank_score_supported text(1) with comp, "
         "rank_perm_code_list text(100) with comp, user_rank_perm_code_list text(100) with comp, "
         "req_course_maskable_rank_list text(100) with comp, bmb_name text(20) with comp, "
         "tjb_name text(20) with comp, fjb_name text(20) with comp)"_s,
         u"create table T_KLJHXZZT (PCDM binary(2), KLDM binary(2), JHXZ binary(2), DQTDDBH long, "
         "ZT text(1) with comp, DQTDDWDM text(3) with comp, DQZYDH text(2) with comp, PXZDDH text(10) with "
         "comp, "
         "ZDTDZY text(1) with comp)"_s,
         u"create table T_TDDW (PCDM text(2) with comp, KLDM text(2) with comp, JHXZ text(2) with comp, "
         "TDDWDM text(3) with comp, TDDWMC text(50) with comp, CSMBH text(10) with comp)"_s,
         u"create table T_JHK (PCDM text(2) with comp, KLDM text(2) with comp, JHXZ text(2) with comp, "
         "TDDW text(3) with comp, ZYDH text(2) with comp, ZYDM text(10) with comp, ZYMC text(50) with comp, "
         "ZYLB text(2) with comp, JHZXS long, XZNX text(2) with comp, CZYHM text(20) with comp, "
         "CSMBH text(10) with comp, TJSXBZ text(50) with comp, yxxckm text(50) with comp, "
         "jzxckm text(50) with comp)"_s,
         u"create table T_TDDWCSMB (MBH text(10) with comp, MBMC text(50) with comp, ZYJBZT text(1) with "
         u"comp, "
         "ZYZYJBZT text(1) with comp, zytj_low_prio text(1) with comp, rank_score_order text(1) with comp)"_s,
         u"create table T_TDDWCSMBZYJCB (MBH text(10) with comp, JCLX text(1) with comp, XH text(1) with "
         u"comp, "
         "JCFS long)"_s,
         u"create table T_ZYCSMB (MBH text(10) with comp, MBMC text(50) with comp, "
         "masked_rank_list text(50) with comp)"_s,
         tdd});
    Exec({u"insert into t_common_params values (\"%1\", \"001/C03\", \"C05\", \"001 002,009\", "
          "\"报名表\", \"体检表\", \"附加表\")"_s.arg(graded ? u"1"_s : u"0"_s)});
}

void TWorkspaceFixture::FillCodeTables(bool graded)
{
    auto codes = [this](const QString &table, const QList<QPair<QString, QString>> &rows) {
        for (const auto &[dm, mc] : rows)
            Exec({u"insert into %1 values (\"%2\", \"%3\")"_s.arg(table, dm, mc)});
    };
    Exec({u"insert into TD_CJXDM values (\"01\", \"语文\", \"000\")"_s,
          u"insert into TD_CJXDM values (\"02\", \"数学\", \"000\")"_s,
          u"insert into TD_CJXDM values (\"03\", \"物理\", \"%1\")"_s.arg(graded ? u"001"_s : u"000"_s),
          u"insert into TD_CJXDM values (\"04\", \"化学\", \"%1\")"_s.arg(graded ? u"001"_s : u"000"_s),
          u"insert into TD_CJXDM values (\"05\", \"生物\", \"%1\")"_s.arg(graded ? u"002"_s : u"000"_s),
          u"insert into TD_KLDM values (\"1\", \"理工\", \"\")"_s,
          u"insert into TD_KLDM values (\"2\", \"文史\", \"\")"_s,
          u"insert into TD_PCDM values (\"1\", \"本科一批\", \"1\", \"1\")"_s,
          u"insert into TD_PCDM values (\"2\", \"本科二批\", \"2\", \"1\")"_s,
          u"insert into TD_ZCDM values (\"01\", \"烈士子女\", 10, \"1\")"_s,
          u"insert into TD_ZCDM values (\"02\", \"少数民族\", 5, \"0\")"_s});
    codes(u"TD_JHXZDM"_s, {{u"1"_s, u"非定向"_s}});
    codes(u"TD_LQFSDM"_s, {{u"01"_s, u"普通"_s}});
    codes(u"TD_TDYYDM"_s, {{u"01"_s, u"专业不录取"_s}, {u"02"_s, u"体检不合格"_s}, {u"03"_s, u"其他"_s}});
    codes(u"TD_TJJLDM"_s, {{u"1"_s, u"合格"_s}, {u"3"_s, u"不合格"_s}});
    codes(u"TD_XBDM"_s, {{u"1"_s, u"男"_s}, {u"2"_s, u"女"_s}});
    codes(u"TD_ZYTZDM"_s, {{u"A"_s, u"优先"_s}, {u"B"_s, u"定向"_s}});
    Exec({u"insert into TD_ZYLBDM values (1, \"工学\")"_s, u"insert into TD_ZYLBDM values (2, \"理学\")"_s,
          u"insert into TD_ZYLBDM values (5, \"医学\")"_s,
          u"insert into TD_ZYSXDM values (\"01\", \"色盲不宜\")"_s,
          u"insert into td_cjxlxdm values (\"000\", \"数值\", 0)"_s,
          u"insert into td_cjxlxdm values (\"002\", \"合格性\", 2)"_s,
          u"insert into td_cjxlxdm values (\"001\", \"等级\", 4)"_s,
          u"insert into td_djdm values (\"001\", 0, \"D\")"_s,
          u"insert into td_djdm values (\"001\", 1, \"C\")"_s,
          u"insert into td_djdm values (\"001\", 2, \"B\")"_s,
          u"insert into td_djdm values (\"001\", 3, \"A\")"_s,
          u"insert into td_djdm values (\"002\", 0, \"不合格\")"_s,
          u"insert into td_djdm values (\"002\", 2, \"合格\")"_s});
}

void TWorkspaceFixture::FillPlan()
{
    Exec({u"insert into T_KLJHXZZT values (\"1\", \"1\", \"1\", 2, \"1\", \"\", \"\", \"KSH\", \"3\")"_s,
          u"insert into T_KLJHXZZT values (\"1\", \"2\", \"1\", 0, \"2\", \"\", \"\", \"KSH\", \"\")"_s,
          u"insert into T_KLJHXZZT values (\"2\", \"1\", \"1\", 0, \"0\", \"\", \"\", \"KSH\", \"\")"_s,
          u"insert into T_TDDW values (\"1\", \"1\", \"1\", \"001\", \"一志愿投档\", \"T1\")"_s,
          u"insert into T_TDDW values (\"1\", \"1\", \"1\", \"002\", \"二志愿投档\", \"\")"_s,
          u"insert into T_TDDW values (\"1\", \"2\", \"1\", \"001\", \"文史投档\", \"\")"_s,
          u"insert into T_TDDWCSMB values (\"T1\", \"普通模板\", \"2\", \"2\", \"0\", \"1\")"_s,
          u"insert into T_ZYCSMB values (\"Z1\", \"专业模板\", \"\")"_s});
    const QString jhk =
        u"insert into T_JHK values (\"1\", \"1\", \"1\", \"%1\", \"%2\", \"%3\", \"%4\", \"%5\", %6, "
        "\"4\", \"%7\", \"%8\", \"%9\", \"\", \"\")"_s;
    Exec({jhk.arg(u"001"_s, u"01"_s, u"080901"_s, u"计算机科学与技术"_s, u"1"_s, u"2"_s, u"member1"_s,
                  u"Z1"_s, u"01;02;01"_s),
          jhk.arg(u"001"_s, u"02"_s, u"070101"_s, u"数学与应用数学"_s, u"2"_s, u"1"_s, u"member1"_s, u""_s,
                  u""_s),
          jhk.arg(u"002"_s, u"03"_s, u"070201"_s, u"物理学"_s, u"5"_s, u"1"_s, u"member1"_s, u""_s, u""_s),
          jhk.arg(u"001"_s, u"04"_s, u"070301"_s, u"化学"_s, u"x"_s, u"1"_s, u"other"_s, u""_s, u""_s),
          jhk.arg(u"009"_s, u"05"_s, u"071001"_s, u"生物科学"_s, u"1"_s, u"-3"_s, u"member1"_s, u""_s,
                  u""_s)});
}

void TWorkspaceFixture::AddCandidate(const TFixtureCandidate &c, const QString &pcdm, const QString &kldm,
                                     const QString &jhxz)
{
    QMap<QString, QVariant> values{{u"KSH"_s, c.KSH},
                                   {u"XM"_s, c.XM},
                                   {u"PCDM"_s, pcdm},
                                   {u"KLDM"_s, kldm},
                                   {u"JHXZ"_s, jhxz},
                                   {u"XBDM"_s, c.XBDM},
                                   {u"TDDW"_s, c.TDDW},
                                   {u"DQTDDW"_s, c.DQTDDW.isEmpty() ? c.TDDW : c.DQTDDW},
                                   {u"KSZT"_s, c.KSZT},
                                   {u"LQZY"_s, c.LQZY},
                                   {u"YTZY"_s, c.YTZY},
                                   {u"ZYYTJZCJ"_s, c.ZYYTJZCJ},
                                   {u"ZYYTFJCJ"_s, c.ZYYTFJCJ},
                                   {u"ZYHG"_s, c.ZYHG},
                                   {u"TJHG"_s, c.TJHG},
                                   {u"TDZY"_s, c.TDZY},
                                   {u"ZYZYTJ"_s, c.ZYZYTJ},
                                   {u"TDYYDM"_s, c.TDYYDM},
                                   {u"BZ"_s, c.BZ},
                                   {u"TJJLDM"_s, c.TJJLDM},
                                   {u"SDBZ"_s, c.SDBZ},
                                   {u"BH"_s, c.BH},
                                   {u"ZYTJFC"_s, c.ZYTJFC}};
    for (int i = 1; i <= 6; ++i) {
        values[u"ZYDH%1"_s.arg(i)] = c.ZYDH.value(i - 1, u"  "_s);
        values[u"TDDWDM%1"_s.arg(i)] = c.TDDWDM.value(i - 1, c.TDDW);
        values[u"ZYSXDM%1"_s.arg(i)] = c.ZYSXDM.value(i - 1, u"  "_s);
    }
    for (auto it = c.Extra.begin(); it != c.Extra.end(); ++it)
        values[it.key()] = it.value();
    QStringList params;
    for (int i = 0; i < values.size(); ++i)
        params.append(u":p%1"_s.arg(i));
    TSqlQuery q(&Univ());
    q.SetSQL(u"insert into T_TDD (%1) values (%2)"_s.arg(values.keys().join(u", "_s), params.join(u", "_s)));
    int i = 0;
    for (const QVariant &v : values)
        q.SetParam(u"p%1"_s.arg(i++), v);
    q.ExecSQL();
}

void TWorkspaceFixture::AddColumn(const QString &zddh, const QString &zdmc, const QString &dmk,
                                  const QString &zdlx, int kd)
{
    TSqlQuery q(&Univ());
    q.SetSQL(u"insert into T_TDDZDSX (ZDDH, ZDMC, DMK, ZDLX) values (:zddh, :zdmc, :dmk, :zdlx)"_s);
    q.SetParam(u"zddh"_s, zddh);
    q.SetParam(u"zdmc"_s, zdmc);
    q.SetParam(u"dmk"_s, dmk);
    q.SetParam(u"zdlx"_s, zdlx);
    q.ExecSQL();
    q.SetSQL(u"insert into T_TDDZDXHKD (PCDM, KLDM, JHXZ, ZDDH, WZSY, KD, DYWZ, DYKD) "
             "values (\"1\", \"1\", \"1\", :zddh, :wzsy, :kd, 0, 0)"_s);
    q.SetParam(u"zddh"_s, zddh);
    q.SetParam(u"wzsy"_s, FColumnPosition++);
    q.SetParam(u"kd"_s, kd);
    q.ExecSQL();
}

QStringList TWorkspaceFixture::DefaultColumns()
{
    return {u"KSH"_s,   u"XM"_s,    u"XBDM"_s,    u"ZYYTJZCJ"_s, u"ZYYTDXJZCJ"_s, u"LQZY"_s,    u"YTZY"_s,
            u"ZYDH1"_s, u"ZYDH2"_s, u"TDZY"_s,    u"ZYTJFC"_s,   u"ZYSX"_s,       u"XH"_s,      u"TDDW"_s,
            u"CJ"_s,    u"BH"_s,    u"ZYZYTJ"_s,  u"ZYHG"_s,     u"TDYYDM"_s,     u"GKCJX01"_s, u"XKKM"_s,
            u"TZDM"_s,  u"BYXX"_s,  u"CJDJ001"_s, u"QT"_s};
}

void TWorkspaceFixture::SetColumns(const QList<QStringList> &columns)
{
    Exec({u"delete from T_TDDZDXHKD"_s, u"delete from T_TDDZDSX"_s});
    FColumnPosition = 0;
    for (const QStringList &c : columns)
        AddColumn(c[0], c[1], c[2], c[3]);
}

void TWorkspaceFixture::Open()
{
    QCOMPARE(FDm.ReadDMTable(), 0);
    FDm.ChangeCurrTDDPc(QString());
}

TKSItem *TWorkspaceFixture::Ks(const QString &ksh)
{
    const int id = FDm.GetKsId(ksh);
    return id < 0 ? nullptr : FDm.KsTable[size_t(id)].get();
}

QString TWorkspaceFixture::Cell(const QString &ksh, const QString &column)
{
    const int c = FDm.ColumnIndexOf(column);
    if (c < 0)
        qFatal("no column %s", qPrintable(column));
    return FDm.GetTddFieldStr(Ks(ksh), FDm.ZKColumn[c]);
}

QStringList TWorkspaceFixture::Shown() const
{
    QStringList kshs;
    for (const TKSItem *ks : FDm.CurrentKSList)
        kshs.append(ks->Ksh);
    return kshs;
}

QStringList TWorkspaceFixture::InMajor(int JhId) const
{
    QStringList kshs;
    for (const TKSItem *ks : FDm.Jh(JhId)->KsList)
        kshs.append(ks->Ksh);
    return kshs;
}

void TWorkspaceFixture::Select(const QStringList &kshs)
{
    Grid.ClearSelection();
    Grid.Focused = -1;
    for (const QString &ksh : kshs) {
        TKSItem *ks = Ks(ksh);
        Grid.SelectRow(ks->KsIndex);
        if (Grid.Focused < 0)
            Grid.SetFocusedRow(ks->KsIndex);
    }
}
