#include "ShipGenerators.h"

#include "export/XlsWorkbook.h"
#include "export/XlsxWorkbook.h"
#include "store/Adtg.h"
#include "store/DossierColumns.h"
#include "store/DossierProvinces.h"
#include "store/Schema.h"
#include "store/ZKError.h"

#include <QDir>
#include <QFile>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

TShipGenerator DatabaseGenerator(TShippedDatabase db)
{
    return {ShippedDatabaseFileName(db), [db](const QString &path) { CreateShippedDatabase(db, path); }};
}

// A recordset file written from the recordset that make gives.
TShipGenerator RecordsetGenerator(const QString &fileName, std::function<TRecordset()> make)
{
    return {fileName, [make](const QString &path) { SaveAdtgFile(make(), path); }};
}

void WriteAtomically(const QString &folder, const TShipGenerator &generator)
{
    const QString target = QDir(folder).filePath(generator.FileName);
    const QString temp = target + u".tmp"_s;
    QFile::remove(temp);
    try {
        generator.Write(temp);
    } catch (...) {
        QFile::remove(temp);
        throw;
    }
    // Shipped files are read by every user of the machine (the databases come out of the
    // engine as the member's alone).
    QFile::setPermissions(temp, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser
                                    | QFile::ReadGroup | QFile::ReadOther);
    // rename() replaces the target in one step.
    if (std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(target).constData()) != 0) {
        QFile::remove(temp);
        throw EZKError(u"Cannot move %1 into place."_s.arg(target));
    }
}

} // namespace

QList<TShipGenerator> ShipGenerators()
{
    return {
        DatabaseGenerator(TShippedDatabase::Common), DatabaseGenerator(TShippedDatabase::Univ),
        DatabaseGenerator(TShippedDatabase::UnivShare),
        // The province list: every province served by the stand-in on this machine.
        RecordsetGenerator(u"t_sszt.adtg"_s, [] { return ProvinceListRecordset(); }),
        // The empty dossier table of a user's first set-up, with the columns of a
        // province with plain numeric scores.
        RecordsetGenerator(u"T_TDD.adtg"_s, [] { return TRecordset(TDDFields(TypicalDossierScheme())); }),
        // The empty workbooks the Excel exports start from.
        {u"ZelkinCExport.XLS"_s, [](const QString &path) { WriteEmptyXlsWorkbook(path); }},
        {u"ZelkinCExport.XLSX"_s, [](const QString &path) { WriteEmptyXlsxWorkbook(path); }}};
}

QStringList WriteShippedFiles(const QString &folder)
{
    QStringList failures;
    QDir().mkpath(folder);
    for (const TShipGenerator &generator : ShipGenerators()) {
        try {
            WriteAtomically(folder, generator);
        } catch (const EZKError &e) {
            failures.append(generator.FileName + u": "_s + e.Message());
        }
    }
    return failures;
}
