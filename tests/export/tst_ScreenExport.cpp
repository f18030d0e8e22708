// The screen export: the texts the grid shows for the open set, one record per grid row
// and one field per grid column, into each kind of target, read back independently.
#include "ExportFixture.h"
#include "TestSupport.h"
#include "export/DbfFile.h"
#include "store/SqlQuery.h"
#include "store/ZKError.h"
#include "store/ZKMainDef.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QtEndian>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// The text a dBase field of width bytes keeps of a text: whole GBK characters.
QString KeptInDbf(const QString &text, int width)
{
    const QByteArray bytes = GbkBytes(text);
    int n = 0;
    while (n < bytes.size()) {
        const int w = quint8(bytes[n]) >= 0x81 ? 2 : 1;
        if (n + w > width)
            break;
        n += w;
    }
    QStringDecoder gbk("GBK");
    return QString(gbk.decode(bytes.left(n))).trimmed();
}

// Field widths of a dBase file by name.
QMap<QString, int> DbfWidths(const QString &path)
{
    const QByteArray file = zktest::readFile(path);
    QMap<QString, int> widths;
    const int headerLength = qFromLittleEndian<quint16>(file.constData() + 8);
    for (int at = 32; at + 32 <= headerLength; at += 32)
        widths.insert(QString::fromLatin1(file.constData() + at), quint8(file[at + 16]));
    return widths;
}

} // namespace

class TestScreenExport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        W = std::make_unique<TExportWorld>();
        QVERIFY(W->Prepare());
        QVERIFY(W->OpenSet(W->Sets().value(0)));
        QVERIFY(W->Dm().CurrentKSList.size() > 3);
    }

    void gridTextsInEveryKind_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("showCodes");
        QTest::addColumn<bool>("filtered"); // the grid narrowed by the number of its first candidate
        QTest::newRow("dBase") << u"t_tddxx.dbf"_s << false << false;
        QTest::newRow("dBase with codes beside names") << u"t_tddxx.dbf"_s << true << false;
        QTest::newRow("a .txt name is a dBase file") << u"screen.txt"_s << false << false;
        QTest::newRow("a dBase file named like the work file") << u"t_temp.dbf"_s << false << false;
        QTest::newRow("Excel 97") << u"t_tddxx.xls"_s << false << false;
        QTest::newRow("Excel 2007 with codes beside names") << u"t_tddxx.xlsx"_s << true << false;
        QTest::newRow("Excel 2007 of a filtered grid") << u"t_tddxx.xlsx"_s << false << true;
    }

    void gridTextsInEveryKind()
    {
        QFETCH(QString, name);
        QFETCH(bool, showCodes);
        QFETCH(bool, filtered);
        TZKMainDef &def = ZKMainDef();
        def.ShowCodes = showCodes;
        TMainDM &dm = W->Dm();
        const auto unfiltered = qScopeGuard([&dm] { dm.SetKsFilterText(QString()); });
        if (filtered) {
            const qsizetype all = dm.CurrentKSList.size();
            dm.SetKsFilterText(dm.CurrentKSList.first()->Ksh);
            QVERIFY(!dm.CurrentKSList.isEmpty() && dm.CurrentKSList.size() < all);
        }
        const QString folder = W->NewFolder();
        W->ResetWindows();
        const auto showNoCodes = qScopeGuard([&def] { def.ShowCodes = false; });
        TDumpToFile(dm, W->Progress, W->Messages).ExportScreen(folder + name);

        const QString ext = QFileInfo(name).suffix();
        const bool dbase = ext != "xls"_L1 && ext != "xlsx"_L1;
        const TReadBack back = ReadBack(dbase ? u"dbf"_s : ext, {folder + name});
        if (back.Missing)
            QSKIP(qPrintable(back.Error));
        QVERIFY2(back.Error.isEmpty(), qPrintable(back.Error));
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{name});
        QCOMPARE(W->Messages.Messages.size(), 1);
        QCOMPARE(W->Messages.Messages[0].Text, u"已完成对屏幕显示的投档单信息的导出。"_s);
        QCOMPARE(W->Messages.Messages[0].Caption, u"导出屏幕显示的投档单信息"_s);
        QCOMPARE(W->Messages.Messages[0].Icon, TMsgIcon::Information);
        const int rows = int(dm.CurrentKSList.size());
        QCOMPARE(W->Progress.Calls.size(), rows + 2);
        const TProgressCall &show = W->Progress.Calls.first();
        QCOMPARE(show.Caption, u"导出屏幕显示的投档单信息"_s);
        QCOMPARE(show.Text, u"正在将屏幕显示的投档单信息导出到DBF文件，请稍候。"_s);
        QCOMPARE(QList<int>({show.Base, show.Ratio, show.Steps}), QList<int>({0, 100, rows}));
        QCOMPARE(W->Progress.Calls.last().Kind, u"hide"_s);

        QCOMPARE(back.Tables.size(), 1);
        const QList<QVariantList> table = back.Tables.first();
        if (!dbase)
            QCOMPARE(back.Tables.firstKey(), u"t_tddxx"_s);
        QStringList names;
        for (const TZKColumnRec &c : std::as_const(dm.ZKColumn))
            names.append(c.Name.toUpper());
        QStringList header;
        for (const QVariant &v : table[0])
            header.append(v.toString().toUpper());
        QCOMPARE(header, names);
        QCOMPARE(table.size() - 1, rows);
        const QMap<QString, int> widths = dbase ? DbfWidths(folder + name) : QMap<QString, int>();
        bool codeBesideName = false;
        for (int r = 0; r < rows; ++r) {
            const TKSItem *ks = dm.CurrentKSList[r];
            for (int c = 0; c < dm.ZKColumn.size(); ++c) {
                const QString shown = dm.GetTddFieldStr(ks, dm.ZKColumn[c]);
                const QString exported = table[r + 1][c].toString();
                const QString expected = dbase ? KeptInDbf(shown, widths.value(dm.ZKColumn[c].Name)) : shown;
                QCOMPARE(exported, expected);
                if (showCodes && dm.ZKColumn[c].ColType == u'C' && shown.contains(u' '))
                    codeBesideName = true;
            }
        }
        QCOMPARE(codeBesideName, showCodes);
    }

    void dbaseFieldWidthsFollowTheFieldTypes()
    {
        TMainDM &dm = W->Dm();
        // The type letters in lower case: the export reads them as the print and the
        // pages do, whatever their case.
        QList<QVariantList> stored = W->Rows(u"select ZDDH, ZDLX from T_TDDZDSX"_s);
        const auto restore = qScopeGuard([&] {
            for (const QVariantList &row : std::as_const(stored)) {
                TSqlQuery q(&dm.UnivConn);
                q.SetSQL(u"update T_TDDZDSX set ZDLX = :zdlx where ZDDH = :zddh"_s);
                q.SetTextParam(u"zdlx"_s, row[1].toString());
                q.SetTextParam(u"zddh"_s, row[0].toString());
                q.ExecSQL();
            }
        });
        dm.UnivConn.ExecSQL(u"update T_TDDZDSX set ZDLX = lower(ZDLX)"_s);
        QCOMPARE(W->Value(u"select count(*) from T_TDDZDSX where ZDLX = \"j\""_s).toInt() > 0, true);
        const QString folder = W->NewFolder();
        W->ResetWindows();
        TDumpToFile(dm, W->Progress, W->Messages).ExportScreen(folder + u"t_tddxx.dbf"_s);
        const QMap<QString, int> widths = DbfWidths(folder + u"t_tddxx.dbf"_s);
        TSqlQuery q(&dm.UnivConn);
        q.SetSQL(u"select ZDDH, ZDLX, XSZFS from T_TDDZDSX"_s);
        QMap<QString, int> expected;
        for (q.Open(); !q.Eof(); q.Next()) {
            const QString type = q.AsString(1).toUpper();
            const int width = q.Value(2).toInt();
            expected.insert(q.AsString(0).toUpper(), type == "J"_L1   ? 18
                                                     : type == "N"_L1 ? 15
                                                                      : (width > 253 ? 254 : width));
        }
        QVERIFY(!widths.isEmpty());
        QVERIFY(std::find(widths.begin(), widths.end(), 18) != widths.end());
        for (auto it = widths.begin(); it != widths.end(); ++it)
            QCOMPARE(it.value(), expected.value(it.key().toUpper()));
    }

    void refusalsWriteNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("columns");   // grid columns added (copies of the first)
        QTest::addColumn<QString>("code");  // the first column's field code, when given
        QTest::addColumn<QString>("refusal");
        const int wider = 257 - int(W->Dm().ZKColumn.size());
        QTest::newRow("more columns than an Excel 97 worksheet")
            << u"t_tddxx.xls"_s << wider << QString() << u"数据表 t_tddxx 有 257 列，超过了 Excel 97 工作表"_s;
        QTest::newRow("field code that is no plain name")
            << u"t_tddxx.dbf"_s << 0 << u"XM text(1)) --"_s << u"数据表 t_tddxx 的字段名“XM text(1)) --”"_s;
        QTest::newRow("field code with a bracket")
            << u"t_tddxx.xlsx"_s << 0 << u"XM]"_s << u"数据表 t_tddxx 的字段名“XM]”"_s;
    }
    void refusalsWriteNothing()
    {
        QFETCH(QString, name);
        QFETCH(int, columns);
        QFETCH(QString, code);
        QFETCH(QString, refusal);
        TMainDM &dm = W->Dm();
        const QList<TZKColumnRec> shown = dm.ZKColumn;
        const auto restore = qScopeGuard([&] { dm.ZKColumn = shown; });
        for (int i = 0; i < columns; ++i)
            dm.ZKColumn.append(shown.first());
        if (!code.isEmpty())
            dm.ZKColumn.first().Name = code;
        const QString folder = W->NewFolder();
        QFile earlier(folder + name);
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write("an earlier file of the member");
        earlier.close();
        W->ResetWindows();
        QString error;
        try {
            TDumpToFile(dm, W->Progress, W->Messages).ExportScreen(folder + name);
        } catch (const EZKError &e) {
            error = e.Message();
        }
        QVERIFY2(error.startsWith(refusal), qPrintable(error));
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{name});
        QCOMPARE(zktest::readFile(folder + name), QByteArray("an earlier file of the member"));
        QVERIFY(W->Progress.Calls.isEmpty());
        QVERIFY(W->Messages.Messages.isEmpty());
    }

private:
    std::unique_ptr<TExportWorld> W;
};

QTEST_GUILESS_MAIN(TestScreenExport)
#include "tst_ScreenExport.moc"
