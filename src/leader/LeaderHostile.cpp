#include "leader/LeaderHostile.h"

#include "store/Adtg.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>
#include <archive.h>
#include <algorithm>
#include <archive_entry.h>
#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

struct TZipMember
{
    QByteArray Name; // as stored: UTF-8
    QByteArray Data;
};

using TArchivePtr = std::unique_ptr<archive, int (*)(archive *)>;

bool ReadZip(const QString &file, QList<TZipMember> &members)
{
    TArchivePtr a(archive_read_new(), archive_read_free);
    archive_read_support_format_zip(a.get());
    if (archive_read_open_filename(a.get(), QFile::encodeName(file).constData(), 64 * 1024) != ARCHIVE_OK)
        return false;
    archive_entry *entry = nullptr;
    int r;
    while ((r = archive_read_next_header(a.get(), &entry)) == ARCHIVE_OK) {
        TZipMember member{archive_entry_pathname(entry), {}};
        char buffer[64 * 1024];
        la_ssize_t n;
        while ((n = archive_read_data(a.get(), buffer, sizeof buffer)) > 0)
            member.Data.append(buffer, n);
        if (n < 0)
            return false;
        members.append(member);
    }
    return r == ARCHIVE_EOF;
}

// Member names are written as given: an unsafe one stays unsafe.
bool WriteZip(const QString &file, const QList<TZipMember> &members)
{
    TArchivePtr a(archive_write_new(), archive_write_free);
    archive_write_set_format_zip(a.get());
    if (archive_write_open_filename(a.get(), QFile::encodeName(file).constData()) != ARCHIVE_OK)
        return false;
    for (const TZipMember &m : members) {
        std::unique_ptr<archive_entry, void (*)(archive_entry *)> entry(archive_entry_new(), archive_entry_free);
        archive_entry_set_pathname(entry.get(), m.Name.constData());
        archive_entry_set_filetype(entry.get(), AE_IFREG);
        archive_entry_set_perm(entry.get(), 0644);
        archive_entry_set_size(entry.get(), m.Data.size());
        if (archive_write_header(a.get(), entry.get()) != ARCHIVE_OK ||
            archive_write_data(a.get(), m.Data.constData(), size_t(m.Data.size())) != m.Data.size())
            return false;
    }
    return archive_write_close(a.get()) == ARCHIVE_OK;
}

TZipMember *FindMember(QList<TZipMember> &members, const QString &name)
{
    for (TZipMember &m : members) {
        if (QString::fromUtf8(m.Name).compare(name, Qt::CaseInsensitive) == 0)
            return &m;
    }
    return nullptr;
}

// The recordset with the first row's field set to value, the column widened to hold it.
TRecordset WithFirstValue(const TRecordset &set, const QString &field, const QString &value)
{
    const int column = set.FindField(field);
    if (column < 0 || set.StoredRowCount() == 0)
        return set;
    QList<TRecordField> columns = set.Columns();
    TRecordField &f = columns[column];
    if (f.MaxLength != DB_NO_MAXLENGTH)
        f.MaxLength = std::max<quint32>(f.MaxLength, quint32(value.size()) * 2);
    f.Flags &= ~DBCOLUMNFLAGS_ISFIXEDLENGTH;
    TRecordset result(columns);
    for (int i = 0; i < set.StoredRowCount(); ++i) {
        QList<TDbValue> values = set.StoredRow(i).Values;
        if (i == 0)
            values[column] = TDbValue(value);
        result.AddRow(values);
    }
    return result;
}

TRecordset WithColumn(const TRecordset &set, const QString &name)
{
    QList<TRecordField> columns = set.Columns();
    columns.append(TRecordField::Define(name, DBTYPE_WSTR, 10));
    TRecordset result(columns);
    for (int i = 0; i < set.StoredRowCount(); ++i) {
        QList<TDbValue> values = set.StoredRow(i).Values;
        values.append(TDbValue(u"x"_s));
        result.AddRow(values);
    }
    return result;
}

void ChangeRecordset(QList<TZipMember> &members, const QString &name,
                     const std::function<TRecordset(TRecordset)> &change)
{
    if (TZipMember *m = FindMember(members, name))
        m->Data = SaveAdtg(change(LoadAdtg(m->Data)));
}

bool ChangeDossierPackage(const TLeaderHostility &h, QList<TZipMember> &members)
{
    if (h.KSH.isEmpty() && h.SetCode.isEmpty() && h.Column.isEmpty() && !h.UnsafeMember)
        return false;
    ChangeRecordset(members, u"T_TDD.adtg"_s, [&](TRecordset set) {
        if (!h.KSH.isEmpty())
            set = WithFirstValue(set, u"KSH"_s, h.KSH);
        if (!h.SetCode.isEmpty())
            set = WithFirstValue(set, u"KLDM"_s, h.SetCode);
        if (!h.Column.isEmpty())
            set = WithColumn(set, h.Column);
        return set;
    });
    if (h.UnsafeMember)
        members.append({UnsafeMemberName.toUtf8(), "written by a hostile leader\n"});
    return true;
}

bool ChangePlanPackage(const TLeaderHostility &h, QList<TZipMember> &members)
{
    if (h.SetCode.isEmpty())
        return false;
    ChangeRecordset(members, u"T_ZYYHLQZTB.adtg"_s,
                    [&](const TRecordset &set) { return WithFirstValue(set, u"KLDM"_s, h.SetCode); });
    return true;
}

QString ScratchFile(const QString &scratchFolder, const QString &suffix)
{
    return QDir(scratchFolder).filePath(QUuid::createUuid().toString(QUuid::Id128) + suffix);
}

TServedFile Rewritten(const TServedFile &file, const QString &serverName, const QString &path)
{
    TServedFile served = file;
    served.ServerName = serverName;
    served.Path = path;
    served.Size = QFileInfo(path).size();
    return served;
}

TServedFile DesktopDocument(const TServedFile &file, const QString &scratchFolder)
{
    const QString path = ScratchFile(scratchFolder, u".desktop"_s);
    QFile out(path);
    const QByteArray entry = "[Desktop Entry]\nType=Application\nName=zk-hostile\n"
                             "Exec=sh -c 'touch \"$HOME/zk-hostile-launched\"'\n";
    if (!out.open(QIODevice::WriteOnly) || out.write(entry) != entry.size())
        return file;
    out.close();
    const qsizetype dot = file.ServerName.lastIndexOf(u'.');
    const qsizetype slash = file.ServerName.lastIndexOf(u'\\');
    const QString stem = dot > slash ? file.ServerName.left(dot) : file.ServerName;
    return Rewritten(file, stem + u".desktop"_s, path);
}

} // namespace

QString AnyMemberFolder(const TLeaderFolder &folder, const QString &SSDM)
{
    const QString province = folder.ProvinceFolder(SSDM);
    if (province.isEmpty())
        return {};
    const QStringList members = QDir(province).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &name : members) {
        if (QFileInfo(province + name + u"/password.txt"_s).isFile())
            return province + name + u'/';
    }
    return {};
}

TServedFile HostileServedFile(const TLeaderHostility &hostility, const TServedFile &file,
                              const QString &scratchFolder)
{
    if (file.Kind == skImage) {
        const QString kind = file.ServerName.section(u'\\', -1).section(u'.', 0, 0);
        const bool document = kind == u"0"_s || kind == u"1"_s || kind == u"2"_s;
        return hostility.DocumentAsDesktop && document ? DesktopDocument(file, scratchFolder) : file;
    }
    if (file.Kind == skImage || file.Kind == skNone)
        return file;
    QList<TZipMember> members;
    if (!ReadZip(file.Path, members))
        return file;
    bool changed = false;
    try {
        if (file.Kind == skTDD)
            changed = ChangeDossierPackage(hostility, members);
        else if (file.Kind == skJHK)
            changed = ChangePlanPackage(hostility, members);
    } catch (const std::exception &) {
        return file; // a recordset it cannot read is served as it is
    }
    if (hostility.UnsafeMember && file.Kind != skTDD) {
        members.append({UnsafeMemberName.toUtf8(), "written by a hostile leader\n"});
        changed = true;
    }
    const QString path = ScratchFile(scratchFolder, u".zip"_s);
    if (!changed || !WriteZip(path, members))
        return file;
    return Rewritten(file, file.ServerName, path);
}
