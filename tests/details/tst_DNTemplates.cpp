// The template language of the candidate pages on small templates: every placeholder
// kind with its exact output, the format texts, the page errors and the page files.
#include "PageRig.h"
#include "store/SqlQuery.h"
#include "store/ZKMainDef.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// K1: pre-admitted to major 03 of unit 002 (no template), health conflict with its own
// restriction code, features not met. K2: returned with a two-line remark. K3: placed
// by the admission office (TDZY "0"), undecided.
void AddCandidates(TPageRig &r)
{
    TFixtureCandidate k1{u"K1"_s, u"张三"_s, u"002"_s};
    k1.KSZT = u"1"_s;
    k1.LQZY = k1.YTZY = u"03"_s;
    k1.ZYDH = {u"03"_s, u"01"_s};
    k1.TDDWDM = {u"002"_s, u"001"_s};
    k1.ZYSXDM = {u"05"_s, u"01"_s};
    k1.ZYYTJZCJ = 600.5;
    k1.ZYHG = u"0"_s;
    k1.TJHG = u"0"_s;
    k1.Extra = {{u"TZDM"_s, u"AB"_s}, {u"BYXX"_s, u"第一中学"_s}, {u"KSTZ"_s, u"应届"_s},
                {u"CJ"_s, 612.5},     {u"GKCJX01"_s, 120.0},      {u"GKCJX02"_s, 131.0},
                {u"ZYTZ"_s, u"AB"_s}, {u"DXTJ"_s, u"0"_s}};
    r.F.AddCandidate(k1);

    TFixtureCandidate k2{u"K2"_s, u"李四"_s, u"001"_s};
    k2.KSZT = u"2"_s;
    k2.LQZY = u"  "_s;
    k2.TDYYDM = u"02"_s;
    k2.BZ = u"第一行\r\n第二行"_s;
    r.F.AddCandidate(k2);

    TFixtureCandidate k3{u"K3"_s, u"王五"_s, u"001"_s};
    k3.TDZY = u"0"_s;
    k3.ZYTJFC = u"0101"_s;
    k3.ZYDH = {u"01"_s};
    r.F.AddCandidate(k3);

    TFixtureCandidate k4{u"K4"_s, u"赵六"_s, u"002"_s};
    k4.DQTDDW = u"001"_s; // moved to another unit: its unit's score does not apply
    k4.KSZT = u"1"_s;
    k4.LQZY = k4.YTZY = u"01"_s;
    r.F.AddCandidate(k4);
}

std::unique_ptr<TPageRig> MakeRig()
{
    auto r = std::make_unique<TPageRig>();
    AddCandidates(*r);
    // The fixture's major 03 bars restriction code 05.
    r->F.Exec({u"update T_JHK set TJSXBZ = \"05\" where ZYDH = \"03\""_s});
    r->AddTjxx(u"K1"_s, {{u"TJJLDM"_s, u"2"_s},
                         {u"ZYSXDM1"_s, u"05"_s},
                         {u"ZYSXDM2"_s, u"  "_s},
                         {u"NK_FYQK"_s, u"2"_s},
                         {u"JWBSBZ"_s, u"1"_s},
                         {u"KQ_SFKC"_s, u"0"_s},
                         {u"YK_SJJCT"_s, u"2"_s},
                         {u"EB_XJ"_s, u"0"_s},
                         {u"YK_SJ"_s, u"x"_s}});
    TSqlQuery q(&r->F.Univ());
    q.SetSQL(u"update t_tjxx set TJRQ = :d, WK_SG = 172 where KSH = \"K1\""_s);
    q.SetParam(u"d"_s, QDateTime(QDate(2026, 4, 3), QTime(0, 0)));
    q.ExecSQL();
    r->AddHkcj(u"K1"_s, u"01"_s, u"A"_s);
    r->AddHkcj(u"K1"_s, u"10"_s, u"合格"_s);
    r->AddHkcj(u"K1"_s, u"11"_s, u"不该出现"_s);
    r->Open();
    return r;
}

} // namespace

class TestDNTemplates : public QObject
{
    Q_OBJECT

private slots:
    void init() { ZKMainDef().Reset(); }

    void textWithoutPlaceholdersIsCopied_data();
    void textWithoutPlaceholdersIsCopied();
    void placeholders_data();
    void placeholders();
    void valueTexts_data();
    void valueTexts();
    void remarkBox();
    void scoreTableKeepsLiteralPercentAndPadsPairs();
    void gradedScoresShowTheirGrade();
    void wishesFromTheDossierWhileOffline();
    void wishesFromAllWishesWithLink();
    void restrictedMajors();
    void photoCell();
    void resumeRowsLastFirst();
    void pageErrors();
    void pageFilesAreUtf16AndReplaced();
};

void TestDNTemplates::textWithoutPlaceholdersIsCopied_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("plain html") << u"\uFEFF<html><p class=zktabledefault>考生</p></html>"_s;
    QTest::newRow("empty") << QString();
    QTest::newRow("no digit after the mark") << u"<#x> and <#>"_s;
    QTest::newRow("kind digit outside 0..3") << u"<#9abc>"_s;
    QTest::newRow("placeholder without end mark") << u"a<#0KSH"_s;
    QTest::newRow("format placeholder without its end mark") << u"<#0:C%s>"_s;
}

void TestDNTemplates::textWithoutPlaceholdersIsCopied()
{
    QFETCH(QString, text);
    auto r = MakeRig();
    QCOMPARE(r->Page(u"K1"_s, text), text);
}

void TestDNTemplates::placeholders_data()
{
    QTest::addColumn<QString>("ksh");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    const QString year = QDate::currentDate().toString(u"yyyy"_s);
    QTest::newRow("field of another letter") << u"K1"_s << u"[<#0KSH>]"_s << u"[K1]"_s;
    QTest::newRow("code field, name in lower case") << u"K1"_s << u"<#0xbdm>"_s << u"1 男"_s;
    QTest::newRow("yes/no field D") << u"K1"_s << u"<#0ZYZYTJ>"_s << u"1 是"_s;
    QTest::newRow("yes/no field Y") << u"K1"_s << u"<#0ZYHG>"_s << u"0 否"_s;
    QTest::newRow("code per character T") << u"K1"_s << u"<#0TZDM>"_s << u"优先 定向 "_s;
    QTest::newRow("unit W of a pre-admitted") << u"K1"_s << u"<#0TDDW>"_s << u"002 二志愿投档"_s;
    QTest::newRow("text field S") << u"K1"_s << u"<#0BYXX>"_s << u"第一中学"_s;
    QTest::newRow("field not described") << u"K1"_s << u"<#0NOSUCH>"_s << u"NOSUCH"_s;
    QTest::newRow("code field with table") << u"K1"_s << u"<#0:DXBDM#TD_XBDM>"_s << u"1 男"_s;
    QTest::newRow("code field, unknown table") << u"K1"_s << u"<#0:DXBDM#TD_NONE>"_s << u"1 "_s;
    QTest::newRow("status rows, either case") << u"K1"_s << u"<#0:s0>|<#0:S1>"_s << u"预录取|预录专业"_s;
    QTest::newRow("status of a returned") << u"K2"_s << u"<#0:S0>|<#0:S1>"_s << u"预退档未发送|退档原因"_s;
    QTest::newRow("status of an undecided") << u"K3"_s << u"<#0:S0>|<#0:S1>"_s << u"专业未定|"_s;
    QTest::newRow("features ignore the parameter") << u"K1"_s << u"<#0:Tabc>"_s << u"应届"_s;
    QTest::newRow("adjusted score") << u"K1"_s << u"<#0:X>"_s << u"600.5"_s;
    QTest::newRow("adjusted score across units") << u"K4"_s << u"<#0:X>"_s << u"(跨投档单位)"_s;
    QTest::newRow("unit W follows the current unit") << u"K4"_s << u"<#0TDDW>"_s << u"001 一志愿投档"_s;
    QTest::newRow("pre-admitted major") << u"K1"_s << u"<#0:Y>"_s << u"03 物理学"_s;
    QTest::newRow("return reason") << u"K2"_s << u"<#0:Y>"_s << u"02 体检不合格"_s;
    QTest::newRow("undecided has no value") << u"K3"_s << u"[<#0:Y>]"_s << u"[]"_s;
    QTest::newRow("other letters give the parameter")
        << u"K1"_s << u"<#0:Qab><#1Qcd><#3Qef>"_s << u"abcdef"_s;
    QTest::newRow("year and province") << u"K1"_s << u"<#3Tx>"_s << year + u"年测试省"_s;
    QTest::newRow("health field as text") << u"K1"_s << u"<#1STJRQ>|<#1swk_sg>"_s << u"2026-04-03|172"_s;
    QTest::newRow("health fixed fields")
        << u"K1"_s << u"<#1F>|<#1J>|<#1K>|<#1P>|<#1X>"_s << u"2 中|1 无|0 是|2 其他|0 迟钝"_s;
    QTest::newRow("health R and Y") << u"K1"_s << u"<#1RTJJLDM>|<#1YYK_SJ>"_s << u"2 专业受限|x"_s;
    QTest::newRow("proficiency scores") << u"K1"_s << u"<#21>|<#210>|<#211>|<#2x>"_s << u"A|合格||A"_s;
    QTest::newRow("lower-case format placeholder ends with #>")
        << u"K2"_s << u"<#3j[%2:s>]#>"_s << u"[(空)>]"_s;
    QTest::newRow("literal around items") << u"K1"_s << u"a<#0KSH>b<#0KSH>c"_s << u"aK1bK1c"_s;
}

void TestDNTemplates::placeholders()
{
    QFETCH(QString, ksh);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    auto r = MakeRig();
    QCOMPARE(r->Page(ksh, text), expected);
}

void TestDNTemplates::valueTexts_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("group");
    QTest::addColumn<QString>("expected");
    QTest::newRow("yes") << u"1"_s << int(vgYesNo) << u"1 是"_s;
    QTest::newRow("out of range") << u"2"_s << int(vgYesNo) << u"2"_s;
    QTest::newRow("not a number") << u"Y"_s << int(vgYesNo) << u"Y"_s;
    QTest::newRow("empty") << QString() << int(vgResult) << QString();
    QTest::newRow("result 3") << u"3"_s << int(vgResult) << u"3 不合格"_s;
    QTest::newRow("result 0 is outside") << u"0"_s << int(vgResult) << u"0"_s;
    QTest::newRow("development 1") << u"1"_s << int(vgNK_FYQK) << u"1 良"_s;
    QTest::newRow("chart edition") << u"1"_s << int(vgYK_SJJCT) << u"1 标准色觉检查图"_s;
}

void TestDNTemplates::valueTexts()
{
    QFETCH(QString, value);
    QFETCH(int, group);
    QFETCH(QString, expected);
    QCOMPARE(DNValueText(value, group), expected);
}

void TestDNTemplates::remarkBox()
{
    auto r = MakeRig();
    const QString head =
        u"<span style='font-size:11.0pt;font-family:宋体;color:black'><p class=zktabledefault>"_s;
    const QString tail = u"</p></span>"_s;
    const QString brk = u"</p><p class=zktabledefault>"_s;
    QCOMPARE(r->Page(u"K1"_s, u"<#0:B>"_s), head + u"考生体检结果与该专业有冲突(第 05 项受限)"_s + brk +
                                                u"考生的特征与专业该专业录取要求不符"_s + tail);
    QCOMPARE(r->Page(u"K2"_s, u"<#0:B>"_s), head + u"第一行"_s + brk + u"第二行"_s + tail);
    QCOMPARE(r->Page(u"K3"_s, u"<#0:B>"_s), head + tail);

    // A failed health check names no restriction; a met major adds nothing.
    r->F.Ks(u"K1"_s)->TjjlHg = false;
    r->F.Ks(u"K1"_s)->ZyHg = true;
    QCOMPARE(r->Page(u"K1"_s, u"<#0:B>"_s), head + u"考生体检结果与该专业有冲突(考生体检不合格)"_s + tail);
}

void TestDNTemplates::scoreTableKeepsLiteralPercentAndPadsPairs()
{
    auto r = MakeRig();
    // Three fixed pairs and the two scores of K1: five pairs, padded to six. The percent
    // before the quote is literal, the one before ';' too; "%s" are directives.
    const QString page = r->Page(u"K1"_s, u"<#0:C<td width=50%\">%s=%s;%s=%s 5%;#>"_s);
    QCOMPARE(page, u"<td width=50%\">总分=612.5;特征成绩= 5%;"_s
                   u"<td width=50%\">投档成绩=;01 语文=120 5%;"_s
                   u"<td width=50%\">02 数学=131; =  5%;"_s);
    // A directive that does not fit its argument is a page error, not a crash.
    QVERIFY(r->PageError(u"K1"_s, u"<#0:C%d#>"_s).startsWith(u"Format '"_s));
}

void TestDNTemplates::gradedScoresShowTheirGrade()
{
    TPageRig r(true);
    TFixtureCandidate g{u"G1"_s};
    g.Extra = {{u"CJ"_s, 500.0}, {u"GKCJX01"_s, 99.0}, {u"GKCJX03"_s, 2.0}, {u"GKCJX05"_s, u"x"_s}};
    r.F.AddCandidate(g);
    r.Open();
    // 03 is graded on type 001 (grade 2 is B); 05 on 002 with a value that is no number.
    QCOMPARE(r.Page(u"G1"_s, u"<#0:C%s=%s,%s=%s|#>"_s),
             u"辅助投档分=500,特征成绩=|投档成绩=,01 语文=99|03 物理=B,05 生物=|"_s);
}

void TestDNTemplates::wishesFromTheDossierWhileOffline()
{
    auto r = MakeRig();
    const QString tmpl = u"<#0:Z[%s]##<%s>#>"_s;
    QCOMPARE(r->Page(u"K1"_s, tmpl),
             u"[1 本科一批][　　第 1 志愿 (1 理工，1 非定向) 10001 测试大学]"_s
             u"[　　　　002-03    物理学][　　　　001-01    计算机科学与技术]"_s
             u"[　　　　特征: A优先 B定向 ][　　　　允许专业调剂　　不允许定向调剂]"_s);
    // Placed by the admission office: the classes marked in ZYTJFC, here 2 and 4.
    QCOMPARE(r->Page(u"K3"_s, tmpl).section(u']', 0, 0),
             u"[该考生是由招办调剂到你校的，服从下列专业类别: 2 理学  4 .  "_s);
}

void TestDNTemplates::wishesFromAllWishesWithLink()
{
    auto r = MakeRig();
    r->AddQbzy(u"K1"_s,
               {u"1"_s, u"1"_s, u"1"_s, u"1"_s, u"002"_s, u"10001"_s, u"测试大学"_s, u"A"_s, u"0"_s, u"1"_s},
               {u"03 物理学"_s});
    r->AddQbzy(u"K1"_s,
               {u"1"_s, u"1"_s, u"1"_s, u"1"_s, u"001"_s, u"10001"_s, u"测试大学"_s, u""_s, u"1"_s, u"1"_s},
               {u"01 计算机"_s, u"02 数学"_s});
    r->AddQbzy(u"K1"_s,
               {u"2"_s, u"1"_s, u"1"_s, u"3"_s, u"009"_s, u"20002"_s, u"他校"_s, u""_s, u"1"_s, u"0"_s}, {});
    r->AddQbzy(u"OTHER"_s, {u"1"_s, u"1"_s, u"1"_s, u"1"_s, u"001"_s, u"1"_s, u"x"_s, u""_s, u"1"_s, u"1"_s},
               {});
    ZKMainDef().IsConnected = true;
    const QString page = r->Page(u"K1"_s, u"<#0:Z%s|##<%s>#>"_s);
    const QString link = u"<<a href=\""_s + r->B.CurHtmlFileName + u"?z\">下载全部志愿</a>>"_s;
    QCOMPARE(
        page,
        u"1 本科一批|　　第 1 志愿 (1 理工，1 非定向) 10001 测试大学|"_s
        u"　　　　002-03    物理学|　　　　特征: A优先 |　　　　不允许专业调剂　　允许定向调剂|"_s
        u"　　　　001-01    计算机|　　　　001-02    数学|　　　　特征: |　　　　允许专业调剂　　允许定向调剂|"_s
        u"2 本科二批|　　第 3 志愿 (1 理工，1 非定向) 20002 他校|　　　　特征: |"_s
        u"　　　　允许专业调剂　　不允许定向调剂|"_s +
            link);
}

void TestDNTemplates::restrictedMajors()
{
    auto r = MakeRig();
    const QString tmpl = u"<#1Z(%s/%s)#>"_s;
    // Code 05 of K1 bars major 03 of unit 002 only.
    QCOMPARE(r->Page(u"K1"_s, tmpl), u"(002-03 物理学/ )"_s);
    r->F.Exec({u"update t_tjxx set ZYSXDM1 = \"09\" where KSH = \"K1\""_s});
    QCOMPARE(r->Page(u"K1"_s, tmpl), u"((无)/ )"_s);
    r->F.Exec({u"update t_tjxx set ZYSXDM1 = \"01\", ZYSXDM2 = \"05\" where KSH = \"K1\""_s});
    QCOMPARE(r->Page(u"K1"_s, tmpl), u"(001-01 计算机科学与技术/002-03 物理学)"_s);
    r->F.Exec({u"update t_tjxx set TJJLDM = \"3\" where KSH = \"K1\""_s});
    QCOMPARE(r->Page(u"K1"_s, tmpl), u"((所有专业均受限)/ )"_s);
    r->F.Exec({u"update t_tjxx set TJJLDM = \"x\" where KSH = \"K1\""_s});
    QCOMPARE(r->Page(u"K1"_s, tmpl), u"((无)/ )"_s);
}

void TestDNTemplates::photoCell()
{
    auto r = MakeRig();
    ZKMainDef().AutoPhoto = false;
    QCOMPARE(r->Page(u"K1"_s, u"<#3I>"_s), u"照片"_s); // offline
    ZKMainDef().IsConnected = true;
    QCOMPARE(r->Page(u"K1"_s, u"<#3Ix>"_s), u"<a href=\""_s + r->B.CurHtmlFileName + u"?i\">下载照片</a>"_s);
    ZKMainDef().AutoPhoto = true;
    QCOMPARE(r->Page(u"K1"_s, u"<#3I>"_s), u"照片"_s);
    r->B.CurPhotoDownloaded = true;
    r->B.CurPhotoFileName = u"/p/K1.jpg"_s;
    QCOMPARE(r->Page(u"K1"_s, u"<#3I>"_s), u"<img width=96 height=128 src=\"/p/K1.jpg\">"_s);
}

void TestDNTemplates::resumeRowsLastFirst()
{
    auto r = MakeRig();
    const QString tmpl = u"<#3J[%s~%s %s %s %s]#>"_s;
    QCOMPARE(r->Page(u"K1"_s, tmpl), u"[~ (空)  ]"_s);
    r->AddKsjl(u"K1"_s, QDate(2014, 9, 1), QDate(2020, 7, 1), u"小学"_s);
    r->AddKsjl(u"K1"_s, QDate(2023, 9, 1), QDate(2026, 6, 10), u"高中"_s);
    QCOMPARE(r->Page(u"K1"_s, tmpl),
             u"[2023-09-01~2026-06-10 高中 学生 老师][2014-09-01~2020-07-01 小学 学生 老师]"_s);
}

void TestDNTemplates::pageErrors()
{
    auto r = MakeRig();
    // Without health placeholders a missing health row is no error.
    QCOMPARE(r->PageError(u"K2"_s, u"<#0KSH>"_s), QString());
    QCOMPARE(r->PageError(u"K2"_s, u"<#0KSH><#1STJRQ>"_s), u"t_tjxx中找不到该考生"_s);
    r->F.Exec({u"delete from T_TDD where KSH = \"K2\""_s});
    QCOMPARE(r->PageError(u"K2"_s, u"<#0KSH>"_s), u"T_TDD中找不到该考生"_s);
}

void TestDNTemplates::pageFilesAreUtf16AndReplaced()
{
    auto r = MakeRig();
    r->B.SetTemplate(1, u"\uFEFF<#0XM>"_s);
    r->B.SetCandidate(u"K1"_s, r->F.Ks(u"K1"_s));
    const QString first = r->B.BuildDNPage(1);
    const QString folder = ZKMainDef().LoginInfo.DownloadFolder + u"HtmlTemp/"_s;
    QVERIFY2(QRegularExpression(u"^K1_cjzyxx_\\d{17}\\.htm$"_s).match(QFileInfo(first).fileName()).hasMatch(),
             qPrintable(first));
    QCOMPARE(QFileInfo(first).absolutePath() + u'/', folder);
    QCOMPARE(r->B.CurHtmlFileName, first);
    QFile file(first);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("\xFF\xFE\x20\x5F\x09\x4E", 6)); // BOM, 张, 三
    file.close();

    QTest::qWait(2); // a later time stamp
    const QString second = r->B.BuildDNPage(1);
    QVERIFY(second != first);
    QVERIFY(!QFile::exists(first));
    QVERIFY(QFile::exists(second));

    // A failed page keeps the last page file and its name.
    r->F.Exec({u"delete from T_TDD where KSH = \"K1\""_s});
    QVERIFY_THROWS_EXCEPTION(EZKError, r->B.BuildDNPage(1));
    QCOMPARE(r->B.CurHtmlFileName, second);
    QCOMPARE(QDir(folder).entryList(QDir::Files).size(), 1);
}

QTEST_GUILESS_MAIN(TestDNTemplates)
#include "tst_DNTemplates.moc"
