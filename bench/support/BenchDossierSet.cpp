#include "BenchDossierSet.h"

#include "store/Schema.h"
#include "store/SqlConnection.h"
#include "store/SqlQuery.h"
#include "store/StorageFolder.h"
#include "store/ZKMainDef.h"
#include "workspace/DmTables.h"
#include "workspace/MainDM.h"

#include <QDir>

#include <random>

using namespace Qt::StringLiterals;

namespace BenchSet {

// The 30 shown columns: field, caption, code table, letter.
const QList<QStringList> &Columns()
{
    static const QList<QStringList> columns{{u"KSH"_s, u"考生号"_s, u""_s, u"K"_s},
                                            {u"XM"_s, u"姓名"_s, u""_s, u"X"_s},
                                            {u"XBDM"_s, u"性别"_s, u"TD_XBDM"_s, u"C"_s},
                                            {u"ZYYTJZCJ"_s, u"基准成绩"_s, u""_s, u"J"_s},
                                            {u"ZYYTDXJZCJ"_s, u"调整"_s, u""_s, u"J"_s},
                                            {u"LQZY"_s, u"录取专业"_s, u""_s, u"Z"_s},
                                            {u"YTZY"_s, u"预投专业"_s, u""_s, u"Z"_s},
                                            {u"ZYDH1"_s, u"专业1"_s, u""_s, u"Z"_s},
                                            {u"ZYDH2"_s, u"专业2"_s, u""_s, u"Z"_s},
                                            {u"ZYDH3"_s, u"专业3"_s, u""_s, u"Z"_s},
                                            {u"ZYDH4"_s, u"专业4"_s, u""_s, u"Z"_s},
                                            {u"ZYDH5"_s, u"专业5"_s, u""_s, u"Z"_s},
                                            {u"ZYDH6"_s, u"专业6"_s, u""_s, u"Z"_s},
                                            {u"TDZY"_s, u"投档志愿"_s, u""_s, u"C"_s},
                                            {u"ZYTJFC"_s, u"调剂"_s, u""_s, u"F"_s},
                                            {u"ZYSX"_s, u"受限"_s, u""_s, u"H"_s},
                                            {u"XH"_s, u"序号"_s, u""_s, u"I"_s},
                                            {u"TDDW"_s, u"投档单位"_s, u""_s, u"W"_s},
                                            {u"CJ"_s, u"总分"_s, u""_s, u"A"_s},
                                            {u"BH"_s, u"编号"_s, u""_s, u"B"_s},
                                            {u"ZYZYTJ"_s, u"专业调剂"_s, u""_s, u"D"_s},
                                            {u"ZYHG"_s, u"专业合格"_s, u""_s, u"Y"_s},
                                            {u"TDYYDM"_s, u"退档原因"_s, u"TD_TDYYDM"_s, u"C"_s},
                                            {u"GKCJX01"_s, u"语文"_s, u""_s, u"N"_s},
                                            {u"GKCJX02"_s, u"数学"_s, u""_s, u"N"_s},
                                            {u"XKKM"_s, u"选考"_s, u"TD_CJXDM"_s, u"T"_s},
                                            {u"TZDM"_s, u"特征"_s, u"TD_ZYTZDM"_s, u"T"_s},
                                            {u"BYXX"_s, u"毕业学校"_s, u""_s, u"S"_s},
                                            {u"CJDJ001"_s, u"等级"_s, u""_s, u"R"_s},
                                            {u"SFZH"_s, u"身份证号"_s, u""_s, u"S"_s}};
    return columns;
}

void Exec(TSqlConnection &conn, const QString &sql)
{
    conn.ExecSQL(sql);
}

void CreateReceivedTables(TSqlConnection &conn)
{
    for (const TDmDBFRec &t : DmDBFTable())
        Exec(conn,
             u"create table %1 (%2 text(10) with comp, %3 text(50) with comp, CJXLXDM text(3) with comp)"_s
                 .arg(t.TableName, t.DMField, t.MCField));
    QString tdd = u"create table T_TDD (KSH text(14) with comp, XM text(20) with comp, PCDM binary(2), "
                  "KLDM binary(2), JHXZ binary(2), XBDM text(2) with comp, TDDW text(3) with comp, "
                  "DQTDDW text(3) with comp, "_s;
    for (int i = 1; i <= 6; ++i)
        tdd += u"TDDWDM%1 text(3) with comp, ZYDH%1 text(2) with comp, ZYSXDM%1 text(2) with comp, "_s.arg(i);
    tdd +=
        u"TDZY text(1) with comp, ZYZYTJ text(1) with comp, ZYTJFC text(20) with comp, ZYYTJZCJ double, "
        "ZYYTFJCJ double, ZYYTDXJZCJ double, CJ double, GKCJX01 double, GKCJX02 double, XKKM text(20) with "
        "comp, "
        "TZDM text(10) with comp, CJDJ001 text(10) with comp, BYXX text(30) with comp, ZYHG text(1) with "
        "comp, "
        "TJHG text(1) with comp, TJJLDM text(2) with comp, KSZT text(1) with comp, LQZY text(2) with comp, "
        "YTZY text(2) with comp, TDYYDM text(2) with comp, BZ text(255) with comp, LQFS text(2) with comp, "
        "SDBZ text(1) with comp, BH double, SFZH text(18) with comp, primary key (KSH))"_s;
    for (
        const QString &sql :
        {u"create table TD_ZYLBDM (ZYLBDM long, ZYLBMC text(50) with comp)"_s,
         u"create table t_common_params (rank_score_supported text(1) with comp, rank_perm_code_list "
         u"text(50) "
         "with comp, user_rank_perm_code_list text(50) with comp, req_course_maskable_rank_list text(50) "
         "with "
         "comp, bmb_name text(20) with comp, tjb_name text(20) with comp, fjb_name text(20) with comp)"_s,
         u"insert into t_common_params values (\"0\", \"\", \"\", \"\", \"报名表\", \"体检表\", \"附加表\")"_s,
         u"create table T_KLJHXZZT (PCDM binary(2), KLDM binary(2), JHXZ binary(2), DQTDDBH long, "
         "ZT text(1) with comp, ZDTDZY text(1) with comp)"_s,
         u"insert into T_KLJHXZZT values (\"1\", \"1\", \"1\", 3, \"1\", \"\")"_s,
         u"create table T_TDDW (PCDM text(2) with comp, KLDM text(2) with comp, JHXZ text(2) with comp, "
         "TDDWDM text(3) with comp, TDDWMC text(50) with comp, CSMBH text(10) with comp)"_s,
         u"create table T_JHK (PCDM text(2) with comp, KLDM text(2) with comp, JHXZ text(2) with comp, "
         "TDDW text(3) with comp, ZYDH text(2) with comp, ZYDM text(10) with comp, ZYMC text(50) with comp, "
         "ZYLB text(2) with comp, JHZXS long, XZNX text(2) with comp, CZYHM text(20) with comp, "
         "CSMBH text(10) with comp, TJSXBZ text(50) with comp)"_s,
         u"create table T_TDDWCSMB (MBH text(10) with comp, MBMC text(50) with comp, ZYJBZT text(1) with "
         u"comp, "
         "ZYZYJBZT text(1) with comp, zytj_low_prio text(1) with comp, rank_score_order text(1) with comp)"_s,
         u"insert into T_TDDWCSMB values (\"T1\", \"级差\", \"3\", \"3\", \"0\", \"1\")"_s,
         u"insert into T_TDDWCSMB values (\"T2\", \"调剂靠后\", \"1\", \"2\", \"1\", \"1\")"_s,
         u"create table T_TDDWCSMBZYJCB (MBH text(10) with comp, JCLX text(1) with comp, XH text(1) with "
         u"comp, "
         "JCFS long)"_s,
         u"insert into T_TDDWCSMBZYJCB values (\"T1\", \"1\", \"1\", 5)"_s,
         u"insert into T_TDDWCSMBZYJCB values (\"T1\", \"2\", \"1\", 3)"_s,
         u"create table T_ZYCSMB (MBH text(10) with comp, MBMC text(50) with comp, masked_rank_list text(50) "
         "with comp)"_s,
         tdd})
        Exec(conn, sql);
    for (int c = 1; c <= 12; ++c)
        Exec(conn, u"insert into TD_ZYLBDM values (%1, \"类别%1\")"_s.arg(c));
    for (const QString &sql : {u"insert into TD_XBDM values (\"1\", \"男\", \"\")"_s,
                               u"insert into TD_XBDM values (\"2\", \"女\", \"\")"_s,
                               u"insert into TD_TDYYDM values (\"01\", \"专业不录取\", \"\")"_s,
                               u"insert into TD_ZYTZDM values (\"A\", \"优先\", \"\")"_s,
                               u"insert into TD_PCDM values (\"1\", \"一批\", \"\")"_s,
                               u"insert into TD_KLDM values (\"1\", \"理工\", \"\")"_s,
                               u"insert into TD_JHXZDM values (\"1\", \"非定向\", \"\")"_s,
                               u"insert into TD_CJXDM values (\"01\", \"语文\", \"000\")"_s,
                               u"insert into TD_CJXDM values (\"03\", \"物理\", \"000\")"_s})
        Exec(conn, sql);
}

QString Code(int n, int width)
{
    return u"%1"_s.arg(n, width, 10, QChar(u'0'));
}

void FillPlanAndLayout(TSqlConnection &conn)
{
    for (int u = 1; u <= Units; ++u) {
        Exec(conn, u"insert into T_TDDW values (\"1\", \"1\", \"1\", \"%1\", \"投档单位%1\", \"%2\")"_s.arg(
                       Code(u, 3), u % 3 == 0 ? QString() : (u % 2 ? u"T1"_s : u"T2"_s)));
        for (int m = 1; m <= MajorsPerUnit; ++m) {
            Exec(conn, u"insert into T_JHK values (\"1\", \"1\", \"1\", \"%1\", \"%2\", \"0809%2\", "
                       u"\"专业%1-%2\", \"%3\", "
                       "%4, \"4\", \"bench\", \"\", \"01;02\")"_s.arg(Code(u, 3), Code(m, 2))
                           .arg(m % 12 + 1)
                           .arg(5 + m % 20));
        }
    }
    int position = 0;
    for (const QStringList &c : Columns()) {
        Exec(conn,
             u"insert into T_TDDZDSX (ZDDH, ZDMC, DMK, ZDLX) values (\"%1\", \"%2\", \"%3\", \"%4\")"_s.arg(
                 c[0], c[1], c[2], c[3]));
        Exec(conn,
             u"insert into T_TDDZDXHKD values (\"1\", \"1\", \"1\", \"%1\", %2, 60, 0, 0)"_s.arg(c[0]).arg(
                 position++));
    }
}

void FillCandidates(TSqlConnection &conn, int count)
{
    std::mt19937 random(20240601);
    auto pick = [&random](int n) { return int(random() % unsigned(n)); };
    QStringList names{u"KSH"_s,      u"XM"_s,     u"PCDM"_s,    u"KLDM"_s,    u"JHXZ"_s,   u"XBDM"_s,
                      u"TDDW"_s,     u"DQTDDW"_s, u"TDZY"_s,    u"ZYZYTJ"_s,  u"ZYTJFC"_s, u"ZYYTJZCJ"_s,
                      u"ZYYTFJCJ"_s, u"CJ"_s,     u"GKCJX01"_s, u"GKCJX02"_s, u"XKKM"_s,   u"TZDM"_s,
                      u"CJDJ001"_s,  u"BYXX"_s,   u"ZYHG"_s,    u"TJHG"_s,    u"TJJLDM"_s, u"KSZT"_s,
                      u"LQZY"_s,     u"YTZY"_s,   u"TDYYDM"_s,  u"SDBZ"_s,    u"BH"_s,     u"SFZH"_s};
    for (int i = 1; i <= 6; ++i)
        names << u"TDDWDM%1"_s.arg(i) << u"ZYDH%1"_s.arg(i) << u"ZYSXDM%1"_s.arg(i);
    QStringList params;
    for (const QString &n : names)
        params.append(u':' + n);
    TSqlQuery insert(&conn);
    insert.SetSQL(u"insert into T_TDD (%1) values (%2)"_s.arg(names.join(u','), params.join(u',')));
    for (int k = 0; k < count; ++k) {
        const QString unit = Code(1 + pick(Units), 3);
        QStringList wishes;
        for (int i = 0; i < 6; ++i)
            wishes.append(Code(1 + pick(MajorsPerUnit + 4), 2)); // some codes the unit lacks
        const int kind = pick(100);
        const QString kszt = kind < 40 ? u"1"_s : (kind < 50 ? u"2"_s : (kind < 52 ? u"1"_s : u"0"_s));
        const QString lqzy = kind < 40 ? wishes[0] : (kind < 50 ? u"  "_s : (kind < 52 ? u"99"_s : u" ?"_s));
        QString zytjfc;
        for (int c = 0; c < 12; ++c)
            zytjfc += pick(4) ? u'1' : u'0';
        const QVariantList values{u"2024%1"_s.arg(k, 10, 10, QChar(u'0')),
                                  u"考生%1"_s.arg(k),
                                  u"1"_s,
                                  u"1"_s,
                                  u"1"_s,
                                  Code(1 + pick(2), 1),
                                  unit,
                                  unit,
                                  Code(1 + pick(4), 1),
                                  Code(pick(2), 1),
                                  zytjfc,
                                  450 + pick(500) * 0.5,
                                  pick(20),
                                  500 + pick(300),
                                  pick(10) ? QVariant(60 + pick(90)) : QVariant(),
                                  80 + pick(70),
                                  u"01,03"_s,
                                  u"A"_s,
                                  u"3;1"_s,
                                  u"学校%1"_s.arg(pick(300)),
                                  Code(pick(10) ? 1 : 0, 1),
                                  u"1"_s,
                                  u"1"_s,
                                  kszt,
                                  lqzy,
                                  lqzy == u" ?"_s ? wishes[1] : lqzy,
                                  u"  "_s,
                                  u"0"_s,
                                  1 + pick(3),
                                  u"1101%1"_s.arg(k, 14, 10, QChar(u'0'))};
        for (int c = 0; c < values.size(); ++c)
            insert.SetParam(names[c], values[c]);
        for (int i = 1; i <= 6; ++i) {
            insert.SetParam(u"TDDWDM%1"_s.arg(i), unit);
            insert.SetParam(u"ZYDH%1"_s.arg(i), wishes[i - 1]);
            insert.SetParam(u"ZYSXDM%1"_s.arg(i), u"  "_s);
        }
        insert.ExecSQL();
    }
}

QString PrepareUserFolder(const QString &storageFolder)
{
    TZKMainDef &def = ZKMainDef();
    def.LoginInfo.SSPY = u"BENCH"_s;
    def.LoginInfo.UserName = u"bench"_s;
    def.LoginInfo.StorageFolder = storageFolder + u'/';
    DeriveUserFolders(def.LoginInfo);
    QDir().mkpath(def.LoginInfo.UserFolder);
    const QString univ = def.LoginInfo.UserFolder + UnivDatabaseFileName;
    CreateShippedDatabase(TShippedDatabase::Univ, univ);
    CreateShippedDatabase(TShippedDatabase::UnivShare, def.LoginInfo.UserFolder + UnivShareDatabaseFileName);
    return univ;
}

bool OpenBenchWorkspace(TMainDM &dm, const QString &univ)
{
    TZKMainDef &def = ZKMainDef();
    dm.UnivConn.Open(univ);
    dm.UnivShareConn.SetConnectionString(def.LoginInfo.UserFolder + UnivShareDatabaseFileName);
    if (dm.ReadDMTable() != 0)
        return false;
    def.CurPCDM = def.CurKLDM = def.CurJHXZ = u"1"_s;
    return true;
}

} // namespace BenchSet
