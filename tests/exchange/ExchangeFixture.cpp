#include "ExchangeFixture.h"

#include "TestSupport.h"
#include "link/MemberBgTaskThread.h"
#include "store/Adtg.h"
#include "store/Archive.h"
#include "store/SqlQuery.h"
#include "store/ZKMainDef.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QtEndian>

using namespace Qt::StringLiterals;

namespace {

// Prepared before the members: every test starts from the program's start values.
bool ResetProgramValues()
{
    ZKMainDef().Reset();
    ZKMainDef().SetProgramFolder(zktest::programFolder());
    return true;
}

} // namespace

TDemoOptions TExchangeFixture::SmallDemo(bool images, bool graded)
{
    TDemoOptions o;
    o.Provinces = {{graded ? u"32"_s : u"11"_s, graded}};
    o.Candidates = 60;
    o.Members = 1;
    o.Seed = 3;
    o.Rounds = 2;
    o.Images = images;
    return o;
}

TExchangeFixture::TExchangeFixture()
    : TExchangeFixture(SmallDemo())
{}

TExchangeFixture::TExchangeFixture(const TDemoOptions &demo)
    : SSDM(demo.Provinces.value(0).SSDM)
    , Net((ResetProgramValues(), DM))
    , Session(DM, Net, Messages)
{
    DM.SetMessageSink(&Messages);
    Net.SetMessageSink(&Messages);
    Net.SetProgressSink(&Progress);
    Net.SetAnimationSink(&Animation);
    TDemoOptions options = demo;
    options.Root = LeaderRoot();
    GenerateDemo(options);
    QDir().mkpath(Temp(QString()));
    TLeaderOptions server;
    server.Root = LeaderRoot();
    server.LoopbackOnly = true;
    FServer = std::make_unique<TLeaderServer>(server);
    QString error;
    if (!FServer->Start(&error))
        qFatal("the stand-in does not start: %s", qPrintable(error));
}

TExchangeFixture::~TExchangeFixture()
{
    Session.End();
    DM.UnivConn.Close();
    DM.UnivShareConn.Close();
    FServer->Stop();
}

TSessionOptions TExchangeFixture::Options() const
{
    TSessionOptions o;
    o.StorageFolder = Storage();
    o.SSDM = SSDM;
    o.UserName = User;
    o.Password = Password;
    o.Host = u"127.0.0.1"_s;
    o.Port = FServer->Port();
    return o;
}

bool TExchangeFixture::SetUp()
{
    if (!Session.PrepareLogin(Options()) || Session.Connect() != 0)
        return false;
    bool setUp = false;
    if (!Session.ReadSetUpState(setUp))
        return false;
    if (setUp)
        Session.StorePassword();
    else if (!Session.FirstSetUp())
        return false;
    return Session.EnterWorkspace();
}

QString TExchangeFixture::Package(const QString &set, int n) const
{
    return LeaderUser() + u"tdd/"_s + set + u'/' + QString::number(n) + u".zip"_s;
}

void TExchangeFixture::DerivePackage(const QString &set, int from, int to,
                                     const std::function<void(const QString &folder)> &change)
{
    const QString folder = Temp(u"package_%1_%2/"_s.arg(set).arg(to));
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    if (ExtractArchive(Package(set, from), folder) != 0)
        qFatal("cannot unpack %s", qPrintable(Package(set, from)));
    QByteArray number(4, '\0');
    qToLittleEndian(qint32(to), number.data());
    QFile bh(folder + u"TDDBH.dat"_s);
    if (!bh.open(QIODevice::WriteOnly | QIODevice::Truncate) || bh.write(number) != 4)
        qFatal("cannot write TDDBH.dat");
    bh.close();
    if (change)
        change(folder);
    QFile::remove(Package(set, to));
    if (CompressFolder(Package(set, to), folder) != 0)
        qFatal("cannot pack %s", qPrintable(Package(set, to)));
}

QList<QVariantList> TExchangeFixture::Rows(TSqlConnection &conn, const QString &sql)
{
    QList<QVariantList> rows;
    TSqlQuery query(&conn);
    query.SetSQL(sql);
    for (query.Open(); !query.Eof(); query.Next())
        rows.append(query.Row());
    return rows;
}

QVariant TExchangeFixture::Value(TSqlConnection &conn, const QString &sql)
{
    const QList<QVariantList> rows = Rows(conn, sql);
    return rows.isEmpty() ? QVariant() : rows.first().value(0);
}

QStringList TExchangeFixture::Columns(TSqlConnection &conn, const QString &table)
{
    QStringList names;
    for (const TSqlFieldDef &f : conn.GetColumns(table))
        names.append(f.Name);
    return names;
}

void ChangeRecordsetFile(const QString &file, const std::function<TRecordset(TRecordset)> &change)
{
    SaveAdtgFile(change(LoadAdtgFile(file)), file);
}

TRecordset WithExtraColumn(const TRecordset &set, const QString &name,
                           const std::function<QString(int row)> &value)
{
    QList<TRecordField> columns = set.Columns();
    columns.append(TRecordField::Define(name, DBTYPE_WSTR, 10));
    TRecordset result(columns);
    for (int i = 0; i < set.StoredRowCount(); ++i) {
        QList<TDbValue> values = set.StoredRow(i).Values;
        values.append(TDbValue(value(i)));
        result.AddRow(values);
    }
    return result;
}

bool WaitUntil(const std::function<bool()> &done)
{
    const QDeadlineTimer deadline(60000); // a generous limit for a loaded machine, not a timing
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

QVariantList RunBgTask(TBgTask task, const QVariantList &in)
{
    TMemberBgTaskThread *thread = MemberBgTaskThread();
    QVariantList result;
    bool done = false;
    if (!thread || !thread->ExecBgTask(BgTaskProc(thread, task), in, [&](QVariantList &, QVariantList &out) {
            result = out;
            done = true;
        }))
        qFatal("the task thread does not take the task");
    if (!WaitUntil([&] { return done; }))
        qFatal("the task did not come back");
    return result;
}
