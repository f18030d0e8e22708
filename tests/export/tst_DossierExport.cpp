// The dossier export on the demo province's data: every kind of target, read back by
// independent readers and compared with the user database; the stages and messages;
// the selection; the clean-up after a failure.
#include "ExportFixture.h"
#include "TestSupport.h"
#include "export/DbfFile.h"
#include "store/SqlError.h"
#include "store/SqlQuery.h"
#include "store/ZKMainDef.h"
#include "workspace/DmTables.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QSet>
#include <QtEndian>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// The tables of a dossier export in the order they are written.
QStringList ExportedTables()
{
    QStringList tables{u"t_jhk"_s,    u"t_tddw"_s, u"T_TDD"_s,  u"T_KSJL"_s,
                       u"T_KSHKCJ"_s, u"T_TJXX"_s, u"T_QBJHK"_s};
    for (const TDmDBFRec &code : DmDBFTable())
        tables.append(code.TableName);
    return tables;
}

QString SetWhere(const TExportSetRow &s)
{
    return u" where pcdm = \"%1\" and kldm = \"%2\" and jhxz = \"%3\""_s.arg(s.PCDM, s.KLDM, s.JHXZ);
}

QString Q(const QString &text)
{
    return u'"' + text + u'"';
}

QStringList Sorted(QStringList list)
{
    list.sort();
    return list;
}

// The texts of a column of read-back rows (header excluded).
QStringList ColumnTexts(const QList<QVariantList> &rows, const QString &name)
{
    QStringList texts;
    const int c = ColumnOf(rows.value(0), name);
    for (qsizetype r = 1; r < rows.size(); ++r)
        texts.append(c < 0 ? u"<no column>"_s : rows[r].value(c).toString());
    return texts;
}

bool IsNumber(const QVariant &v)
{
    return v.typeId() == QMetaType::Double || v.typeId() == QMetaType::LongLong ||
           v.typeId() == QMetaType::Int;
}

QString KindOf(const QString &ext)
{
    return ext == "xls"_L1 ? u"xls"_s : ext == "xlsx"_L1 ? u"xlsx"_s : u"dbf"_s;
}

} // namespace

class TestDossierExport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void everyKindHoldsTheDatabase_data();
    void everyKindHoldsTheDatabase();
    void dbaseBytes();
    void noRowCheckedDoesNothing();
    void selectionIsASubstringTest();
    void failureInTheMiddleCleansUp_data();
    void failureInTheMiddleCleansUp();
    void refusalsWriteNothing_data();
    void refusalsWriteNothing();
    void setCodesStayInsideTheirLiteral();

private:
    // Exports the sets into folder + name; the read-back tables.
    TReadBack Export(const QString &folder, const QString &name, const QList<TExportSetRow> &sets);
    // Exports the chosen sets into path, expecting a refusal; its message ("" for none).
    QString ExportError(const QString &path);

    std::unique_ptr<TExportWorld> W;
    QList<TExportSetRow> FChosen;
};

void TestDossierExport::initTestCase()
{
    W = std::make_unique<TExportWorld>();
    QVERIFY(W->Prepare());
    const QList<TExportSetRow> sets = W->Sets();
    QVERIFY(sets.size() >= 3);
    FChosen = {sets[0], sets[2]};
    // A candidate without a second score: the export writes the null as an empty value.
    W->Univ().ExecSQL(u"update T_TDD set ZYYTFJCJ = null where ksh in (select top 1 ksh from T_TDD"_s +
                      SetWhere(FChosen[0]) + u")"_s);
}

QString TestDossierExport::ExportError(const QString &path)
{
    W->ResetWindows();
    try {
        TDumpToFile dump(W->Dm(), W->Progress, W->Messages);
        dump.ExportDossiers(path, FChosen);
    } catch (const EZKError &e) {
        return e.Message();
    }
    return QString();
}

TReadBack TestDossierExport::Export(const QString &folder, const QString &name,
                                    const QList<TExportSetRow> &sets)
{
    W->ResetWindows();
    TDumpToFile dump(W->Dm(), W->Progress, W->Messages);
    if (!dump.ExportDossiers(folder + name, sets))
        return {};
    const QString kind = KindOf(QFileInfo(name).suffix().toLower());
    if (kind != "dbf"_L1)
        return ReadBack(kind, {folder + name});
    QStringList files;
    for (const QString &t : ExportedTables())
        files.append(folder + t + u".dbf"_s);
    return ReadBack(kind, files);
}

void TestDossierExport::everyKindHoldsTheDatabase_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("dBase") << u"tdd.dbf"_s;
    QTest::newRow("Excel 97") << u"tdd.xls"_s;
    QTest::newRow("Excel 2007") << u"tdd.xlsx"_s;
    QTest::newRow("a .txt name is a dBase export into its folder") << u"tdd.txt"_s;
}

void TestDossierExport::everyKindHoldsTheDatabase()
{
    QFETCH(QString, name);
    const QString folder = W->NewFolder();
    const TReadBack back = Export(folder, name, FChosen);
    if (back.Missing)
        QSKIP(qPrintable(back.Error));
    QVERIFY2(back.Error.isEmpty(), qPrintable(back.Error));

    // Stages, completion message, connection.
    QCOMPARE(W->Messages.Messages.size(), 1);
    QCOMPARE(W->Messages.Messages[0].Text, u"已完成对所选考生信息数据表的导出。"_s);
    QCOMPARE(W->Messages.Messages[0].Caption, u"导出投档单"_s);
    QCOMPARE(W->Messages.Messages[0].Icon, TMsgIcon::Information);
    QStringList calls;
    for (const TProgressCall &c : std::as_const(W->Progress.Calls))
        calls.append(
            c.Kind == "show"_L1
                ? u"show|%1|%2|%3|%4|%5"_s.arg(c.Caption, c.Text).arg(c.Base).arg(c.Ratio).arg(c.Steps)
                : c.Kind);
    QStringList expected{u"show|导出投档单|正在将所选考生信息数据表导出到数据库文件，请稍候。|0|10|2"_s,
                         u"step"_s, u"step"_s, u"show|||10|60|4"_s};
    expected += QStringList(4, u"step"_s);
    expected += u"show||正在导出代码表，请稍候。|70|30|19"_s;
    expected += QStringList(19, u"step"_s);
    expected += u"hide"_s;
    QCOMPARE(calls, expected);
    QVERIFY(W->Univ().Connected());

    // Exactly the exported tables: files in the folder, or worksheets in the workbook.
    const bool dbase = KindOf(QFileInfo(name).suffix().toLower()) == "dbf"_L1;
    if (dbase) {
        QStringList expectedFiles;
        for (const QString &t : ExportedTables())
            expectedFiles.append(t + u".dbf"_s);
        QCOMPARE(Sorted(QDir(folder).entryList(QDir::Files)), Sorted(expectedFiles));
    } else {
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{name});
        QCOMPARE(Sorted(back.Tables.keys()), Sorted(ExportedTables()));
    }

    // The dossiers of the chosen sets, their companions, the whole plan, the code tables.
    QStringList ksh;
    for (const TExportSetRow &s : std::as_const(FChosen)) {
        for (const QVariantList &r : W->Rows(u"select ksh from T_TDD"_s + SetWhere(s)))
            ksh.append(r[0].toString());
    }
    QVERIFY(!ksh.isEmpty());
    QCOMPARE(Sorted(ColumnTexts(back.Tables[u"T_TDD"_s], u"KSH"_s)), Sorted(ksh));
    const QString inDossiers = u" where ksh in (\"%1\")"_s.arg(ksh.join(u"\", \""_s));
    for (const QString &t : {u"T_KSJL"_s, u"T_KSHKCJ"_s, u"T_TJXX"_s})
        QCOMPARE(back.Tables[t].size() - 1, W->Value(u"select count(*) from "_s + t + inDossiers).toInt());
    QCOMPARE(back.Tables[u"T_QBJHK"_s].size() - 1, W->Value(u"select count(*) from T_JHK"_s).toInt());
    for (const TDmDBFRec &code : DmDBFTable())
        QCOMPARE(back.Tables[code.TableName].size() - 1,
                 W->Value(u"select count(*) from "_s + code.TableName).toInt());
    int planRows = 0;
    for (const TExportSetRow &s : std::as_const(FChosen))
        planRows += W->Value(u"select count(*) from t_jhk"_s + SetWhere(s)).toInt();
    QCOMPARE(back.Tables[u"t_jhk"_s].size() - 1, planRows);

    // Résumé rows: dates as dates, Chinese texts whole, nulls empty.
    QStringList exportedResumes;
    const QList<QVariantList> &jl = back.Tables[u"T_KSJL"_s];
    const int jlKsh = ColumnOf(jl[0], u"KSH"_s), jlFrom = ColumnOf(jl[0], u"QSRQ"_s),
              jlText = ColumnOf(jl[0], u"JL"_s);
    for (qsizetype r = 1; r < jl.size(); ++r)
        exportedResumes.append(jl[r][jlKsh].toString() + u'|' + jl[r][jlFrom].toString() + u'|' +
                               jl[r][jlText].toString());
    QStringList storedResumes;
    for (const QVariantList &r : W->Rows(u"select ksh, qsrq, jl from T_KSJL"_s + inDossiers))
        storedResumes.append(r[0].toString() + u'|' +
                             (r[1].isNull() ? QString() : r[1].toDate().toString(Qt::ISODate)) + u'|' +
                             r[2].toString());
    QCOMPARE(Sorted(exportedResumes), Sorted(storedResumes));
    QVERIFY(storedResumes.join(QString()).contains(u"学"_s));

    // Values: codes of binary columns as text, Chinese names, numbers as numbers.
    const QList<QVariantList> &tdd = back.Tables[u"T_TDD"_s];
    const int kshCol = ColumnOf(tdd[0], u"KSH"_s);
    const int xmCol = ColumnOf(tdd[0], u"XM"_s);
    const int pcCol = ColumnOf(tdd[0], u"PCDM"_s);
    const QList<int> scoreCols{ColumnOf(tdd[0], u"ZYYTJZCJ"_s), ColumnOf(tdd[0], u"ZYYTFJCJ"_s)};
    QVERIFY(kshCol >= 0 && xmCol >= 0 && pcCol >= 0 && !scoreCols.contains(-1));
    int nulls = 0;
    for (qsizetype r = 1; r < tdd.size(); ++r) {
        const QList<QVariantList> db = W->Rows(
            u"select xm, pcdm, zyytjzcj, zyytfjcj from T_TDD where ksh = "_s + Q(tdd[r][kshCol].toString()));
        QCOMPARE(db.size(), 1);
        QCOMPARE(tdd[r][xmCol].toString(), db[0][0].toString());
        QCOMPARE(tdd[r][pcCol].toString(), db[0][1].toString().trimmed());
        for (int i = 0; i < scoreCols.size(); ++i) {
            const QVariant exported = tdd[r][scoreCols[i]];
            const QVariant stored = db[0][2 + i];
            if (stored.isNull()) {
                QVERIFY(exported.isNull());
                ++nulls;
            } else {
                QVERIFY(IsNumber(exported));
                QCOMPARE(exported.toDouble(), stored.toDouble());
            }
        }
    }
    QVERIFY(nulls > 0);
}

void TestDossierExport::dbaseBytes()
{
    const QString folder = W->NewFolder();
    Export(folder, u"tdd.dbf"_s, FChosen);
    QCOMPARE(W->Messages.Messages.size(), 1);
    for (const QString &table : {u"T_TDD"_s, u"T_QBJHK"_s}) {
        const QByteArray file = zktest::readFile(folder + table + u".dbf"_s);
        QVERIFY(file.size() > 64);
        QCOMPARE(file[0], char(0x03));
        QCOMPARE(file[29], char(0x7A));
        const int records = qFromLittleEndian<qint32>(file.constData() + 4);
        const int headerLength = qFromLittleEndian<quint16>(file.constData() + 8);
        const int recordLength = qFromLittleEndian<quint16>(file.constData() + 10);
        const int fields = (headerLength - 33) / 32;
        QCOMPARE(headerLength, 32 + 32 * fields + 1);
        QCOMPARE(file[headerLength - 1], char(0x0D));
        int sum = 1;
        QSet<char> types;
        for (int i = 0; i < fields; ++i) {
            const char *d = file.constData() + 32 + 32 * i;
            sum += quint8(d[16]);
            types.insert(d[11]);
            if (d[11] == 'N') {
                QCOMPARE(int(quint8(d[16])), 20);
                // The dossier table carries 9 decimals, every other table 5.
                QCOMPARE(int(d[17]), table == "T_TDD"_L1 ? 9 : 5);
            }
        }
        QVERIFY(types.contains('N'));
        QCOMPARE(recordLength, sum);
        QCOMPARE(
            records,
            W->Value(
                 table == "T_TDD"_L1
                     ? u"select count(*) from T_TDD where instr(1, \"%1\", pcdm + kldm + jhxz, 0) > 0"_s.arg(
                           TDumpToFile::SelectionList(FChosen))
                     : u"select count(*) from T_JHK"_s)
                .toInt());
        QCOMPARE(file.size(), qsizetype(headerLength) + qsizetype(records) * recordLength + 1);
        QCOMPARE(file.back(), char(0x1A));
    }
    // LibreOffice reads the dossier file: every record, Chinese names in GBK.
    QString error;
    const QString csv = LibreOfficeCsv(folder + u"T_TDD.dbf"_s, error);
    if (csv.isEmpty())
        QSKIP(qPrintable(error));
    QStringList lines = csv.split(u'\n', Qt::SkipEmptyParts);
    lines.removeFirst();
    QStringList names;
    for (const QString &line : std::as_const(lines))
        names.append(line.section(u',', 1, 1));
    QStringList stored;
    for (const TExportSetRow &s : std::as_const(FChosen)) {
        for (const QVariantList &r : W->Rows(u"select xm from T_TDD"_s + SetWhere(s)))
            stored.append(r[0].toString());
    }
    QCOMPARE(Sorted(names), Sorted(stored));
}

void TestDossierExport::noRowCheckedDoesNothing()
{
    const QString folder = W->NewFolder();
    W->ResetWindows();
    TDumpToFile dump(W->Dm(), W->Progress, W->Messages);
    QVERIFY(!dump.ExportDossiers(folder + u"tdd.dbf"_s, {}));
    QVERIFY(QDir(folder).entryList(QDir::Files).isEmpty());
    QVERIFY(W->Messages.Messages.isEmpty());
    QVERIFY(W->Progress.Calls.isEmpty());
    QVERIFY(W->Univ().Connected());
}

void TestDossierExport::selectionIsASubstringTest()
{
    // A dossier whose codes, put together, occur inside the list of two checked sets
    // straddling the ";" between them, is exported with them.
    const TExportSetRow a = FChosen[0];
    const TExportSetRow b = FChosen[1];
    const QString ksh = u"99990000000001"_s;
    W->Univ().ExecSQL(
        u"insert into T_TDD (KSH, XM, PCDM, KLDM, JHXZ) values (%1, \"跨界\", %2, %3, %4)"_s.arg(
            Q(ksh), Q(a.PCDM), Q(a.KLDM), Q(a.JHXZ + u';' + b.PCDM)));
    const QString folder = W->NewFolder();
    const TReadBack back = Export(folder, u"tdd.xlsx"_s, FChosen);
    W->Univ().ExecSQL(u"delete from T_TDD where KSH = "_s + Q(ksh));
    if (back.Missing)
        QSKIP(qPrintable(back.Error));
    QVERIFY(ColumnTexts(back.Tables[u"T_TDD"_s], u"KSH"_s).contains(ksh));
}

void TestDossierExport::failureInTheMiddleCleansUp_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("dBase") << u"tdd.dbf"_s;
    QTest::newRow("Excel 97") << u"tdd.xls"_s;
}

void TestDossierExport::failureInTheMiddleCleansUp()
{
    QFETCH(QString, name);
    // A score too large for the dBase numeric field fails the insert into "t_temp.dbf"
    // of the dossier table; without the dBase limit, a missing companion table fails.
    const QString ksh =
        W->Rows(u"select ksh from T_TDD"_s + SetWhere(FChosen[0])).value(0).value(0).toString();
    const double old = W->Value(u"select zyytjzcj from T_TDD where ksh = "_s + Q(ksh)).toDouble();
    W->Univ().ExecSQL(u"update T_TDD set zyytjzcj = 1e15 where ksh = "_s + Q(ksh));
    W->Univ().ExecSQL(u"alter table T_TJXX rename to T_TJXX_away"_s);
    const QString folder = W->NewFolder();
    const bool dbase = KindOf(QFileInfo(name).suffix()) == "dbf"_L1;
    if (dbase) {
        // A leftover work file of an earlier export is removed first.
        QFile leftover(folder + u"t_temp.dbf"_s);
        QVERIFY(leftover.open(QIODevice::WriteOnly));
        leftover.write("not a table");
    }
    const QString error = ExportError(folder + name);
    W->Univ().Open();
    W->Univ().ExecSQL(u"alter table T_TJXX_away rename to T_TJXX"_s);
    W->Univ().ExecSQL(u"update T_TDD set zyytjzcj = %1 where ksh = %2"_s.arg(old).arg(Q(ksh)));

    QVERIFY(!error.isEmpty());
    QVERIFY(W->Messages.Messages.isEmpty());
    QCOMPARE(W->Progress.Calls.last().Kind, u"hide"_s);
    QVERIFY(!W->Progress.Showing);
    QVERIFY(!QFile::exists(folder + u"t_temp.dbf"_s));
    if (dbase) {
        QVERIFY2(error.startsWith(u"数值溢出"_s), qPrintable(error));
        // The work file was copied to the dossier table's name: its rows before the failure.
        QVERIFY(QFile::exists(folder + u"T_TDD.dbf"_s));
        QVERIFY(QFile::exists(folder + u"t_tddw.dbf"_s));
        QVERIFY(!QFile::exists(folder + u"T_KSJL.dbf"_s));
    } else {
        // The workbook holds the worksheets written before the failure.
        const TReadBack back = ReadBack(u"xls"_s, {folder + name});
        if (back.Missing)
            QSKIP(qPrintable(back.Error));
        QCOMPARE(Sorted(back.Tables.keys()),
                 Sorted({u"t_jhk"_s, u"t_tddw"_s, u"T_TDD"_s, u"T_KSJL"_s, u"T_KSHKCJ"_s}));
    }
}

void TestDossierExport::refusalsWriteNothing_data()
{
    // Statements run on the user database before the export and after it, records of the
    // first chosen set's first candidate added to T_KSJL, the file name, and the start of
    // the refusal.
    QTest::addColumn<QStringList>("prepare");
    QTest::addColumn<QStringList>("undo");
    QTest::addColumn<int>("records");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("refusal");
    const QStringList undoTjxx{u"drop table T_TJXX"_s, u"alter table T_TJXX_away rename to T_TJXX"_s};
    QString wide = u"create table T_TJXX (KSH text(14) with comp"_s;
    for (int c = 1; c < 257; ++c)
        wide += u", C%1 text(1)"_s.arg(c);
    QTest::newRow("more columns than an Excel 97 worksheet")
        << QStringList{u"alter table T_TJXX rename to T_TJXX_away"_s, wide + u')'} << undoTjxx << 0
        << u"tdd.xls"_s << u"数据表 T_TJXX 有 257 列，超过了 Excel 97 工作表"_s;
    QTest::newRow("more records than an Excel 97 worksheet")
        << QStringList{u"alter table T_KSJL rename to T_KSJL_away"_s,
                       u"create table T_KSJL (KSH text(14) with comp, JL text(20) with comp)"_s}
        << QStringList{u"drop table T_KSJL"_s, u"alter table T_KSJL_away rename to T_KSJL"_s} << 65536
        << u"tdd.xls"_s << u"数据表 T_KSJL 有 65536 条记录，超过了 Excel 97 工作表"_s;
    for (const QString &column : {u"bad name"_s, u"q\"uote"_s, u"x];drop"_s}) {
        const QString quoted = column.contains(u']') ? u'`' + column + u'`' : u'[' + column + u']';
        QTest::addRow("column named %s", qPrintable(column))
            << QStringList{u"alter table T_TJXX rename to T_TJXX_away"_s,
                           u"create table T_TJXX (KSH text(14) with comp, %1 text(5))"_s.arg(quoted)}
            << undoTjxx << 0 << u"tdd.dbf"_s << u"数据表 T_TJXX 的字段名“%1”不是合法的名称"_s.arg(column);
    }
    QTest::newRow("user folder with a double quote") << QStringList() << QStringList() << 0 << u"tdd.xlsx"_s
                                                     << u"用户文件夹的路径中含有双引号或控制字符"_s;
}

void TestDossierExport::refusalsWriteNothing()
{
    QFETCH(QStringList, prepare);
    QFETCH(QStringList, undo);
    QFETCH(int, records);
    QFETCH(QString, name);
    QFETCH(QString, refusal);
    for (const QString &sql : std::as_const(prepare))
        W->Univ().ExecSQL(sql);
    const auto restore = qScopeGuard([&] {
        W->Univ().Open();
        for (const QString &sql : std::as_const(undo))
            W->Univ().ExecSQL(sql);
    });
    if (records > 0) {
        TSqlTransaction transaction(W->Univ());
        TSqlQuery insert(&W->Univ());
        insert.SetSQL(u"insert into T_KSJL values (:ksh, \"经历\")"_s);
        insert.SetTextParam(
            u"ksh"_s,
            W->Rows(u"select ksh from T_TDD"_s + SetWhere(FChosen[0])).value(0).value(0).toString());
        for (int i = 0; i < records; ++i)
            insert.ExecSQL();
        transaction.Commit();
    }
    const QString userFolder = ZKMainDef().LoginInfo.UserFolder;
    const auto restoreFolder = qScopeGuard([&] { ZKMainDef().LoginInfo.UserFolder = userFolder; });
    if (QString::fromLatin1(QTest::currentDataTag()).startsWith(u"user folder"_s))
        ZKMainDef().LoginInfo.UserFolder = userFolder + u"a\" in \"x/"_s;

    const QString folder = W->NewFolder();
    QFile earlier(folder + name);
    QVERIFY(earlier.open(QIODevice::WriteOnly));
    earlier.write("an earlier file of the member");
    earlier.close();
    const QString error = ExportError(folder + name);
    QVERIFY2(error.startsWith(refusal), qPrintable(error));
    if (name.endsWith(u".xls"_s))
        QVERIFY2(error.contains(u".xlsx"_s) && error.contains(u".dbf"_s), qPrintable(error));
    // Nothing was written, replaced or shown, and the user database stayed open.
    QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{name});
    QCOMPARE(zktest::readFile(folder + name), QByteArray("an earlier file of the member"));
    QVERIFY(W->Progress.Calls.isEmpty());
    QVERIFY(W->Messages.Messages.isEmpty());
    QVERIFY(W->Univ().Connected());
}

void TestDossierExport::setCodesStayInsideTheirLiteral()
{
    // Codes that would end the selection list's literal and add a condition of their own
    // are searched for as text: they select nothing beyond the real set's dossiers.
    TExportSetRow hostile{u"1\""_s, u") > 0 or 1 = 1 or instr(1, \""_s, u"x"_s, {}, {}, {}};
    const QString count = u"select count(*) from T_TDD where "_s;
    QCOMPARE(W->Value(count + TDumpToFile::SetCondition({hostile})).toInt(), 0);
    QCOMPARE(W->Value(count + TDumpToFile::SetCondition({hostile, FChosen[0]})).toInt(),
             W->Value(u"select count(*) from T_TDD"_s + SetWhere(FChosen[0])).toInt());
    QVERIFY(W->Value(u"select count(*) from T_TDD"_s).toInt() >
            W->Value(count + TDumpToFile::SetCondition({FChosen[0]})).toInt());
}

QTEST_GUILESS_MAIN(TestDossierExport)
#include "tst_DossierExport.moc"
