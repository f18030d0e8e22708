// Which links of a candidate page the window follows: its own fetch links, the candidate's
// pages and documents inside the download folder, web addresses after a question, and
// nothing executable or outside, against real files in a temporary folder.
#include "details/DNLinkPolicy.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(TDNLinkAction)

namespace {

const QString Ksh = u"26110101123456"_s;
const QString Other = u"26110101999999"_s;

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write a fixture file");
}

} // namespace

class TestDNLinkPolicy : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void links_data();
    void links();
    void candidateNumberThatIsNoPlainCode();
    void executableDocuments();

private:
    QString Download() const { return FRoot.path() + u"/user/Download/"_s; }
    TDNLinkContext Context() const
    {
        return {QUrl::fromLocalFile(Download() + u"HtmlTemp/"_s + Ksh + u"_bmxx_1.htm"_s), Download(), Ksh};
    }

    QTemporaryDir FRoot;
};

void TestDNLinkPolicy::initTestCase()
{
    const QString d = Download();
    const QByteArray page("<html><body>page</body></html>");
    WriteFile(d + u"HtmlTemp/"_s + Ksh + u"_bmxx_1.htm"_s, page);
    WriteFile(d + u"HtmlTemp/"_s + Ksh + u"_cjzyxx_2.htm"_s, page);
    WriteFile(d + u"HtmlTemp/"_s + Other + u"_bmxx_1.htm"_s, page);
    WriteFile(d + u"BMB/"_s + Ksh + u".htm"_s, page);
    WriteFile(d + u"BMB/"_s + Ksh + u".pdf"_s, "%PDF-1.4\n");
    WriteFile(d + u"BMB/"_s + Other + u".pdf"_s, "%PDF-1.4\n");
    WriteFile(d + u"TJB/"_s + Ksh + u".png"_s, "\x89PNG\r\n\x1a\n");
    const QString unpacked = d + u"FJB/"_s + Ksh + u"_files/"_s;
    WriteFile(unpacked + u"第1页.txt"_s, "one");
    WriteFile(unpacked + u"readme.doc"_s, "doc");
    WriteFile(unpacked + u"run.sh"_s, "#!/bin/sh\necho\n");
    WriteFile(unpacked + u"start.desktop"_s, "[Desktop Entry]\nType=Application\nExec=true\n");
    WriteFile(unpacked + u"Setup.EXE"_s, "MZ");
    WriteFile(unpacked + u"tool"_s, "data");
    QVERIFY(QFile::setPermissions(unpacked + u"tool"_s, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    WriteFile(unpacked + u"script"_s, "#!/bin/sh\necho hello\n");
    WriteFile(d + u"notes.pdf"_s, "%PDF-1.4\n");
    WriteFile(FRoot.path() + u"/outside/secret.pdf"_s, "%PDF-1.4\n");
    QDir().mkpath(d + u"KSZP"_s);
    QVERIFY(QFile::link(FRoot.path() + u"/outside/secret.pdf"_s, d + u"KSZP/"_s + Ksh + u".pdf"_s));
}

void TestDNLinkPolicy::links_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<TDNLinkAction>("action");
    QTest::addColumn<QString>("file"); // below the download folder, for pages and documents

    using A = TDNLinkAction;
    const QString page = Download() + u"HtmlTemp/"_s + Ksh + u"_bmxx_1.htm"_s;
    const QString fjb = u"../FJB/"_s + Ksh + u"_files/"_s;
    QTest::newRow("photo link") << page + u"?i"_s << A::FetchDocument << QString();
    QTest::newRow("wish link, upper case") << page + u"?Z"_s << A::FetchWishes << QString();
    QTest::newRow("another page of the candidate")
        << Ksh + u"_cjzyxx_2.htm"_s << A::ShowPage << u"HtmlTemp/"_s + Ksh + u"_cjzyxx_2.htm"_s;
    QTest::newRow("document shown as a page") << u"../BMB/"_s + Ksh + u".htm"_s << A::ShowPage
                                              << u"BMB/"_s + Ksh + u".htm"_s;
    QTest::newRow("document") << u"../BMB/"_s + Ksh + u".pdf"_s << A::OpenDocument << u"BMB/"_s + Ksh + u".pdf"_s;
    QTest::newRow("document as file address")
        << QUrl::fromLocalFile(Download() + u"TJB/"_s + Ksh + u".png"_s).toString() << A::OpenDocument
        << u"TJB/"_s + Ksh + u".png"_s;
    QTest::newRow("unpacked text") << fjb + u"第1页.txt"_s << A::ShowPage << u"FJB/"_s + Ksh + u"_files/第1页.txt"_s;
    QTest::newRow("unpacked document") << fjb + u"readme.doc"_s << A::OpenDocument
                                       << u"FJB/"_s + Ksh + u"_files/readme.doc"_s;
    QTest::newRow("shell script") << fjb + u"run.sh"_s << A::Refuse << QString();
    QTest::newRow("desktop launcher") << fjb + u"start.desktop"_s << A::Refuse << QString();
    QTest::newRow("windows program") << fjb + u"Setup.EXE"_s << A::Refuse << QString();
    QTest::newRow("executable bit") << fjb + u"tool"_s << A::Refuse << QString();
    QTest::newRow("script by content") << fjb + u"script"_s << A::Refuse << QString();
    QTest::newRow("unpacked folder") << u"../FJB/"_s + Ksh + u"_files"_s << A::Refuse << QString();
    QTest::newRow("another candidate's page") << Other + u"_bmxx_1.htm"_s << A::Refuse << QString();
    QTest::newRow("another candidate's document") << u"../BMB/"_s + Other + u".pdf"_s << A::Refuse << QString();
    QTest::newRow("other file of the folder") << u"../notes.pdf"_s << A::Refuse << QString();
    QTest::newRow("leaving the folder") << u"../../../outside/secret.pdf"_s << A::Refuse << QString();
    QTest::newRow("leaving by encoded slashes") << u"..%2F..%2F..%2Foutside%2Fsecret.pdf"_s << A::Refuse
                                                << QString();
    QTest::newRow("link leaving the folder") << u"../KSZP/"_s + Ksh + u".pdf"_s << A::Refuse << QString();
    QTest::newRow("missing document") << u"../BMB/"_s + Ksh + u".doc"_s << A::Refuse << QString();
    QTest::newRow("system file") << u"file:///etc/passwd"_s << A::Refuse << QString();
    QTest::newRow("file on another host") << u"file://server/share/x.pdf"_s << A::Refuse << QString();
    QTest::newRow("https") << u"https://example.org/a?b=1"_s << A::AskOpenWeb << QString();
    QTest::newRow("http") << u"HTTP://example.org"_s << A::AskOpenWeb << QString();
    QTest::newRow("http without host") << u"http:x"_s << A::Refuse << QString();
    QTest::newRow("mail") << u"mailto:a@example.org"_s << A::Refuse << QString();
    QTest::newRow("script address") << u"javascript:alert(1)"_s << A::Refuse << QString();
    QTest::newRow("data address") << u"data:text/html,<b>x</b>"_s << A::Refuse << QString();
    QTest::newRow("ftp") << u"ftp://example.org/x"_s << A::Refuse << QString();
    QTest::newRow("network share") << u"smb://server/x"_s << A::Refuse << QString();
    QTest::newRow("package installer") << u"apt:sl"_s << A::Refuse << QString();
}

void TestDNLinkPolicy::links()
{
    QFETCH(QString, link);
    QFETCH(TDNLinkAction, action);
    QFETCH(QString, file);
    const TDNLinkDecision d = DecideDNLink(QUrl(link), Context());
    QCOMPARE(d.Action, action);
    if (!file.isEmpty())
        QCOMPARE(d.LocalFile, QFileInfo(Download() + file).canonicalFilePath());
    else
        QVERIFY(d.LocalFile.isEmpty());
    QCOMPARE(d.RefusalText.isEmpty(), action != TDNLinkAction::Refuse);
    if (action == TDNLinkAction::AskOpenWeb)
        QCOMPARE(d.Target, QUrl(link));
}

// A candidate number that could leave a folder owns no file: nothing local is followed,
// while the window's own links and web addresses still are.
void TestDNLinkPolicy::candidateNumberThatIsNoPlainCode()
{
    for (const QString &ksh : QStringList{u"../"_s + Ksh, QString(), u".."_s, Ksh + u"/.."_s}) {
        TDNLinkContext context = Context();
        context.Ksh = ksh;
        const TDNLinkDecision page = DecideDNLink(QUrl(Ksh + u"_cjzyxx_2.htm"_s), context);
        QCOMPARE(page.Action, TDNLinkAction::Refuse);
        QCOMPARE(DecideDNLink(QUrl(u"../BMB/"_s + Ksh + u".pdf"_s), context).Action, TDNLinkAction::Refuse);
        QCOMPARE(DecideDNLink(QUrl(u"x.htm?i"_s), context).Action, TDNLinkAction::FetchDocument);
        QCOMPARE(DecideDNLink(QUrl(u"https://example.org"_s), context).Action, TDNLinkAction::AskOpenWeb);
    }
}

void TestDNLinkPolicy::executableDocuments()
{
    const QString fjb = Download() + u"FJB/"_s + Ksh + u"_files/"_s;
    for (const QString &name : {u"a.desktop"_s, u"a.SH"_s, u"a.jar"_s, u"a.bat"_s, u"a.cmd"_s, u"a.com"_s,
                                u"a.py"_s, u"a.pl"_s, u"a.AppImage"_s, u"a.run"_s, u"a.bin"_s, u"a.lnk"_s})
        QVERIFY2(IsExecutableDocument(fjb + name), qPrintable(name)); // by name, even when missing
    QVERIFY(IsExecutableDocument(fjb + u"tool"_s));
    QVERIFY(IsExecutableDocument(fjb + u"script"_s));
    QVERIFY(!IsExecutableDocument(fjb + u"readme.doc"_s));
    QVERIFY(!IsExecutableDocument(Download() + u"BMB/"_s + Ksh + u".pdf"_s));
    QVERIFY(!IsExecutableDocument(Download() + u"TJB/"_s + Ksh + u".png"_s));
    QVERIFY(!IsExecutableDocument(fjb + u"missing.pdf"_s));

    QVERIFY(IsInsideFolder(fjb + u"readme.doc"_s, Download()));
    QVERIFY(!IsInsideFolder(Download() + u"KSZP/"_s + Ksh + u".pdf"_s, Download()));
    QVERIFY(!IsInsideFolder(Download() + u"../Download/../../outside/secret.pdf"_s, Download()));
    QVERIFY(!IsInsideFolder(fjb + u"missing.pdf"_s, Download()));
}

QTEST_GUILESS_MAIN(TestDNLinkPolicy)
#include "tst_DNLinkPolicy.moc"
