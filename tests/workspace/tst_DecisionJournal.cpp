// The decision journal: a row with every decision, written with it or not at all (also
// when the process dies), and `zelkinc-cli journal` printing it.
#include "TestSupport.h"
#include "WorkspaceFixture.h"
#include "store/SqlQuery.h"
#include "store/StorageFolder.h"
#include "store/ZKMainDef.h"
#include "workspace/DecisionJournal.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// J1 undecided (proposed 01), J2 pre-admitted to 02, J3 returned with a reason and a remark.
void AddThree(TWorkspaceFixture &f)
{
    TFixtureCandidate j1{u"J1"_s, u"甲"_s};
    j1.YTZY = u"01"_s;
    TFixtureCandidate j2{u"J2"_s, u"乙"_s};
    j2.KSZT = u"1"_s;
    j2.LQZY = j2.YTZY = u"02"_s;
    TFixtureCandidate j3{u"J3"_s, u"丙"_s};
    j3.KSZT = u"2"_s;
    j3.LQZY = u"  "_s;
    j3.YTZY = u"01"_s;
    j3.TDYYDM = u"02"_s;
    j3.BZ = u"旧备注"_s;
    for (const TFixtureCandidate &c : {j1, j2, j3})
        f.AddCandidate(c);
}

TChangeLQZTAnswer Ok(bool preAdmit, int reason = 0, const QString &remark = {})
{
    return {true, preAdmit, reason, remark};
}

void Decide(TWorkspaceFixture &f, const QStringList &kshs, const TChangeLQZTAnswer &answer)
{
    TFakeChangeLQZTDialog dialog;
    dialog.Answer = answer;
    TChangeLQZTForm form(f.Dm(), dialog);
    f.Select(kshs);
    form.Execute();
}

QStringList Rows(TSqlConnection &conn, const QString &sql)
{
    TSqlQuery q(&conn);
    q.SetSQL(sql);
    QStringList rows;
    for (q.Open(); !q.Eof(); q.Next()) {
        QStringList cells;
        for (int i = 0; i < q.FieldCount(); ++i)
            cells.append(q.AsString(i));
        rows.append(cells.join(u'|'));
    }
    return rows;
}

const QString JournalColumns = u"select KSH, XM, YKSZT, XKSZT, LQZY, TDYYDM, BZ from t_decision_journal"_s;

// The user database as a process that starts after a crash finds it.
struct TReopened
{
    explicit TReopened(const TWorkspaceFixture &f)
        : Conn(f.UserFolder() + UnivDatabaseFileName)
    {
        Conn.Open();
    }
    QString Tdd(const QString &ksh)
    {
        return Rows(Conn, u"select KSZT, LQZY from T_TDD where KSH = \"%1\""_s.arg(ksh)).value(0);
    }
    QStringList Journal()
    {
        return Conn.TableExists(TDecisionJournal::TableName)
                   ? Rows(Conn, JournalColumns + u" order by JLBH"_s)
                   : QStringList();
    }
    TSqlConnection Conn;
};

// Runs child in a forked process that ends with _exit (no destructors, no close), and
// returns its exit status.
template<class F>
int InChild(F child)
{
    const pid_t pid = fork();
    if (pid == 0) {
        child();
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct TCliRun
{
    int ExitCode = -1;
    QStringList Lines;
    QStringList ErrLines;
};

TCliRun RunJournal(const TWorkspaceFixture &f, const QString &user = u"member1"_s,
                   const QStringList &set = {u"1"_s, u"1"_s, u"1"_s})
{
    QProcess p;
    p.setProgram(QDir(zktest::programFolder()).filePath(u"zelkinc-cli"_s));
    p.setArguments(QStringList{u"journal"_s, u"--storage"_s, f.StorageFolder(), u"--province"_s, u"99"_s,
                               u"--user"_s, user, u"--set"_s} +
                   set);
    p.start();
    if (!p.waitForFinished(60000))
        qFatal("zelkinc-cli did not finish");
    const auto lines = [](const QByteArray &bytes) {
        QStringList l = QString::fromUtf8(bytes).split(u'\n');
        if (!l.isEmpty() && l.last().isEmpty())
            l.removeLast();
        return l;
    };
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, lines(p.readAllStandardOutput()),
            lines(p.readAllStandardError())};
}

} // namespace

class TestDecisionJournal : public QObject
{
    Q_OBJECT

private slots:
    void everyKindOfDecisionWritesItsRow()
    {
        TWorkspaceFixture f;
        AddThree(f);
        f.Open();
        struct TCase
        {
            QStringList Select;
            TChangeLQZTAnswer Answer;
            QStringList Rows; // KSH|XM|old|new|major|reason|remark, in candidate-number order
        };
        const QList<TCase> cases = {
            // Pre-admission to the proposed major.
            {{u"J1"_s}, Ok(true), {u"J1|甲|0|1|01||"_s}},
            // Pre-return with reason and remark, of an admitted and an undecided-now-admitted one.
            {{u"J2"_s, u"J1"_s},
             Ok(false, 2, u"分数不够"_s),
             {u"J1|甲|1|2||03|分数不够"_s, u"J2|乙|1|2||03|分数不够"_s}},
            // A change back: the returned candidate pre-admitted again.
            {{u"J3"_s}, Ok(true), {u"J3|丙|2|1|01||"_s}},
        };
        int written = 0;
        for (const TCase &c : cases) {
            Decide(f, c.Select, c.Answer);
            const QStringList rows = Rows(f.Univ(), JournalColumns + u" order by JLBH"_s).mid(written);
            QCOMPARE(rows, c.Rows);
            written += int(rows.size());
        }
        // The set, the time, and nothing sent yet; the listing is newest first.
        const QList<TJournalEntry> entries = TDecisionJournal(f.Univ()).Read(u"1"_s, u"1"_s, u"1"_s);
        QCOMPARE(entries.size(), 4);
        QCOMPARE(entries.first().KSH, u"J3"_s);
        QVERIFY(entries.first().Number > entries.last().Number);
        for (const TJournalEntry &e : entries) {
            QCOMPARE(QStringList({e.PCDM, e.KLDM, e.JHXZ}), QStringList({u"1"_s, u"1"_s, u"1"_s}));
            QVERIFY2(
                QRegularExpression(u"^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$"_s).match(e.Time).hasMatch(),
                qPrintable(e.Time));
            QVERIFY(!e.Sent);
        }
        QVERIFY(TDecisionJournal(f.Univ()).Read(u"1"_s, u"1"_s, u"2"_s).isEmpty());
    }

    void aRefusedRowKeepsDecisionAndJournalTogether_data()
    {
        QTest::addColumn<QByteArray>("table");
        QTest::newRow("dossier row refused") << QByteArray("T_TDD");
        QTest::newRow("journal row refused") << QByteArray("t_decision_journal");
    }

    void aRefusedRowKeepsDecisionAndJournalTogether()
    {
        QFETCH(QByteArray, table);
        TWorkspaceFixture f;
        AddThree(f);
        f.Open();
        TDecisionJournal(f.Univ()).EnsureTable();
        const QByteArray event = table == "T_TDD" ? "update" : "insert";
        const QByteArray trigger = "create trigger refuse_j2 before " + event + " on " + table +
                                   " when new.KSH = 'J2' begin select raise(abort, 'refused'); end";
        QCOMPARE(sqlite3_exec(f.Univ().Handle(), trigger.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
        Decide(f, {u"J3"_s, u"J2"_s, u"J1"_s}, Ok(false, 0, u"备注"_s));
        QCOMPARE(f.Messages.Messages.size(), 1);
        QVERIFY(f.Messages.Messages[0].Text.contains(u"refused"_s));
        // J1 came first: decided, with its row. J2 was refused: neither its decision nor
        // its row. J3 came after the refusal: untouched.
        QCOMPARE(Rows(f.Univ(), JournalColumns), QStringList{u"J1|甲|0|2||01|备注"_s});
        QCOMPARE(Rows(f.Univ(), u"select KSH, KSZT, TDYYDM from T_TDD order by KSH"_s),
                 (QStringList{u"J1|2|01"_s, u"J2|1|  "_s, u"J3|2|02"_s}));
        QCOMPARE(f.Ks(u"J2"_s)->KsZt, 1);
    }

    void aCrashAfterTheDecisionKeepsBoth()
    {
        TWorkspaceFixture f;
        AddThree(f);
        f.Open();
        // The child decides and ends without closing anything.
        QCOMPARE(InChild([&f] { Decide(f, {u"J1"_s}, Ok(true)); }), 0);
        TReopened db(f);
        QCOMPARE(db.Tdd(u"J1"_s), u"1|01"_s);
        QCOMPARE(db.Journal(), QStringList{u"J1|甲|0|1|01||"_s});
    }

    void aCrashInsideTheDecisionLosesBoth()
    {
        TWorkspaceFixture f;
        AddThree(f);
        f.Open();
        TDecisionJournal(f.Univ()).EnsureTable();
        // The child dies once the second candidate's journal row is in, before the commit.
        const int status = InChild([&f] {
            sqlite3_create_function(
                f.Univ().Handle(), "die_now", 0, SQLITE_UTF8, nullptr,
                [](sqlite3_context *, int, sqlite3_value **) { _exit(7); }, nullptr, nullptr);
            sqlite3_exec(f.Univ().Handle(),
                         "create temp trigger die_at_j2 after insert on main.t_decision_journal "
                         "when new.KSH = 'J2' begin select die_now(); end",
                         nullptr, nullptr, nullptr);
            Decide(f, {u"J1"_s, u"J2"_s}, Ok(false, 1, u"x"_s));
        });
        QCOMPARE(status, 7);
        TReopened db(f);
        QCOMPARE(db.Tdd(u"J1"_s), u"0| ?"_s);
        QCOMPARE(db.Tdd(u"J2"_s), u"1|02"_s);
        QCOMPARE(db.Journal(), QStringList());
    }

    void theCommandLinePrintsTheJournal()
    {
        TWorkspaceFixture f;
        AddThree(f);
        f.Open();
        const QString header = TDecisionJournal::ColumnTitles().join(u'\t');
        // A database that never recorded a decision: the header only, and no table made.
        TCliRun run = RunJournal(f);
        QCOMPARE(run.ExitCode, 0);
        QCOMPARE(run.Lines, QStringList{header});
        QVERIFY(!f.Univ().TableExists(TDecisionJournal::TableName));

        Decide(f, {u"J1"_s}, Ok(true));
        Decide(f, {u"J2"_s}, Ok(false, 1, u"第一行\r\n第二行\t末尾"_s));
        run = RunJournal(f);
        QCOMPARE(run.ExitCode, 0);
        QVERIFY2(run.ErrLines.isEmpty(), qPrintable(run.ErrLines.join(u'\n')));
        QCOMPARE(run.Lines.size(), 3);
        QCOMPARE(run.Lines[0], header);
        // Newest first; a line break or tab inside a cell becomes a space.
        const QStringList j2 = run.Lines[1].split(u'\t');
        QCOMPARE(j2.size(), TDecisionJournal::ColumnTitles().size());
        QCOMPARE(j2.mid(1, 10),
                 (QStringList{u"1"_s, u"1"_s, u"1"_s, u"J2"_s, u"乙"_s, u"预录取"_s, u"预退档未发送"_s,
                              QString(), u"02"_s, u"第一行  第二行 末尾"_s}));
        QCOMPARE(j2.mid(11), (QStringList{u"未发送"_s, QString()}));
        QCOMPARE(run.Lines[2].split(u'\t').mid(4, 5),
                 (QStringList{u"J1"_s, u"甲"_s, u"专业未定"_s, u"预录取"_s, u"01"_s}));

        // Refusals: a user name that is no plain folder name, an unknown set.
        run = RunJournal(f, u"../member1"_s);
        QCOMPARE(run.ExitCode, 2);
        QCOMPARE(run.ErrLines.size(), 1);
        QVERIFY(run.Lines.isEmpty());
        run = RunJournal(f, u"member1"_s, {u"1"_s, u"1"_s, u"9"_s});
        QCOMPARE(run.ExitCode, 1);
        QCOMPARE(run.ErrLines.size(), 1);
        QVERIFY(run.Lines.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestDecisionJournal)
#include "tst_DecisionJournal.moc"
