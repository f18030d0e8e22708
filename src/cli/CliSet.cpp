#include "CliSet.h"

#include "store/Adtg.h"
#include "store/NameGuards.h"
#include "store/NamedLock.h"
#include "store/PrivateFiles.h"
#include "store/StorageFolder.h"
#include "store/ZKError.h"
#include "store/ZKMainDef.h"
#include "workspace/WorkspaceTables.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

using namespace Qt::StringLiterals;

namespace {

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
// The major menu entry a user would choose: a ZYDH of the set, or "  " (two spaces, as
// the returned candidates' LQZY reads) for the returned pseudo-major "预退档考生", which the
// menu lists under every unit filter.
int MajorId(const TMainDM &dm, const TCliSetArgs &a)
{
    if (a.Major == u"  "_s)
        return dm.JhRecCount;
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

bool SetExists(TMainDM &dm, const TCliSetArgs &a)
{
    TRecordset sets = OpenTableRows(dm.UnivConn, u"T_KLJHXZZT"_s);
    return sets.Locate(u"pcdm;kldm;jhxz"_s,
                       {QuotedLocateValue(a.Pcdm), QuotedLocateValue(a.Kldm), QuotedLocateValue(a.Jhxz)});
}

} // namespace

bool TakeCliSetOption(const QStringList &args, int &i, TCliSetArgs &a, bool &ok)
{
    const QString &arg = args[i];
    auto value = [&](QString &out) {
        if (i + 1 >= args.size())
            return false;
        out = args[++i];
        return true;
    };
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
    else
        return false;
    return true;
}

bool HasCliSetOptions(const TCliSetArgs &a)
{
    return !a.Storage.isEmpty() && !a.Province.isEmpty() && !a.User.isEmpty() && !a.Pcdm.isEmpty() &&
           !a.Kldm.isEmpty() && !a.Jhxz.isEmpty();
}

QString CliOneLine(QString text)
{
    text.replace(u'\t', u' ').replace(u'\r', u' ').replace(u'\n', u' ');
    return text;
}

TMsgResult TCliMessageSink::ShowMessage(const QString &text, const QString &caption, TMsgIcon icon, TMsgButtons)
{
    QTextStream(stderr) << "zelkinc-cli " << FCommand << ": " << CliOneLine(caption + u": "_s + text) << '\n';
    if (icon == TMsgIcon::Warning || icon == TMsgIcon::Error)
        Failed = true;
    return TMsgResult::Ok;
}

bool OpenCliUserData(TMainDM &dm, TCliMessageSink &sink, const TCliSetArgs &a)
{
    TZKMainDef &def = ZKMainDef();
    TLoginInfo &info = def.LoginInfo;
    info.StorageFolder = QDir(a.Storage).absolutePath() + u'/';
    if (!IsPlainUserName(a.User))
        throw EZKError(UserNameRefusalText());
    // What the commands read and write there stays the member's alone.
    TightenPrivateTree(info.StorageFolder);
    ReadProvince(info.StorageFolder, a.Province, info);
    info.UserName = a.User;
    if (!DeriveUserFolders(info))
        throw EZKError(u"the province %1 has no usable folder name"_s.arg(a.Province));
    const QString univ = info.UserFolder + UnivDatabaseFileName;
    if (!QFileInfo::exists(univ))
        throw EZKError(u"no user database %1"_s.arg(univ));

    dm.SetMessageSink(&sink);
    dm.CommonConn.SetConnectionString(JetConnectionPrefix + info.StorageFolder + CommonDatabaseFileName);
    dm.UnivShareConn.SetConnectionString(JetConnectionPrefix + info.UserFolder + UnivShareDatabaseFileName);
    dm.UnivConn.Open(JetConnectionPrefix + univ);
    return dm.ReadDMTable() == 0;
}

bool OpenCliSet(TMainDM &dm, TCliMessageSink &sink, const TCliSetArgs &a)
{
    TZKMainDef &def = ZKMainDef();
    if (!OpenCliUserData(dm, sink, a))
        return false;
    if (!SetExists(dm, a))
        throw EZKError(u"no dossier set %1 %2 %3"_s.arg(a.Pcdm, a.Kldm, a.Jhxz));
    def.CurPCDM = a.Pcdm;
    dm.ReadKL_JHXZ();
    def.CurKLDM = a.Kldm;
    def.CurJHXZ = a.Jhxz;
    if (dm.OpenTDD() != 0)
        return false;
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
    return !sink.Failed;
}
