// The code table page: its sections, copies side by side, padding, titles, and the file.
#include "WorkspaceFixture.h"
#include "store/ZKMainDef.h"

#include <QFile>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QString Head = u"<table border=\"1\" cellspacing=\"0\" cellpadding=\"0\" width=960 "
                     "style='font-size:10.0pt;font-family:宋体'>\r\n"_s;
const QString Blue = u"<span style='color:blue;font-weight:bold'>"_s;
const QString Space = u"\u3000"_s;

QList<TCodeTableColumn> Reasons()
{
    return {{u"tdyydm"_s, u"■"_s, 15}, {u"tdyymc"_s, u"退档原因"_s, -85}};
}

QString Cells(const QStringList &texts)
{
    QString out;
    for (int i = 0; i < texts.size(); ++i) {
        out += i % 2 == 0 ? u"<td width=3.75% style='text-align:center'>"_s
                          : u"<td width=21.25% style='border-left:none'>"_s;
        out += texts[i] + u"</td>\r\n"_s;
    }
    return out;
}

QString ReadUtf16(const QString &path, QByteArray *raw = nullptr)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    if (raw)
        *raw = bytes;
    return QString(reinterpret_cast<const QChar *>(bytes.constData()), bytes.size() / 2);
}

} // namespace

class TestCodeTablePage : public QObject
{
    Q_OBJECT

private slots:
    void pageWidth()
    {
        TWorkspaceFixture f;
        QCOMPARE(f.Dm().CodeTablePageWidth(), 960);
        f.View.Width = 1000;
        QCOMPARE(f.Dm().CodeTablePageWidth(), 750);
        f.View.Width = 1280;
        f.View.Dpi = 192;
        QCOMPARE(f.Dm().CodeTablePageWidth(), 750);
    }

    void copiesSideBySide()
    {
        TWorkspaceFixture f;
        const QString section =
            f.Dm().WriteCodeTableSection(u"td_tdyydm"_s, 240, Reasons(), 0, QString(), 960);
        // Four copies; the heading and three reasons fill one row.
        QCOMPARE(section, u"<p></p>"_s + Head + u"<tr>\r\n"_s +
                              Cells({Blue + u"■</span>"_s, Blue + u"退档原因</span>"_s, u"01"_s,
                                     u"专业不录取"_s, u"02"_s, u"体检不合格"_s, u"03"_s, u"其他"_s}) +
                              u"</tr>\r\n</table>\r\n"_s);
    }

    void entriesRunDownEachCopyAndArePadded()
    {
        TWorkspaceFixture f;
        f.Exec({u"insert into TD_TDYYDM values (\"04\", \"<b>&\")"_s,
                u"insert into TD_TDYYDM values (\"05\", \"\")"_s});
        const QString section =
            f.Dm().WriteCodeTableSection(u"td_tdyydm"_s, 240, Reasons(), 0, QString(), 960);
        // Six entries padded to eight: two rows; names are escaped, an empty one is "　".
        QCOMPARE(section,
                 u"<p></p>"_s + Head + u"<tr>\r\n"_s +
                     Cells({Blue + u"■</span>"_s, Blue + u"退档原因</span>"_s, u"02"_s, u"体检不合格"_s,
                            u"04"_s, u"&lt;b&gt;&amp;"_s, Space, Space}) +
                     u"</tr>\r\n<tr>\r\n"_s +
                     Cells({u"01"_s, u"专业不录取"_s, u"03"_s, u"其他"_s, u"05"_s, Space, Space, Space}) +
                     u"</tr>\r\n</table>\r\n"_s);
    }

    void titlesAndEmptySources()
    {
        TWorkspaceFixture f;
        const QList<TCodeTableColumn> noHeading{{u"cjxdm"_s, QString(), 20}, {u"cjxmc"_s, QString(), -80}};
        // A titled list without entries holds only its title row.
        QCOMPARE(f.Dm().WriteCodeTableSection(u"select * from td_cjxdm where cjxlxdm=\"009\""_s, 180,
                                              noHeading, 7, u"<i>T</i>"_s, 960),
                 Head + u"<tr>\r\n<td colspan=10><i>T</i></td>\r\n</tr>\r\n</table>\r\n"_s);
        // No rows, no heading: no filler cells, no entry rows.
        QCOMPARE(f.Dm().WriteCodeTableSection(u"td_dqdm"_s, 240, Reasons(), 2, QString(), 960),
                 u"<p></p>"_s + Head + u"</table>\r\n"_s);
        try {
            f.Dm().WriteCodeTableSection(u"td_nope"_s, 240, Reasons(), 0, QString(), 960);
            QFAIL("no error");
        } catch (const EZKError &e) {
            QVERIFY(e.Message().startsWith(u"[Table: td_nope]"_s));
        }
    }

    void wholePage_data()
    {
        QTest::addColumn<bool>("graded");
        QTest::addColumn<int>("sections");
        QTest::newRow("normal") << false << 20;
        QTest::newRow("graded") << true << 22;
    }
    void wholePage()
    {
        QFETCH(bool, graded);
        QFETCH(int, sections);
        TWorkspaceFixture f(graded);
        QCOMPARE(f.Dm().ReadDMTable(), 0);
        const QString path = f.UserFolder() + u"codetable.htm"_s;
        f.Dm().WriteCodeTablePage(path, 2024, 960);
        QByteArray raw;
        const QString page = ReadUtf16(path, &raw);
        QVERIFY(raw.startsWith("\xFF\xFE<\0h\0"));
        QVERIFY(page.startsWith(
            u"\uFEFF<html>\r\n<head>\r\n<meta http-equiv=Content-Type "
            u"content=\"text/html;charset=unicode\">\r\n"
            "<title>2024年测试省普通高等学校招生代码表</title>\r\n</head>\r\n<body>\r\n<table border=\"0\" "
            "width=960>\r\n"
            "<tr>\r\n<td style='text-align:center;font-size:16.0pt;font-family:宋体;font-weight:bold'>"
            "2024年测试省普通高等学校招生代码表</td>\r\n</tr>\r\n</table>\r\n<p></p><table border=\"1\""_s));
        QVERIFY(page.endsWith(u"</table>\r\n</body>\r\n</html>\r\n"_s));
        QCOMPARE(page.count(u"<table border=\"1\""_s), sections);
        // Policies: the statement's computed column, three copies of 320 in 960.
        QVERIFY(page.contains(
            u"<td width=3.33% style='text-align:center'>01</td>\r\n"
            "<td width=12.33% style='border-left:none'>烈士子女</td>\r\n"
            "<td width=7.67% style='border-left:none;text-align:center'>10</td>\r\n"
            "<td width=10.00% style='border-left:none;text-align:center'>院校投档线</td>\r\n"_s));
        // Restriction texts: one copy across the page.
        QVERIFY(page.contains(u"<td width=4.00% style='text-align:center'>01</td>\r\n"
                              "<td width=96.00% style='border-left:none'>色盲不宜</td>\r\n"_s));
        if (graded) {
            QVERIFY(page.contains(u"<td colspan=10>"_s + Blue +
                                  u" ■ 成绩项类型001：等级，对应等级：</span>"
                                  "A(3),B(2),C(1),D(0)</td>"_s));
            QVERIFY(page.contains(u"<td colspan=10>"_s + Blue +
                                  u" ■ 成绩项类型002：合格性，对应等级：</span>"
                                  "合格(2),不合格(0)</td>"_s));
            QVERIFY(page.contains(Blue + u"数值成绩项</span>"_s));
        } else {
            QVERIFY(page.contains(Blue + u"成绩项</span>"_s));
        }
    }

    void showWritesAndOpensThePage()
    {
        TWorkspaceFixture f;
        QCOMPARE(f.Dm().ReadDMTable(), 0);
        f.Dm().ShowCodeTableHtml();
        QCOMPARE(f.Opener.Opened, QStringList{f.UserFolder() + u"codetable.htm"_s});
        QVERIFY(ReadUtf16(f.Opener.Opened[0]).contains(u"普通高等学校招生代码表</title>"_s));
        // A missing code table ends the page; it is not opened.
        f.Exec({u"drop table TD_MZDM"_s});
        f.Dm().ShowCodeTableHtml();
        QCOMPARE(f.Opener.Opened.size(), 1);
        QCOMPARE(f.Messages.Messages.size(), 1);
        QVERIFY(f.Messages.Messages[0].Text.startsWith(u"生成代码表时出错：[Table: td_mzdm]"_s));
        QCOMPARE(f.Messages.Messages[0].Caption, u"代码表页面"_s);
        QCOMPARE(f.Messages.Messages[0].Icon, TMsgIcon::Error);
    }
};

QTEST_GUILESS_MAIN(TestCodeTablePage)
#include "tst_CodeTablePage.moc"
