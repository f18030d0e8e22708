// Every statement the program issues, exactly as written in its operation (built the
// same way where it is assembled from parts), run against a small database of three
// dossier sets, with the rows or changes each must give.
//
// A case: setup statements, the statement's lines, its parameters, and either the
// number of changed rows plus a query whose rows are checked afterwards, or (for a
// select) the rows of the statement itself. Parameters are written "name@width=code"
// (SetCodeParam), "name#=number" or "name=text". A check "@a,b" compares the
// statement's own rows on those fields only. "{SRC}" stands for the double-quoted path
// of the database file, as the export writes its source.

#include "SqlTestDb.h"
#include "store/Schema.h"
#include "store/SqlError.h"
#include "store/SqlQuery.h"

#include <QtTest>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr int IsQuery = -1;
constexpr int MustFail = -2;

QString Ksh(int n)
{
    return u"121101010000%1"_s.arg(n, 2, 10, QChar(u'0'));
}

QString Q(const QString &text)
{
    return u'"' + text + u'"';
}

// The table definition of the recordset loader: "%s%s %s," per field, then
// "%sprimary key (%s)" when there are keys, else the last comma dropped.
QString CreateTableStatement(const QString &table, const QList<QPair<QString, QString>> &fields,
                             const QStringList &keys)
{
    QString columns;
    for (const auto &[name, type] : fields)
        columns = u"%1%2 %3,"_s.arg(columns, name, type);
    if (!keys.isEmpty())
        columns = u"%1primary key (%2)"_s.arg(columns, keys.join(u','));
    else
        columns.chop(1);
    return u"create table %1 (%2)"_s.arg(table, columns);
}

// The three lines of the column copy from a table's saved copy.
QStringList ModifyTableLines(const QString &table, const QStringList &setFields, const QStringList &keyFields)
{
    const QString tmp = table + u"_tmp"_s;
    QString assignments;
    for (const QString &f : setFields)
        assignments = u"%1%2.%3=%4.%3,"_s.arg(assignments, table, f, tmp);
    assignments.chop(1);
    QString condition;
    for (const QString &k : keyFields)
        condition = u"%1 and %2.%3=%4.%3"_s.arg(condition, table, k, tmp);
    condition = condition.mid(5);
    QStringList lines{u"update "_s + table + u","_s + tmp, u"set "_s + assignments};
    if (!condition.isEmpty())
        lines.append(u"where "_s + condition);
    return lines;
}

// The layout rebuild for the screen class w ("1024" or "1024_rank").
QStringList LayoutRebuildLines(const QString &w, bool rank)
{
    QStringList lines{u"INSERT INTO T_TDDZDXHKD"_s, u"  (PCDM, KLDM, JHXZ, ZDDH, WZSY, KD, DYWZ, DYKD)"_s,
                      u"SELECT PCDM, KLDM, JHXZ, ZDDH, WZSY"_s + w + u", "_s,
                      u"  QSKD"_s + w + u", WZSY"_s + w + u", DYKD"_s, u"FROM T_TDDZDSX, T_KLJHXZZT"_s};
    if (!rank)
        lines.append(u"WHERE rank_only <> \"1\""_s);
    return lines;
}

const QString SetCondition = u"where pcdm = :pcdm and kldm = :kldm and jhxz = :jhxz"_s;
const QString UnitCondition = u"  and tddw = :tddw"_s;

QStringList SetParams(const char *pcdm, const char *kldm, const char *jhxz, const QString &prefix = QString())
{
    const auto code = [&](const char *name, const char *value) -> QString {
        return prefix + QLatin1StringView(name) + u"@1="_s + QLatin1StringView(value);
    };
    return {code("pcdm", pcdm), code("kldm", kldm), code("jhxz", jhxz)};
}

// The choice-satisfaction expressions, each built from its format.
QString SatisfactionExpressions()
{
    QString expressions;
    for (int i = 1; i <= 6; ++i) {
        QString x;
        for (int j = 1; j < i; ++j)
            x = u"%1 and ((tddwdm%2<>dqtddw) or (zydh%2<>lqzy))"_s.arg(x).arg(j);
        expressions =
            u"%1,sum(iif((kszt in (\"1\", \"4\", \"5\"))%2 and (tddwdm%3=dqtddw) and (zydh%3=lqzy),1,0)) "
            "as zy%3_num"_s.arg(expressions, x)
                .arg(i);
    }
    return expressions;
}

// The selection condition of the export for the chosen sets.
QString SelectionCondition(const QStringList &sets)
{
    QString list;
    for (const QString &set : sets)
        list += set + u';';
    return u"instr(1, "_s + Q(list) + u", pcdm + kldm + jhxz, 0) > 0"_s;
}

// The candidate query's field list: the fixed names, the six wish columns of each kind
// and the shown fields, sorted without duplicates (ignoring case), joined by ",".
QString CandidateFieldList(const QStringList &shown)
{
    QStringList names =
        u"ksh, xm, zyytjzcj, zyytfjcj, zyhg, tjhg, tdzy, tddw, dqtddw, zyzytj, lqzy, ytzy, tdyydm, "
        "lqfs, kszt, sdbz, tjjldm, bh, zytjfc"_s.split(u", "_s);
    for (const char *stem : {"ZYDH", "TDDWDM", "ZYSXDM"}) {
        for (int i = 1; i <= 6; ++i)
            names.append(QLatin1StringView(stem) + QString::number(i));
    }
    names += shown;
    QStringList unique;
    for (const QString &n : std::as_const(names)) {
        if (!unique.contains(n, Qt::CaseInsensitive))
            unique.append(n);
    }
    std::sort(unique.begin(), unique.end(),
              [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return unique.join(u',');
}

QList<QPair<QString, QString>> TddFields()
{
    QList<QPair<QString, QString>> f{
        {u"KSH"_s, u"text(14) with comp"_s}, {u"XM"_s, u"text(20) with comp"_s},
        {u"PCDM"_s, u"text(1) with comp"_s}, {u"KLDM"_s, u"text(1) with comp"_s},
        {u"JHXZ"_s, u"text(1) with comp"_s}, {u"XBDM"_s, u"text(1) with comp"_s},
        {u"TDDW"_s, u"text(3) with comp"_s}, {u"DQTDDW"_s, u"text(3) with comp"_s}};
    for (int i = 1; i <= 6; ++i) {
        f.append({u"TDDWDM%1"_s.arg(i), u"text(3) with comp"_s});
        f.append({u"ZYDH%1"_s.arg(i), u"text(2) with comp"_s});
        f.append({u"ZYSXDM%1"_s.arg(i), u"text(2) with comp"_s});
    }
    f += {{u"TDZY"_s, u"text(1) with comp"_s},
          {u"ZYZYTJ"_s, u"text(1) with comp"_s},
          {u"ZYTJFC"_s, u"text(20) with comp"_s},
          {u"ZYYTJZCJ"_s, u"double"_s},
          {u"ZYYTFJCJ"_s, u"double"_s},
          {u"GKCJX01"_s, u"short"_s},
          {u"GKCJX02"_s, u"double"_s},
          {u"ZYHG"_s, u"text(1) with comp"_s},
          {u"TJHG"_s, u"text(1) with comp"_s},
          {u"TJJLDM"_s, u"text(1) with comp"_s},
          {u"KSZT"_s, u"text(1) with comp"_s},
          {u"LQZY"_s, u"text(2) with comp"_s},
          {u"YTZY"_s, u"text(2) with comp"_s},
          {u"TDYYDM"_s, u"text(2) with comp"_s},
          {u"BZ"_s, u"text with comp"_s},
          {u"LQFS"_s, u"text(2) with comp"_s},
          {u"SDBZ"_s, u"text(1) with comp"_s},
          {u"BH"_s, u"long"_s},
          {u"TASK_TAG"_s, u"text(1) with comp"_s}};
    return f;
}

// One dossier: set "pcdm kldm jhxz" as three characters, choices "unit/major …",
// scores "ZYYTJZCJ, GKCJX01, GKCJX02" as SQL values.
QString Dossier(int n, const char *xm, const char *set, const char *xbdm, const char *tddw,
                const char *dqtddw, const char *choices, const char *scores, const char *kszt,
                const char *lqzy, const char *tdyydm, const char *bz, int bh)
{
    const QString s = QLatin1StringView(set);
    QStringList units;
    QStringList majors;
    for (const QString &c : QString::fromLatin1(choices).split(u' ', Qt::SkipEmptyParts)) {
        units.append(Q(c.section(u'/', 0, 0)));
        majors.append(Q(c.section(u'/', 1, 1)));
    }
    while (units.size() < 6) {
        units.append(Q(u"   "_s));
        majors.append(Q(u"  "_s));
    }
    QStringList choiceColumns;
    QStringList choiceValues;
    for (int i = 0; i < 6; ++i) {
        choiceColumns << u"TDDWDM%1"_s.arg(i + 1) << u"ZYDH%1"_s.arg(i + 1);
        choiceValues << units[i] << majors[i];
    }
    return u"insert into T_TDD (KSH, XM, PCDM, KLDM, JHXZ, XBDM, TDDW, DQTDDW, %1, ZYYTJZCJ, GKCJX01, "
           u"GKCJX02, "
           "KSZT, LQZY, YTZY, TDYYDM, BZ, LQFS, BH, TASK_TAG) values (%2, %3, %4, %5, %6, %7, %8, %9, %10, "
           "%11, "
           "%12, %13, %14, %15, %16, \"1\", %17, \"0\")"_s
               .arg(choiceColumns.join(u", "_s), Q(Ksh(n)), Q(QString::fromUtf8(xm)), Q(s.mid(0, 1)),
                    Q(s.mid(1, 1)), Q(s.mid(2, 1)), Q(QLatin1StringView(xbdm)), Q(QLatin1StringView(tddw)),
                    Q(QLatin1StringView(dqtddw)))
               .arg(choiceValues.join(u", "_s), QLatin1StringView(scores), Q(QLatin1StringView(kszt)),
                    Q(QLatin1StringView(lqzy)), Q(QLatin1StringView(lqzy)), Q(QLatin1StringView(tdyydm)),
                    Q(QString::fromUtf8(bz)))
               .arg(bh);
}

QStringList Fixture()
{
    QStringList s;
    // The state table of the shared database, in the same file for these cases.
    s += ShippedTables(TShippedDatabase::UnivShare).first().Statements;
    // State of each set, codes in binary columns as the leader's recordset has them.
    s << CreateTableStatement(u"T_KLJHXZZT"_s,
                              {{u"PCDM"_s, u"binary(2)"_s},
                               {u"KLDM"_s, u"binary(2)"_s},
                               {u"JHXZ"_s, u"binary(2)"_s},
                               {u"DQTDDBH"_s, u"long"_s},
                               {u"ZT"_s, u"text(1) with comp"_s},
                               {u"DQTDDWDM"_s, u"text(3) with comp"_s},
                               {u"DQZYDH"_s, u"text(2) with comp"_s},
                               {u"PXZDDH"_s, u"text(20) with comp"_s},
                               {u"ZDTDZY"_s, u"text(1) with comp"_s}},
                              {})
      << u"insert into T_KLJHXZZT values (\"1\", \"1\", \"1\", 3, \"1\", \"101\", \"01\", \"XM\", \"1\")"_s
      << u"insert into T_KLJHXZZT values (\"1\", \"5\", \"1\", 0, \"0\", \"\", \"\", \"KSH\", \"1\")"_s
      << u"insert into T_KLJHXZZT values (\"2\", \"1\", \"1\", 2, \"2\", \"\", \"\", \"KSH\", \"1\")"_s;
    s << CreateTableStatement(u"T_TDD"_s, TddFields(), {u"KSH"_s})
      << Dossier(1, "甲", "111", "1", "101", "101", "101/01 101/02", "605, 3, 88.5", "1", "01", "  ", "", 3)
      << Dossier(2, "乙", "111", "2", "101", "101", "101/01 101/02", "598, 2, 90", "1", "02", "  ", "", 2)
      << Dossier(3, "丙", "111", "1", "101", "101", "101/02", "571, null, 75", "0", " ?", "  ", "", 3)
      << Dossier(4, "丁", "111", "2", "102", "102", "102/01", "552.5, 0, null", "2", "  ", "03", "体检不合格",
                 3)
      << Dossier(5, "戊", "111", "1", "102", "101", "102/01", "549, 3, null", "1", "01", "  ", "", 1)
      << Dossier(6, "己", "151", "1", "201", "201", "201/01", "500, null, 60", "1", "01", "  ", "", 1)
      << Dossier(7, "庚", "151", "2", "201", "201", "201/01", "480, null, null", "0", " ?", "  ", "", 1)
      << Dossier(8, "辛", "211", "1", "301", "301", "301/01", "450, 1, null", "1", "01", "  ", "", 2);
    s << CreateTableStatement(u"T_KSHKCJ"_s,
                              {{u"KSH"_s, u"text(14) with comp"_s},
                               {u"CJXDM"_s, u"text(2) with comp"_s},
                               {u"CJ"_s, u"text(4) with comp"_s}},
                              {u"KSH"_s, u"CJXDM"_s});
    for (const auto &[n, cjxdm] : QList<QPair<int, const char *>>{{1, "01"}, {1, "02"}, {3, "01"}, {6, "01"}})
        s << u"insert into T_KSHKCJ values (%1, \"%2\", \"A\")"_s.arg(Q(Ksh(n)), QLatin1StringView(cjxdm));
    s << CreateTableStatement(u"T_KSJL"_s,
                              {{u"KSH"_s, u"text(14) with comp"_s},
                               {u"QSRQ"_s, u"text(8) with comp"_s},
                               {u"ZJRQ"_s, u"text(8) with comp"_s},
                               {u"JL"_s, u"text with comp"_s}},
                              {u"KSH"_s, u"QSRQ"_s, u"ZJRQ"_s})
      << u"insert into T_KSJL values (%1, \"200909\", \"201207\", \"北方中学\")"_s.arg(Q(Ksh(1)))
      << u"insert into T_KSJL values (%1, \"200909\", \"201207\", \"南方中学\")"_s.arg(Q(Ksh(7)));
    s << CreateTableStatement(u"T_TJXX"_s,
                              {{u"KSH"_s, u"text(14) with comp"_s}, {u"TJJLDM"_s, u"text(1) with comp"_s}},
                              {u"KSH"_s});
    for (int n : {1, 4, 6})
        s << u"insert into T_TJXX values (%1, \"1\")"_s.arg(Q(Ksh(n)));
    s << CreateTableStatement(u"T_JHK"_s,
                              {{u"PCDM"_s, u"binary(2)"_s},
                               {u"KLDM"_s, u"binary(2)"_s},
                               {u"JHXZ"_s, u"binary(2)"_s},
                               {u"TDDW"_s, u"text(3) with comp"_s},
                               {u"ZYDH"_s, u"text(2) with comp"_s},
                               {u"ZYMC"_s, u"text(40) with comp"_s},
                               {u"JHZXS"_s, u"long"_s},
                               {u"CSMBH"_s, u"text(4) with comp"_s}},
                              {})
      << u"insert into T_JHK values (\"1\", \"1\", \"1\", \"101\", \"01\", \"计算机\", 2, \"Z1\")"_s
      << u"insert into T_JHK values (\"1\", \"1\", \"1\", \"101\", \"02\", \"数学\", 1, \"Z2\")"_s
      << u"insert into T_JHK values (\"1\", \"1\", \"1\", \"102\", \"01\", \"英语\", 3, \"Z1\")"_s
      << u"insert into T_JHK values (\"1\", \"5\", \"1\", \"201\", \"01\", \"物理\", 2, \"Z3\")"_s
      << u"insert into T_JHK values (\"2\", \"1\", \"1\", \"301\", \"01\", \"化学\", 1, \"\")"_s;
    s << CreateTableStatement(u"T_TDDW"_s,
                              {{u"PCDM"_s, u"binary(2)"_s},
                               {u"KLDM"_s, u"binary(2)"_s},
                               {u"JHXZ"_s, u"binary(2)"_s},
                               {u"TDDWDM"_s, u"text(3) with comp"_s},
                               {u"TDDWMC"_s, u"text(40) with comp"_s},
                               {u"CSMBH"_s, u"text(4) with comp"_s}},
                              {})
      << u"insert into T_TDDW values (\"1\", \"1\", \"1\", \"101\", \"一院\", \"M1\")"_s
      << u"insert into T_TDDW values (\"1\", \"1\", \"1\", \"102\", \"二院\", \"M2\")"_s
      << u"insert into T_TDDW values (\"1\", \"5\", \"1\", \"201\", \"三院\", \"M1\")"_s
      << u"insert into T_TDDW values (\"2\", \"1\", \"1\", \"301\", \"四院\", \"M9\")"_s;
    s << u"create table T_TDDWCSMB (MBH text(4) with comp,MBMC text(20) with comp,ZYJBZT text(1) with comp)"_s
      << u"insert into T_TDDWCSMB values (\"M1\", \"模板一\", \"2\")"_s
      << u"insert into T_TDDWCSMB values (\"M2\", \"模板二\", \"3\")"_s
      << u"insert into T_TDDWCSMB values (\"M3\", \"模板三\", \"2\")"_s;
    s << u"create table T_ZYCSMB (MBH text(4) with comp,MBMC text(20) with comp,masked_rank_list text(20) with comp)"_s
      << u"insert into T_ZYCSMB values (\"Z1\", \"专业一\", \"\")"_s
      << u"insert into T_ZYCSMB values (\"Z2\", \"专业二\", \"\")"_s
      << u"insert into T_ZYCSMB values (\"Z4\", \"未用\", \"\")"_s;
    s << u"create table TD_CJXLXDM (CJXLXDM text(3) with comp,CJXLXMC text(20) with comp,CJXSM long,"
         "primary key (CJXLXDM))"_s
      << u"insert into TD_CJXLXDM values (\"000\", \"数值\", 0)"_s
      << u"insert into TD_CJXLXDM values (\"A01\", \"等级甲\", 5)"_s
      << u"insert into TD_CJXLXDM values (\"B02\", \"等级乙\", 3)"_s;
    s << u"create table td_djdm (cjxlxdm text(3) with comp,cj long,dj text(4) with comp,primary key (cjxlxdm,cj))"_s
      << u"insert into td_djdm values (\"A01\", 0, \"E\")"_s
      << u"insert into td_djdm values (\"A01\", 2, \"C\")"_s
      << u"insert into td_djdm values (\"A01\", 1, \"D\")"_s
      << u"insert into td_djdm values (\"B02\", 0, \"X\")"_s;
    s << u"create table TD_CJXDM (CJXDM text(2) with comp,CJXMC text(20) with comp,CJXLXDM text(3) with comp,"
         "primary key (CJXDM))"_s
      << u"insert into TD_CJXDM values (\"02\", \"数学\", \"000\")"_s
      << u"insert into TD_CJXDM values (\"01\", \"物理\", \"A01\")"_s
      << u"insert into TD_CJXDM values (\"03\", \"化学\", \"000\")"_s;
    s << u"create table TD_ZCDM (ZCDM text(2) with comp,ZCMC text(20) with comp,ZGF text(4) with comp,"
         "XDX text(1) with comp,primary key (ZCDM))"_s
      << u"insert into TD_ZCDM values (\"02\", \"烈士子女\", \"20\", \"0\")"_s
      << u"insert into TD_ZCDM values (\"01\", \"少数民族\", \"5\", \"1\")"_s;
    // Field attributes (shipped table) and the member's layout, whose field codes are
    // written in lower case for one set: the joins match them anyway.
    const QString attr =
        u"insert into T_TDDZDSX (ZDDH, ZDMC, DMK, ZDLX, XH, BX, WZSY1024, QSKD1024, WZSY1024_rank, "
        "QSKD1024_rank, DYKD, XSZFS, rank_only) values (%1)"_s;
    s << attr.arg(u"\"KSH\", \"考生号\", \"\", \"K\", \"01\", \"1\", 0, 120, 0, 120, 100, 14, \"0\""_s)
      << attr.arg(u"\"XM\", \"姓名\", \"\", \"A\", \"02\", \"1\", 1, 80, 1, 80, 60, 10, \"0\""_s)
      << attr.arg(u"\"XBDM\", \"性别\", \"td_xbdm\", \"c\", \"03\", \"0\", 2, 40, 2, 40, 30, 4, \"0\""_s)
      << attr.arg(u"\"GKCJX01\", \"物理\", \"\", \"n\", \"04\", \"0\", -1, 50, 3, 50, 40, 4, \"1\""_s);
    const QString layout = u"insert into T_TDDZDXHKD values (%1)"_s;
    s << layout.arg(u"\"1\", \"1\", \"1\", \"ksh\", 0, 130, 0, 110"_s)
      << layout.arg(u"\"1\", \"1\", \"1\", \"xm\", 5, 95, 2, 66"_s)
      << layout.arg(u"\"1\", \"1\", \"1\", \"xbdm\", 2, 44, 1, 33"_s)
      << layout.arg(u"\"1\", \"1\", \"1\", \"gkcjx01\", -1, 50, -1, 40"_s)
      << layout.arg(u"\"1\", \"5\", \"1\", \"KSH\", 0, 120, 0, 100"_s)
      << layout.arg(u"\"1\", \"5\", \"1\", \"XM\", 1, 80, 1, 60"_s);
    return s;
}

} // namespace

class TstStatementCorpus : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void statements_data();
    void statements();

private:
    void Bind(TSqlQuery &q, const QStringList &params);
    QStringList ProjectedRows(TSqlQuery &q, const QString &check);

    QTemporaryDir FDir;
    QString FFixture;
};

void TstStatementCorpus::initTestCase()
{
    FFixture = FDir.filePath(u"fixture.mdb"_s);
    CreateShippedDatabase(TShippedDatabase::Univ, FFixture);
    TSqlConnection conn(FFixture);
    conn.Open();
    TSqlTransaction t(conn);
    for (const QString &statement : Fixture())
        conn.ExecSQL(statement);
    t.Commit();
}

void TstStatementCorpus::Bind(TSqlQuery &q, const QStringList &params)
{
    for (const QString &p : params) {
        const QString name = p.section(u'=', 0, 0);
        const QString value = p.section(u'=', 1);
        if (name.contains(u'@'))
            SetCodeParam(q, name.section(u'@', 0, 0), name.section(u'@', 1).toInt(), value);
        else if (name.endsWith(u'#'))
            q.SetNumberParam(name.chopped(1), value.toDouble());
        else
            q.SetTextParam(name, value);
    }
}

QStringList TstStatementCorpus::ProjectedRows(TSqlQuery &q, const QString &check)
{
    QList<int> fields;
    if (check.startsWith(u'@')) {
        for (const QString &name : check.mid(1).split(u',')) {
            fields.append(q.FieldIndex(name));
            if (fields.last() < 0)
                qFatal("no field %s", qPrintable(name));
        }
    } else {
        for (int i = 0; i < q.FieldCount(); ++i)
            fields.append(i);
    }
    QStringList rows;
    for (; !q.Eof(); q.Next()) {
        QVariantList row;
        for (int i : fields)
            row.append(q.Value(i));
        rows.append(RowText(row));
    }
    return rows;
}

void TstStatementCorpus::statements()
{
    QFETCH(QStringList, setup);
    QFETCH(QStringList, lines);
    QFETCH(QStringList, params);
    QFETCH(int, changes);
    QFETCH(QString, check);
    QFETCH(QStringList, rows);

    TSqlTestDb db(FFixture);
    db.Exec(setup);
    const QString src = Q(db.Path());
    for (QString &line : lines)
        line.replace(u"{SRC}"_s, src);
    TSqlQuery q(&db.Conn());
    q.SetSQL(lines);
    Bind(q, params);
    if (changes == MustFail) {
        QVERIFY_THROWS_EXCEPTION(EZKSqlError, q.ExecSQL());
        return;
    }
    try {
        if (changes == IsQuery) {
            q.Open();
            QCOMPARE(ProjectedRows(q, check), rows);
            return;
        }
        QCOMPARE(q.ExecSQL(), changes);
    } catch (const EZKSqlError &e) {
        QFAIL(qPrintable(e.Message()));
    }
    if (!check.isEmpty())
        QCOMPARE(db.Rows(check), rows);
}

void TstStatementCorpus::statements_data()
{
    QTest::addColumn<QStringList>("setup");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("params");
    QTest::addColumn<int>("changes");
    QTest::addColumn<QString>("check");
    QTest::addColumn<QStringList>("rows");

    const QStringList none;
    const QStringList set1 = SetParams("1", "1", "1");
    const QStringList set2 = SetParams("1", "5", "1");
    const QString k = u"121101010000"_s; // candidate numbers are k + "01" … k + "08"
    const QString markSet1 =
        u"update t_tdd set task_tag = iif(pcdm = \"1\" and kldm = \"1\", \"1\", \"0\")"_s;
    const QStringList tddbh = CreateTddbhStatement();

    // --- Code and plan library import.
    QTest::newRow("library import: institution state")
        << none << QStringList{u"update t_yxzt"_s, u"set yxdm=\"10001\","_s, u"  yxmc=\"北方大学\""_s} << none
        << 1 << u"select yxdm, yxmc, yhm, creation_time from t_yxzt"_s
        << QStringList{u"10001|北方大学||NULL"_s};
    QTest::newRow("library import: institution state at the first import")
        << none << QStringList{u"update t_yxzt"_s,    u"set yxdm=\"10001\","_s,  u"  yxmc=\"北方大学\""_s,
                               u"  ,yhm=\"zy01\","_s, u"  yhkl=\"0A1B2C3D\","_s, u"  creation_time=now"_s}
        << none << 1 << u"select yhm, yhkl, iif(creation_time is null, \"none\", \"set\") from t_yxzt"_s
        << QStringList{u"zy01|0A1B2C3D|set"_s};
    QTest::newRow("library import: a quote in the institution name fails")
        << none << QStringList{u"update t_yxzt"_s, u"set yxdm=\"10001\","_s, u"  yxmc=\"北方\"大学\""_s}
        << none << MustFail << QString() << none;
    QTest::newRow("plan import: reset the state rows")
        << none
        << QStringList{u"UPDATE T_KLJHXZZT"_s,
                       u"SET DQTDDBH=0, ZT=\"0\", DQTDDWDM=\"\", DQZYDH=\"\", PXZDDH=\"KSH\""_s}
        << none << 3 << u"select dqtddbh, zt, dqtddwdm, dqzydh, pxzddh from t_kljhxzzt where kldm = \"1\""_s
        << QStringList{u"0|0|||KSH"_s, u"0|0|||KSH"_s};
    QTest::newRow("plan import: empty the layout")
        << none << QStringList{u"DELETE FROM T_TDDZDXHKD"_s} << none << 6
        << u"select count(*) from t_tddzdxhkd"_s << QStringList{u"0"_s};
    QTest::newRow("plan import: layout rebuild skips rank-only fields")
        << QStringList{u"DELETE FROM T_TDDZDXHKD"_s} << LayoutRebuildLines(u"1024"_s, false) << none << 9
        << u"select pcdm, kldm, jhxz, zddh, wzsy, kd, dywz, dykd from t_tddzdxhkd where kldm = \"1\" order by pcdm, zddh"_s
        << QStringList{u"1|1|1|KSH|0|120|0|100"_s, u"1|1|1|XBDM|2|40|2|30"_s, u"1|1|1|XM|1|80|1|60"_s,
                       u"2|1|1|KSH|0|120|0|100"_s, u"2|1|1|XBDM|2|40|2|30"_s, u"2|1|1|XM|1|80|1|60"_s};
    QTest::newRow("plan import: layout rebuild with rank scores")
        << QStringList{u"DELETE FROM T_TDDZDXHKD"_s} << LayoutRebuildLines(u"1024_rank"_s, true) << none << 12
        << u"select zddh, wzsy, kd, dywz, dykd from t_tddzdxhkd where kldm = \"5\" order by zddh"_s
        << QStringList{u"GKCJX01|3|50|3|40"_s, u"KSH|0|120|0|100"_s, u"XBDM|2|40|2|30"_s, u"XM|1|80|1|60"_s};
    QTest::newRow("table tools: back up a table")
        << none << QStringList{u"select * into T_KLJHXZZT_tmp from T_KLJHXZZT"_s} << none << 3
        << u"select pcdm, kldm, dqtddbh from T_KLJHXZZT_tmp where zt <> \"0\" order by pcdm"_s
        << QStringList{u"1|1|3"_s, u"2|1|2"_s};
    QTest::newRow("plan import: state kept for the sets that remain")
        << QStringList{u"select * into T_KLJHXZZT_tmp from T_KLJHXZZT"_s,
                       u"delete from T_KLJHXZZT where kldm = \"5\""_s,
                       u"insert into T_KLJHXZZT (PCDM, KLDM, JHXZ) values (\"3\", \"1\", \"1\")"_s,
                       u"UPDATE T_KLJHXZZT SET DQTDDBH=0, ZT=\"0\", DQTDDWDM=\"\", DQZYDH=\"\", PXZDDH=\"KSH\""_s}
        << ModifyTableLines(u"T_KLJHXZZT"_s, {u"DQTDDBH"_s, u"ZT"_s, u"DQTDDWDM"_s, u"DQZYDH"_s, u"PXZDDH"_s},
                            {u"PCDM"_s, u"KLDM"_s, u"JHXZ"_s})
        << none << 2 << u"select pcdm, kldm, dqtddbh, zt, dqtddwdm, pxzddh from t_kljhxzzt order by pcdm"_s
        << QStringList{u"1|1|3|1|101|XM"_s, u"2|1|2|2||KSH"_s, u"3|1|0|0||KSH"_s};
    QTest::newRow("plan import: member's layout kept across a rebuild")
        << QStringList{u"select * into T_TDDZDXHKD_tmp from T_TDDZDXHKD"_s, u"DELETE FROM T_TDDZDXHKD"_s,
                       LayoutRebuildLines(u"1024"_s, false).join(u"\r\n"_s)}
        << ModifyTableLines(u"T_TDDZDXHKD"_s, {u"WZSY"_s, u"KD"_s, u"dywz"_s, u"dykd"_s},
                            {u"PCDM"_s, u"KLDM"_s, u"JHXZ"_s, u"ZDDH"_s})
        << none << 5
        << u"select kldm, pcdm, zddh, wzsy, kd, dywz, dykd from t_tddzdxhkd order by kldm, pcdm, zddh"_s
        << QStringList{u"1|1|KSH|0|130|0|110"_s, u"1|1|XBDM|2|44|1|33"_s, u"1|1|XM|5|95|2|66"_s,
                       u"1|2|KSH|0|120|0|100"_s, u"1|2|XBDM|2|40|2|30"_s, u"1|2|XM|1|80|1|60"_s,
                       u"5|1|KSH|0|120|0|100"_s, u"5|1|XBDM|2|40|2|30"_s, u"5|1|XM|1|80|1|60"_s};
    QTest::newRow("table tools: column copy without keys updates every row")
        << QStringList{u"create table t_x (a long, b text(5))"_s, u"insert into t_x values (1, \"p\")"_s,
                       u"insert into t_x values (2, \"p\")"_s, u"select * into t_x_tmp from t_x"_s,
                       u"update t_x set b = \"z\""_s}
        << ModifyTableLines(u"t_x"_s, {u"b"_s}, {}) << none << 2 << u"select a, b from t_x order by a"_s
        << QStringList{u"1|p"_s, u"2|p"_s};
    QTest::newRow("table tools: drop the saved copy")
        << QStringList{u"select * into T_KLJHXZZT_tmp from T_KLJHXZZT"_s}
        << QStringList{u"drop table T_KLJHXZZT_tmp"_s} << none << 0 << u"select count(*) from t_kljhxzzt"_s
        << QStringList{u"3"_s};
    QTest::newRow("table tools: replace the rows of a table")
        << none << QStringList{u"delete from T_JHK"_s} << none << 5 << u"select count(*) from t_jhk"_s
        << QStringList{u"0"_s};

    // --- Dossier query and import.
    QTest::newRow("dossier query: leader's current batch")
        << none << QStringList{u"UPDATE T_YXZT SET ZDPCDM=\""_s + u"2"_s + u"\""_s} << none << 1
        << u"select zdpcdm from t_yxzt"_s << QStringList{u"2"_s};
    QTest::newRow("dossier query: state rows of a batch")
        << none << QStringList{u"select * from t_kljhxzzt"_s, u"where pcdm = :pcdm"_s}
        << QStringList{u"pcdm@1=1"_s} << IsQuery << u"@pcdm,kldm,jhxz,dqtddbh"_s
        << QStringList{u"1|1|1|3"_s, u"1|5|1|0"_s};
    QTest::newRow("dossier query: state rows of all batches")
        << none << QStringList{u"select * from t_kljhxzzt"_s} << none << IsQuery << u"@pcdm,kldm,zt"_s
        << QStringList{u"1|1|1"_s, u"1|5|0"_s, u"2|1|2"_s};
    QTest::newRow("dossier import: mark the set's rows")
        << none
        << QStringList{u"update t_tdd set task_tag="_s,
                       u"  iif(pcdm=:pcdm and kldm=:kldm and jhxz=:jhxz, \"1\", \"0\")"_s}
        << set1 << 8 << u"select ksh from t_tdd where task_tag = \"1\""_s
        << QStringList{k + u"01"_s, k + u"02"_s, k + u"03"_s, k + u"04"_s, k + u"05"_s};
    QTest::newRow("dossier import: empty the kept package numbers")
        << QStringList{tddbh.join(u"\r\n"_s), u"insert into t_tddbh values (\"x\", 1)"_s}
        << QStringList{u"delete from t_tddbh"_s} << none << 1 << u"select count(*) from t_tddbh"_s
        << QStringList{u"0"_s};
    QTest::newRow("dossier import: keep the numbers of pre-admitted candidates")
        << QStringList{tddbh.join(u"\r\n"_s), markSet1}
        << QStringList{u"INSERT INTO T_TDDBH (KSH, BH)"_s, u"SELECT KSH, BH FROM T_TDD"_s,
                       u"WHERE KSZT=\"1\" AND TASK_TAG=\"1\""_s}
        << none << 3 << u"select ksh, bh from t_tddbh order by ksh"_s
        << QStringList{k + u"01|3"_s, k + u"02|2"_s, k + u"05|1"_s};
    const QString ofMarked = u"WHERE KSH IN (SELECT KSH FROM T_TDD WHERE TASK_TAG=\"1\")"_s;
    QTest::newRow("dossier import: delete the set's proficiency scores")
        << QStringList{markSet1} << QStringList{u"DELETE FROM T_KSHKCJ"_s, ofMarked} << none << 3
        << u"select ksh, cjxdm from t_kshkcj"_s << QStringList{k + u"06|01"_s};
    QTest::newRow("dossier import: delete the set's résumés")
        << QStringList{markSet1} << QStringList{u"DELETE FROM T_KSJL"_s, ofMarked} << none << 1
        << u"select ksh from t_ksjl"_s << QStringList{k + u"07"_s};
    QTest::newRow("dossier import: delete the set's health checks")
        << QStringList{markSet1} << QStringList{u"DELETE FROM T_TJXX"_s, ofMarked} << none << 2
        << u"select ksh from t_tjxx"_s << QStringList{k + u"06"_s};
    QTest::newRow("dossier import: delete the set's dossiers")
        << QStringList{markSet1} << QStringList{u"DELETE FROM T_TDD WHERE TASK_TAG=\"1\""_s} << none << 5
        << u"select ksh from t_tdd order by ksh"_s << QStringList{k + u"06"_s, k + u"07"_s, k + u"08"_s};
    QTest::newRow("dossier import: structure check gives no rows")
        << none << QStringList{u"select * from t_tdd where ksh = \"\""_s} << none << IsQuery << QString()
        << none;
    QTest::newRow("dossier import: back up t_tdd")
        << none << QStringList{u"select * into t_tdd_tmp from t_tdd"_s} << none << 8
        << u"select count(*) from t_tdd_tmp"_s << QStringList{u"8"_s};
    QTest::newRow("dossier import: drop t_tdd")
        << QStringList{u"select * into t_tdd_tmp from t_tdd"_s} << QStringList{u"drop table t_tdd"_s} << none
        << 0 << u"select count(*) from t_tdd_tmp"_s << QStringList{u"8"_s};
    QTest::newRow("table tools: create a table from a recordset's fields")
        << QStringList{u"drop table t_tdd"_s}
        << QStringList{CreateTableStatement(u"T_TDD"_s,
                                            {{u"KSH"_s, u"text(14) with comp"_s},
                                             {u"XM"_s, u"text with comp"_s},
                                             {u"PCDM"_s, u"binary(2)"_s},
                                             {u"TDZY"_s, u"short"_s},
                                             {u"BH"_s, u"long"_s},
                                             {u"SDBZ"_s, u"bin"_s},
                                             {u"CJ"_s, u"double"_s},
                                             {u"CSRQ"_s, u"datetime"_s},
                                             {u"XH"_s, u"counter"_s},
                                             {u"ZP"_s, u"binary(8)"_s}},
                                            {u"KSH"_s})}
        << none << 0 << u"select count(*) from t_tdd"_s << QStringList{u"0"_s};
    QTest::newRow("table tools: create a table without key")
        << none
        << QStringList{CreateTableStatement(u"T_TDDW2"_s, {{u"TDDWDM"_s, u"text(3) with comp"_s}}, {})}
        << none << 0 << u"select count(*) from t_tddw2"_s << QStringList{u"0"_s};
    {
        // RestoreTable into a rebuilt T_TDD that lost BZ and gained NEWCOL.
        QStringList columns;
        for (const auto &[name, type] : TddFields()) {
            if (name != "BZ"_L1)
                columns.append(name);
        }
        QList<QPair<QString, QString>> rebuilt = TddFields();
        rebuilt.removeIf([](const QPair<QString, QString> &f) { return f.first == "BZ"_L1; });
        rebuilt.append({u"NEWCOL"_s, u"text(5) with comp"_s});
        const QStringList backup{u"select * into t_tdd_tmp from t_tdd"_s, u"drop table t_tdd"_s,
                                 CreateTableStatement(u"T_TDD"_s, rebuilt, {u"KSH"_s})};
        QTest::newRow("table tools: restore, empty the table")
            << QStringList{u"select * into t_tdd_tmp from t_tdd"_s} << QStringList{u"delete from t_tdd"_s}
            << none << 8 << u"select count(*) from t_tdd"_s << QStringList{u"0"_s};
        QTest::newRow("table tools: restore, columns of the backup")
            << backup << QStringList{u"select top 1 * from t_tdd_tmp"_s} << none << IsQuery << u"@KSH,XM,BZ"_s
            << QStringList{k + u"01|甲|"_s};
        QTest::newRow("table tools: restore, put the rows back")
            << backup
            << QStringList{u"insert into t_tdd"_s, u"select "_s + columns.join(u',') + u" from t_tdd_tmp"_s}
            << none << 8 << u"select ksh, xm, lqzy, newcol from t_tdd where ksh like \"%04\""_s
            << QStringList{k + u"04|丁|  |NULL"_s};
        QTest::newRow("table tools: restore, drop the backup")
            << backup << QStringList{u"drop table t_tdd_tmp"_s} << none << 0
            << u"select count(*) from t_tdd"_s << QStringList{u"0"_s};
    }
    QTest::newRow("dossier import: new dossiers start pre-admitted")
        << none
        << QStringList{u"UPDATE T_TDD"_s, u"SET KSZT=\"1\", YTZY=LQZY, BH="_s + QString::number(5),
                       u"WHERE PCDM=:PCDM AND KLDM=:KLDM AND JHXZ=:JHXZ"_s}
        << SetParams("1", "1", "1") << 5
        << u"select ksh, kszt, ytzy, bh from t_tdd where pcdm = \"1\" and kldm = \"1\""_s
        << QStringList{k + u"01|1|01|5"_s, k + u"02|1|02|5"_s, k + u"03|1| ?|5"_s, k + u"04|1|  |5"_s,
                       k + u"05|1|01|5"_s};
    QTest::newRow("dossier import: two-table update keeps earlier package numbers")
        << QStringList{tddbh.join(u"\r\n"_s), u"insert into t_tddbh values (\"%1\", 3)"_s.arg(k + u"01"_s),
                       u"insert into t_tddbh values (\"%1\", 2)"_s.arg(k + u"02"_s),
                       u"update t_tdd set bh = 5 where kldm = \"1\" and pcdm = \"1\""_s}
        << QStringList{u"UPDATE T_TDD, T_TDDBH"_s, u"SET T_TDD.BH = T_TDDBH.BH"_s,
                       u"WHERE T_TDD.KSH = T_TDDBH.KSH"_s}
        << none << 2 << u"select ksh, bh from t_tdd where kldm = \"1\" and pcdm = \"1\""_s
        << QStringList{k + u"01|3"_s, k + u"02|2"_s, k + u"03|5"_s, k + u"04|5"_s, k + u"05|5"_s};
    QTest::newRow("dossier import: counter and state of the set")
        << none
        << QStringList{u"update t_kljhxzzt"_s, u"set dqtddbh = "_s + QString::number(5) + u", zt = \"1\""_s,
                       u"where pcdm = :pcdm and kldm = :kldm and jhxz = :jhxz"_s}
        << set2 << 1 << u"select pcdm, kldm, dqtddbh, zt from t_kljhxzzt"_s
        << QStringList{u"1|1|3|1"_s, u"1|5|5|1"_s, u"2|1|2|2"_s};
    QTest::newRow("first set-up: create t_tddbh")
        << none << tddbh << none << 0 << u"select count(*) from t_tddbh"_s << QStringList{u"0"_s};

    // --- Result upload.
    QTest::newRow("result upload: the set's decisions")
        << none
        << QStringList{u"SELECT KSH,KSZT,TDYYDM,BZ,LQFS FROM T_TDD"_s,
                       u"WHERE PCDM=:PCDM AND KLDM=:KLDM AND JHXZ=:JHXZ"_s}
        << set2 << IsQuery << QString() << QStringList{k + u"06|1|  ||1"_s, k + u"07|0|  ||1"_s};
    QTest::newRow("result upload: package number of the set")
        << none
        << QStringList{u"select dqtddbh from t_kljhxzzt"_s,
                       u"where pcdm = :pcdm and kldm = :kldm and jhxz = :jhxz"_s}
        << set1 << IsQuery << QString() << QStringList{u"3"_s};
    QTest::newRow("result upload: state under review")
        << none
        << QStringList{u"update t_kljhxzzt set zt = \"2\""_s, u"where pcdm = :pcdm and kldm = :kldm"_s,
                       u"  and jhxz = :jhxz"_s}
        << set1 << 1 << u"select zt from t_kljhxzzt where pcdm = \"1\" and kldm = \"1\""_s
        << QStringList{u"2"_s};

    // --- Workspace: code tables, opening a set.
    QTest::newRow("code tables: batch menu")
        << none << QStringList{u"SELECT DISTINCT PCDM FROM T_KLJHXZZT ORDER BY PCDM"_s} << none << IsQuery
        << QString() << QStringList{u"1"_s, u"2"_s};
    QTest::newRow("code tables: grade types")
        << none << QStringList{u"SELECT * FROM TD_CJXLXDM WHERE CJXLXDM <> \"000\""_s} << none << IsQuery
        << QString() << QStringList{u"A01|等级甲|5"_s, u"B02|等级乙|3"_s};
    QTest::newRow("code tables: grades of a type")
        << none
        << QStringList{u"select * from td_djdm"_s, u"where cjxlxdm = \""_s + u"A01"_s + u"\" order by cj"_s}
        << none << IsQuery << QString() << QStringList{u"A01|0|E"_s, u"A01|1|D"_s, u"A01|2|C"_s};
    QTest::newRow("open set: state rows of the chosen batch")
        << none << QStringList{u"select * from t_kljhxzzt"_s, u"where pcdm = :pcdm"_s}
        << QStringList{u"pcdm@1=2"_s} << IsQuery << u"@pcdm,kldm,jhxz,zt"_s << QStringList{u"2|1|1|2"_s};
    QTest::newRow("open set: shown columns")
        << none
        << QStringList{u"select t_tddzdxhkd.wzsy, ucase(t_tddzdsx.zddh) as zddh, zdmc,"_s,
                       u"  ucase(dmk) as dmk, ucase(zdlx) as zdlx, kd"_s,
                       u"from t_tddzdsx, t_tddzdxhkd"_s,
                       u"where t_tddzdsx.ZDDH=t_tddzdxhkd.ZDDH and t_tddzdxhkd.WZSY>=0"_s,
                       u"  and pcdm=:pcdm and kldm=:kldm and jhxz=:jhxz"_s,
                       u"order by t_tddzdxhkd.wzsy"_s}
        << set1 << IsQuery << QString()
        << QStringList{u"0|KSH|考生号||K|130"_s, u"2|XBDM|性别|TD_XBDM|C|44"_s, u"5|XM|姓名||A|95"_s};
    QTest::newRow("open set: candidate query")
        << none
        << QStringList{u"select "_s + CandidateFieldList({u"KSH"_s, u"XBDM"_s, u"XM"_s}) + u" from t_tdd"_s,
                       u"where pcdm=:pcdm and kldm=:kldm and jhxz=:jhxz"_s, u"order by ksh"_s}
        << set1 << IsQuery << u"@ksh,xm,xbdm,kszt,lqzy,zydh2"_s
        << QStringList{k + u"01|甲|1|1|01|02"_s, k + u"02|乙|2|1|02|02"_s, k + u"03|丙|1|0| ?|  "_s,
                       k + u"04|丁|2|2|  |  "_s, k + u"05|戊|1|1|01|  "_s};
    QTest::newRow("open set: repair a returned candidate")
        << none
        << QStringList{u"update t_tdd"_s, u"set dqtddw = tddw, lqzy = \"  \""_s,
                       u"where ksh = \""_s + k + u"05"_s + u"\""_s}
        << none << 1 << u"select dqtddw, lqzy from t_tdd where ksh like \"%05\""_s
        << QStringList{u"102|  "_s};
    QTest::newRow("open set: repair an undecided candidate")
        << none
        << QStringList{u"update t_tdd"_s, u"set dqtddw = tddw, lqzy = \" ?\", "_s,
                       u"tdyydm = \"  \",bz = \"\", kszt = \"0\""_s,
                       u"where ksh = \""_s + k + u"04"_s + u"\""_s}
        << none << 1 << u"select dqtddw, lqzy, tdyydm, bz, kszt from t_tdd where ksh like \"%04\""_s
        << QStringList{u"102| ?|  ||0"_s};

    // --- Code table page.
    QTest::newRow("code table page: policies")
        << none
        << QStringList{u"select zcdm, zcmc, zgf, iif(xdx = \"1\", \"院校投档线\", \"批次线\") as xdxstr from "
                       u"td_zcdm "
                       "order by zcdm"_s}
        << none << IsQuery << QString()
        << QStringList{u"01|少数民族|5|院校投档线"_s, u"02|烈士子女|20|批次线"_s};
    QTest::newRow("code table page: numeric score items")
        << none << QStringList{u"select * from td_cjxdm where cjxlxdm=\"000\" order by cjxdm"_s} << none
        << IsQuery << QString() << QStringList{u"02|数学|000"_s, u"03|化学|000"_s};
    QTest::newRow("code table page: score items of a grade type")
        << none
        << QStringList{u"select * from td_cjxdm where cjxlxdm=\""_s + u"A01"_s + u"\" order by cjxdm"_s}
        << none << IsQuery << QString() << QStringList{u"01|物理|A01"_s};

    // --- Check templates.
    QTest::newRow("check templates: unit templates of the set")
        << none << QStringList{u"SELECT DISTINCT T_TDDWCSMB.MBH "_s,
                               u"FROM T_TDDWCSMB,T_TDDW"_s,
                               u"WHERE T_TDDWCSMB.MBH=T_TDDW.CSMBH"_s,
                               u"  AND T_TDDW.PCDM=:PCDM "_s,
                               u"  AND T_TDDW.KLDM=:KLDM"_s,
                               u"  AND T_TDDW.JHXZ=:JHXZ"_s,
                               u"ORDER BY T_TDDWCSMB.MBH"_s}
        << set1 << IsQuery << QString() << QStringList{u"M1"_s, u"M2"_s};
    QTest::newRow("check templates: major templates of the set")
        << none << QStringList{u"SELECT DISTINCT T_ZYCSMB.MBH "_s,  u"FROM T_ZYCSMB,T_JHK"_s,
                               u"WHERE T_ZYCSMB.MBH=T_JHK.CSMBH"_s, u"  AND T_JHK.PCDM=:PCDM "_s,
                               u"  AND T_JHK.KLDM=:KLDM"_s,         u"  AND T_JHK.JHXZ=:JHXZ"_s,
                               u"ORDER BY T_ZYCSMB.MBH"_s}
        << set1 << IsQuery << QString() << QStringList{u"Z1"_s, u"Z2"_s};

    // --- Statistics.
    const QString from = u"from t_tdd"_s;
    const QStringList unit101 = set1 + QStringList{u"tddw@3=101"_s};
    const QStringList unit102 = set1 + QStringList{u"tddw@3=102"_s};
    QTest::newRow("statistics: registration item")
        << none
        << QStringList{u"Select XBDM as dm, count(*) as ks_num"_s, from, SetCondition, u"group by XBDM"_s}
        << set1 << IsQuery << QString() << QStringList{u"1|3"_s, u"2|2"_s};
    QTest::newRow("statistics: registration item of one unit")
        << none
        << QStringList{u"Select XBDM as dm, count(*) as ks_num"_s, from, SetCondition, UnitCondition,
                       u"group by XBDM"_s}
        << unit101 << IsQuery << QString() << QStringList{u"1|2"_s, u"2|1"_s};
    QTest::newRow("statistics: graded item")
        << none
        << QStringList{u"select GKCJX01 as dj, count(*) as ks_num"_s,
                       from,
                       SetCondition,
                       u"  and not GKCJX01 is null"_s,
                       u"group by GKCJX01"_s,
                       u"order by GKCJX01 desc"_s}
        << set1 << IsQuery << QString() << QStringList{u"3|2"_s, u"2|1"_s, u"0|1"_s};
    const auto bands = [&](const QString &s, int w, bool unit) {
        const QString e = u"int(%1 / %2)"_s.arg(s).arg(w);
        QStringList lines{u"select "_s + e + u" as step_cj, count(*) as ks_num"_s, from, SetCondition};
        if (unit)
            lines.append(UnitCondition);
        lines << u"  and not "_s + s + u" is null"_s << u"group by "_s + e;
        return lines;
    };
    QTest::newRow("statistics: base score bands of 10")
        << none << bands(u"ZYYTJZCJ"_s, 10, false) << set1 << IsQuery << QString()
        << QStringList{u"54|1"_s, u"55|1"_s, u"57|1"_s, u"59|1"_s, u"60|1"_s};
    QTest::newRow("statistics: score item bands of 5")
        << none << bands(u"GKCJX02"_s, 5, false) << set1 << IsQuery << QString()
        << QStringList{u"15|1"_s, u"17|1"_s, u"18|1"_s};
    QTest::newRow("statistics: score bands of one unit")
        << none << bands(u"ZYYTJZCJ"_s, 10, true) << unit102 << IsQuery << QString()
        << QStringList{u"54|1"_s, u"55|1"_s};
    const auto extremes = [&](const QString &s, bool unit) {
        QStringList lines{u"select max("_s + s + u") as max_cj,"_s, u"  min("_s + s + u") as min_cj,"_s,
                          u"  avg("_s + s + u") as avg_cj"_s, from, SetCondition};
        if (unit)
            lines.append(UnitCondition);
        return lines;
    };
    QTest::newRow("statistics: highest, lowest and mean score")
        << none << extremes(u"ZYYTJZCJ"_s, false) << set1 << IsQuery << QString()
        << QStringList{u"605|549|575.1"_s};
    QTest::newRow("statistics: highest, lowest and mean score of one unit")
        << none << extremes(u"ZYYTJZCJ"_s, true) << unit102 << IsQuery << QString()
        << QStringList{u"552.5|549|550.75"_s};
    const auto majors = [&](int mode, bool unit) {
        QStringList lines{u"select t_jhk.tddw, t_jhk.zydh, t_jhk.zymc, t_jhk.jhzxs,"_s,
                          u"  count(t_tdd.ksh) as ks_num"_s,
                          u"from t_jhk left outer join t_tdd on t_jhk.pcdm = t_tdd.pcdm and"_s,
                          u"  t_jhk.kldm = t_tdd.kldm and t_jhk.jhxz = t_tdd.jhxz and"_s,
                          mode == 0 ? u"  t_jhk.tddw = t_tdd.tddwdm1 and t_jhk.zydh = t_tdd.zydh1"_s
                                    : u"  t_jhk.tddw = t_tdd.dqtddw and t_jhk.zydh = t_tdd.lqzy"_s,
                          u"where t_jhk.pcdm = :pcdm and t_jhk.kldm = :kldm and"_s,
                          u"  t_jhk.jhxz = :jhxz"_s};
        if (unit)
            lines.append(u"  and t_jhk.tddw = :tddw"_s);
        lines.append(u"group by t_jhk.tddw, t_jhk.zydh, t_jhk.zymc, t_jhk.jhzxs"_s);
        return lines;
    };
    QTest::newRow("statistics: first major choices against the plan")
        << none << majors(0, false) << set1 << IsQuery << QString()
        << QStringList{u"101|01|计算机|2|2"_s, u"101|02|数学|1|1"_s, u"102|01|英语|3|2"_s};
    QTest::newRow("statistics: pre-admissions against the plan")
        << none << majors(1, false) << set1 << IsQuery << QString()
        << QStringList{u"101|01|计算机|2|2"_s, u"101|02|数学|1|1"_s, u"102|01|英语|3|0"_s};
    QTest::newRow("statistics: pre-admissions of one unit")
        << none << majors(1, true) << unit102 << IsQuery << QString() << QStringList{u"102|01|英语|3|0"_s};
    const QString satisfaction =
        u"  sum(iif(kszt in (\"2\", \"3\"), 1, 0)) as td_num"_s + SatisfactionExpressions();
    QTest::newRow("statistics: major choices satisfied")
        << none
        << QStringList{u"select count(*) as zs_num, sum(iif(kszt = \"0\", 1, 0)) as wd_num,"_s, satisfaction,
                       from, SetCondition}
        << set1 << IsQuery << QString() << QStringList{u"5|1|1|1|1|0|0|0|0"_s};
    QTest::newRow("statistics: major choices satisfied in one unit")
        << none
        << QStringList{u"select count(*) as zs_num, sum(iif(kszt = \"0\", 1, 0)) as wd_num,"_s, satisfaction,
                       from, SetCondition, UnitCondition}
        << unit102 << IsQuery << QString() << QStringList{u"2|0|1|0|0|0|0|0|0"_s};
    for (const char *table : {"bmxx", "cjxx", "zyxx"}) {
        const QString t = QLatin1StringView(table);
        QTest::newRow(qPrintable(u"statistics: empty "_s + t))
            << QStringList{u"insert into %1 (xm) values (\"性别\")"_s.arg(t),
                           u"insert into %1 (xm) values (\"\")"_s.arg(t)}
            << QStringList{u"delete from "_s + t} << none << 2 << u"select count(*) from "_s + t
            << QStringList{u"0"_s};
    }

    // --- Printing.
    QTest::newRow("printing: dossiers of the set")
        << none << QStringList{u"select * from t_tdd"_s, SetCondition} << set2 << IsQuery << u"@ksh,xm"_s
        << QStringList{k + u"06|己"_s, k + u"07|庚"_s};
    QTest::newRow("printing: field list")
        << none
        << QStringList{u"SELECT XH,UCASE(T_TDDZDSX.ZDDH) AS ZDDH,ZDMC,"_s,
                       u"  UCASE(DMK) AS DMK,UCASE(ZDLX) AS ZDLX,DYWZ,T_TDDZDXHKD.DYKD"_s,
                       u"FROM T_TDDZDSX,T_TDDZDXHKD"_s,
                       u"WHERE T_TDDZDSX.ZDDH=T_TDDZDXHKD.ZDDH AND "_s,
                       u"  PCDM=:Pcdm AND KLDM=:Kldm AND JHXZ=:JHXZ"_s,
                       u"ORDER BY XH"_s}
        << SetParams("1", "1", "1", QString()) << IsQuery << QString()
        << QStringList{u"01|KSH|考生号||K|0|110"_s, u"02|XM|姓名||A|2|66"_s, u"03|XBDM|性别|TD_XBDM|C|1|33"_s,
                       u"04|GKCJX01|物理||N|-1|40"_s};
    const QString ofSet = u"and pcdm=:pcdm and kldm=:kldm and jhxz=:jhxz"_s;
    const QString dywz = u"update t_tddzdxhkd set dywz=:dywz1 where dywz<>:dywz2 and zddh=:zddh"_s;
    const QString dykd = u"update t_tddzdxhkd set dykd=:dykd1 where dykd<>:dykd2 and zddh=:zddh"_s;
    const QString xmLayout =
        u"select kldm, wzsy, kd, dywz, dykd from t_tddzdxhkd where zddh = \"xm\" order by kldm"_s;
    QTest::newRow("printing: print position in this set")
        << none << QStringList{dywz, ofSet} << set1 + QStringList{u"dywz1#=3"_s, u"dywz2#=3"_s, u"zddh=XM"_s}
        << 1 << xmLayout << QStringList{u"1|5|95|3|66"_s, u"5|1|80|1|60"_s};
    QTest::newRow("printing: print position in every set")
        << none << QStringList{dywz} << QStringList{u"dywz1#=3"_s, u"dywz2#=3"_s, u"zddh=XM"_s} << 2
        << xmLayout << QStringList{u"1|5|95|3|66"_s, u"5|1|80|3|60"_s};
    QTest::newRow("printing: unchanged print width")
        << none << QStringList{dykd, ofSet}
        << set1 + QStringList{u"dykd1#=66"_s, u"dykd2#=66"_s, u"zddh=XM"_s} << 0 << xmLayout
        << QStringList{u"1|5|95|2|66"_s, u"5|1|80|1|60"_s};
    QTest::newRow("printing: print width in every set")
        << none << QStringList{dykd} << QStringList{u"dykd1#=70"_s, u"dykd2#=70"_s, u"zddh=XM"_s} << 2
        << xmLayout << QStringList{u"1|5|95|2|70"_s, u"5|1|80|1|70"_s};

    // --- Export (the source side; the target statements belong to the export).
    const QString w = SelectionCondition({u"111"_s, u"151"_s});
    QTest::newRow("export: field definitions of a source table")
        << none << QStringList{u"select top 1 *"_s, u"from T_TDD in {SRC}"_s} << none << IsQuery << u"@ksh"_s
        << QStringList{k + u"01"_s};
    QTest::newRow("export: the selected sets' dossiers")
        << none << QStringList{u"select *"_s, u"from T_TDD in {SRC} where "_s + w} << none << IsQuery
        << u"@ksh"_s << QStringList{k + u"01"_s, k + u"02"_s, k + u"03"_s, k + u"04"_s,
                                    k + u"05"_s, k + u"06"_s, k + u"07"_s};
    QTest::newRow("export: the selected sets' plan, codes in binary columns")
        << none << QStringList{u"select *"_s, u"from t_jhk in {SRC} where "_s + w} << none << IsQuery
        << u"@tddw,zydh"_s << QStringList{u"101|01"_s, u"101|02"_s, u"102|01"_s, u"201|01"_s};
    QTest::newRow("export: résumés of the selected dossiers")
        << none
        << QStringList{u"select *"_s,
                       u"from T_KSJL in {SRC} where ksh in (select ksh from t_tdd in {SRC} where "_s + w +
                           u")"_s}
        << none << IsQuery << u"@ksh,jl"_s << QStringList{k + u"01|北方中学"_s, k + u"07|南方中学"_s};
    QTest::newRow("export: binary code columns as text")
        << none
        << QStringList{u"select ltrim(PCDM) as PCDM,ltrim(KLDM) as KLDM,ltrim(JHXZ) as JHXZ,DQTDDBH"_s,
                       u"from T_KLJHXZZT in {SRC} where "_s + SelectionCondition({u"211"_s})}
        << none << IsQuery << QString() << QStringList{u"2|1|1|2"_s};

    // --- Start-up and options.
    QTest::newRow("first set-up: mark it complete")
        << none << QStringList{u"UPDATE T_YXZT"_s, u"SET GKLQZ=\"1\""_s} << none << 1
        << u"select gklqz from t_yxzt"_s << QStringList{u"1"_s};
    const QStringList fieldsOf{u"SELECT T_TDDZDSX.ZDMC,T_TDDZDSX.ZDDH,T_TDDZDSX.XH,"_s,
                               u"  T_TDDZDSX.BX,T_TDDZDXHKD.WZSY"_s, u"FROM T_TDDZDSX,T_TDDZDXHKD"_s,
                               u"WHERE T_TDDZDXHKD.PCDM=:PCDM AND T_TDDZDXHKD.KLDM=:KLDM AND"_s};
    QTest::newRow("options: hidden fields")
        << none
        << fieldsOf + QStringList{u"  T_TDDZDXHKD.JHXZ=:JHXZ AND "_s,
                                  u"  T_TDDZDXHKD.ZDDH=T_TDDZDSX.ZDDH AND T_TDDZDXHKD.WZSY<0"_s,
                                  u"ORDER BY T_TDDZDSX.XH"_s}
        << set1 << IsQuery << QString() << QStringList{u"物理|GKCJX01|04|0|-1"_s};
    QTest::newRow("options: shown fields")
        << none
        << fieldsOf + QStringList{u"  T_TDDZDXHKD.JHXZ=:JHXZ AND"_s,
                                  u"  T_TDDZDXHKD.ZDDH=T_TDDZDSX.ZDDH AND T_TDDZDXHKD.WZSY>=0"_s,
                                  u"ORDER BY T_TDDZDXHKD.WZSY"_s}
        << set1 << IsQuery << QString()
        << QStringList{u"考生号|KSH|01|1|0"_s, u"性别|XBDM|03|0|2"_s, u"姓名|XM|02|1|5"_s};
    const QString wzsy = u"update t_tddzdxhkd set wzsy=:wzsy1 where wzsy<>:wzsy2 and zddh=:zddh"_s;
    QTest::newRow("options: grid position in this set")
        << none << QStringList{wzsy, ofSet}
        << set1 + QStringList{u"wzsy1#=-1"_s, u"wzsy2#=-1"_s, u"zddh=XBDM"_s} << 1
        << u"select kldm, zddh, wzsy from t_tddzdxhkd where wzsy < 0 order by kldm, zddh"_s
        << QStringList{u"1|gkcjx01|-1"_s, u"1|xbdm|-1"_s};
    QTest::newRow("options: grid position in every set")
        << none << QStringList{wzsy} << QStringList{u"wzsy1#=1"_s, u"wzsy2#=1"_s, u"zddh=XM"_s} << 1
        << xmLayout << QStringList{u"1|1|95|2|66"_s, u"5|1|80|1|60"_s};
    QTest::newRow("options: column width in every set")
        << none << QStringList{u"update t_tddzdxhkd set kd=:kd1 where kd<>:kd2 and zddh=:zddh"_s}
        << QStringList{u"kd1#=100"_s, u"kd2#=100"_s, u"zddh=KSH"_s} << 2
        << u"select kldm, kd from t_tddzdxhkd where zddh = \"KSH\" order by kldm"_s
        << QStringList{u"1|100"_s, u"5|100"_s};
}

QTEST_GUILESS_MAIN(TstStatementCorpus)
#include "tst_StatementCorpus.moc"
