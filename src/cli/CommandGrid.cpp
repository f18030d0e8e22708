// zelkinc-cli grid: the candidate grid of a dossier set as text, for scripts and checks.
//
//   zelkinc-cli grid --storage DIR --province SSDM --user NAME --set PCDM KLDM JHXZ
//                    [--unit TDDWDM] [--major ZYDH] [--sort FIELD] [--majors]
//
// Opens the set from the user folder DIR/<SSPY>/<NAME>/ as the client does (code tables,
// templates, the repair of inconsistent rows written to the database), where SSPY is the
// province's short letters in DIR/t_sszt.adtg. The set is opened without becoming the
// user's remembered set and without saving column widths.
//
// Prints, UTF-8, one line per row, cells separated by tabs (a tab or line break inside a
// cell becomes a space):
//   - a header line with the column captions, then the shown candidates in the grid's
//     order, each cell as the grid shows it;
//   - with --majors instead: the list-view lines of the major state panel for the current
//     major list (the user's majors of the unit filter and the returned pseudo-major),
//     with places, candidates and scores; no header line.
//
// --unit narrows to a submission unit (its code). --major narrows to a major by its code
// ZYDH, looked up in the --unit when given, else among all majors of the set (a code that
// several units have needs --unit). --sort sorts by the shown column whose field code
// (ZDDH, ignoring case) is FIELD; without it the set's sort column (the candidate number)
// orders the grid.
//
// Exit status: 0 printed; 1 the set could not be shown (unknown province, user folder,
// set, unit, major or column, or a failure of the workspace; one line on stderr);
// 2 usage error.
#include "CliCommands.h"
#include "store/Adtg.h"
#include "store/NamedLock.h"
#include "store/StorageFolder.h"
#include "store/ZKError.h"
#include "store/ZKMainDef.h"
#include "workspace/MainDM.h"
#include "workspace/WorkspaceTables.h"
#include "workspace/ZyStateText.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

using namespace Qt::StringLiterals;

namespace {

struct TGridArgs
{
    QString Storage, Province, User, Pcdm, Kldm, Jhxz, Unit, Major, Sort;
    bool HasUnit = false, HasMajor = false, HasSort = false, Majors = false;
};

int Usage()
{
    QTextStream(stderr)
        << "usage: zelkinc-cli grid --storage DIR --province SSDM --user NAME --set PCDM KLDM JHXZ\n"
           "                        [--unit TDDWDM] [--major ZYDH] [--sort FIELD] [--majors]\n";
    return 2;
}

QString OneLine(QString text)
{
    text.replace(u'\t', u' ').replace(u'\r', u' ').replace(u'\n', u' ');
    return text;
}

int Fail(const QString &message)
{
    QTextStream(stderr) << "zelkinc-cli grid: " << OneLine(message) << '\n';
    return 1;
}

// Messages of the workspace go to stderr; a warning or error marks the run as failed.
class TCliMessageSink : public IMessageSink
{
public:
    TMsgResult ShowMessage(const QString &text, const QString &caption, TMsgIcon icon, TMsgButtons) override
    {
        QTextStream(stderr) << "zelkinc-cli grid: " << OneLine(caption + u": "_s + text) << '\n';
        if (icon == TMsgIcon::Warning || icon == TMsgIcon::Error)
            Failed = true;
        return TMsgResult::Ok;
    }
    bool Failed = false;
};

bool ParseArgs(const QStringList &args, TGridArgs &a)
{
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        auto value = [&](QString &out) {
            if (i + 1 >= args.size())
                return false;
            out = args[++i];
            return true;
        };
        bool ok = true;
        if (arg == u"--storage"_s)
            ok = value(a.Storage);
        else if (arg == u"--province"_s)
            ok = value(a.Province);
        else if (arg == u"--user"_s)
            ok = value(a.User);
        else if (arg == u"--set"_s)
            ok = value(a.Pcdm) && value(a.Kldm) && value(a.Jhxz);
        else if (arg == u"--unit"_s)
            ok = a.HasUnit = value(a.Unit);
        else if (arg == u"--major"_s)
            ok = a.HasMajor = value(a.Major);
        else if (arg == u"--sort"_s)
            ok = a.HasSort = value(a.Sort);
        else if (arg == u"--majors"_s)
            a.Majors = true;
        else
            ok = false;
        if (!ok)
            return false;
    }
    return !a.Storage.isEmpty() && !a.Province.isEmpty() && !a.User.isEmpty() && !a.Pcdm.isEmpty() &&
           !a.Kldm.isEmpty() && !a.Jhxz.isEmpty();
}

// The province's short letters and name from the province list; throws when absent.
void ReadProvince(const QString &storage, const QString &ssdm, TLoginInfo &info)
{
    TRecordset provinces;
    {
        TNamedLock lock = TakeProvinceListLock();
        provinces = LoadAdtgFile(storage + ProvinceListFileName);
    }
    if (!provinces.Locate(u"SSDM"_s, QVariant(QuotedLocateValue(ssdm))))
        throw EZKError(u"no province %1 in %2"_s.arg(ssdm, storage + ProvinceListFileName));
    info.SSDM = ssdm;
    info.SSPY = provinces.FieldByName(u"SSPY").AsString();
    info.SSMC = provinces.FieldByName(u"SSMC").AsString();
}

// The JhId of a major code, in a unit or among all units of the set.
int MajorId(const TMainDM &dm, const TGridArgs &a)
{
    QList<int> found;
    const int unit = a.HasUnit ? dm.GetCurrentTDDWId(a.Unit) : -1;
    for (int r = 0; r < dm.JhRecCount; ++r) {
        if (dm.Jh(r)->ZYDH == a.Major && (!a.HasUnit || dm.Jh(r)->TDDW == unit))
            found.append(r);
    }
    if (found.isEmpty())
        throw EZKError(u"no major %1 in the set"_s.arg(a.Major));
    if (found.size() > 1)
        throw EZKError(u"major %1 is in several units; give --unit"_s.arg(a.Major));
    return found.first();
}

bool SetExists(TMainDM &dm, const TGridArgs &a)
{
    TRecordset sets = OpenTableRows(dm.UnivConn, u"T_KLJHXZZT"_s);
    return sets.Locate(u"pcdm;kldm;jhxz"_s, {QuotedLocateValue(a.Pcdm), QuotedLocateValue(a.Kldm), QuotedLocateValue(a.Jhxz)});
}

void PrintGrid(const TMainDM &dm, bool majors)
{
    QTextStream out(stdout);
    if (majors) {
        for (const TJHItem *jh : dm.CurrentJhList)
            out << OneLine(ZyStateRowOf(dm, *jh).ListLine) << '\n';
        return;
    }
    QStringList header;
    for (const TZKColumnRec &column : dm.ZKColumn)
        header.append(OneLine(column.Desc));
    out << header.join(u'\t') << '\n';
    for (const TKSItem *ks : dm.CurrentKSList) {
        QStringList cells;
        for (const TZKColumnRec &column : dm.ZKColumn)
            cells.append(OneLine(dm.GetTddFieldStr(ks, column)));
        out << cells.join(u'\t') << '\n';
    }
}

int RunGrid(const TGridArgs &a)
{
    TZKMainDef &def = ZKMainDef();
    TLoginInfo &info = def.LoginInfo;
    info.StorageFolder = QDir(a.Storage).absolutePath() + u'/';
    ReadProvince(info.StorageFolder, a.Province, info);
    info.UserName = a.User;
    DeriveUserFolders(info);
    const QString univ = info.UserFolder + UnivDatabaseFileName;
    if (!QFileInfo::exists(univ))
        throw EZKError(u"no user database %1"_s.arg(univ));

    TMainDM dm;
    TCliMessageSink sink;
    dm.SetMessageSink(&sink);
    dm.CommonConn.SetConnectionString(JetConnectionPrefix + info.StorageFolder + CommonDatabaseFileName);
    dm.UnivShareConn.SetConnectionString(JetConnectionPrefix + info.UserFolder + UnivShareDatabaseFileName);
    dm.UnivConn.Open(JetConnectionPrefix + univ);
    if (dm.ReadDMTable() != 0)
        return 1;
    if (!SetExists(dm, a))
        throw EZKError(u"no dossier set %1 %2 %3"_s.arg(a.Pcdm, a.Kldm, a.Jhxz));
    def.CurPCDM = a.Pcdm;
    dm.ReadKL_JHXZ();
    def.CurKLDM = a.Kldm;
    def.CurJHXZ = a.Jhxz;
    if (dm.OpenTDD() != 0)
        return 1;
    if (a.HasUnit) {
        const int unit = dm.GetCurrentTDDWId(a.Unit);
        if (unit < 0)
            throw EZKError(u"no submission unit %1 in the set"_s.arg(a.Unit));
        dm.TDDWMenuItemClick(unit);
    }
    if (a.HasMajor)
        dm.ChangeZyFilter(MajorId(dm, a));
    if (a.HasSort) {
        const int column = dm.ColumnIndexOf(a.Sort);
        if (column < 0)
            throw EZKError(u"no shown column %1"_s.arg(a.Sort));
        dm.SortKS(column);
    }
    if (sink.Failed)
        return 1;
    PrintGrid(dm, a.Majors);
    return 0;
}

} // namespace

int RunGridCommand(const QStringList &args)
{
    TGridArgs a;
    if (!ParseArgs(args, a))
        return Usage();
    try {
        return RunGrid(a);
    } catch (const EZKError &e) {
        return Fail(e.Message());
    }
}
