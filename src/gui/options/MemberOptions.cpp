#include "gui/options/MemberOptions.h"

#include "store/SqlQuery.h"
#include "store/ZKError.h"
#include "store/ZKMainDef.h"
#include "workspace/MainDM.h"
#include "workspace/WorkspaceTables.h"

#include <QVariant>
#include <cstdlib>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

std::optional<int> StoredPeriod(const TSqlQuery &table, const QString &column)
{
    if (table.Eof())
        return std::nullopt;
    const QVariant value = table.Value(column);
    if (!value.isValid())
        return std::nullopt;
    return value.toInt();
}

void ShowPeriod(std::optional<int> stored, bool &on, int &minutes)
{
    const int value = stored.value_or(0);
    on = value > 0;
    minutes = std::abs(value) <= 1 ? 2 : std::abs(value);
}

QString Flag(bool on)
{
    return on ? u"1"_s : u"0"_s;
}

} // namespace

TMemberOptionsValues MemberOptions::Load(TMainDM &dm)
{
    TMemberOptionsValues v;
    {
        TMainDM::ShareUse share(dm);
        TSqlQuery table(&dm.UnivShareConn);
        table.OpenTable(u"T_YXZT"_s);
        ShowPeriod(StoredPeriod(table, u"XJXZZQ"_s), v.LetterQuery, v.LetterPeriod);
        ShowPeriod(StoredPeriod(table, u"SJXZZQ"_s), v.DossierQuery, v.DossierPeriod);
    }
    const TZKMainDef &def = ZKMainDef();
    v.AutoPhoto = def.AutoPhoto;
    v.ShowCodes = def.ShowCodes;
    v.AutoUnpack = def.AutoUnpack;
    return v;
}

TMemberOptionsStored MemberOptions::Store(TMainDM &dm, const TMemberOptionsValues &v)
{
    const int letter = v.LetterQuery ? v.LetterPeriod : -v.LetterPeriod;
    const int dossier = v.DossierQuery ? v.DossierPeriod : -v.DossierPeriod;
    TMemberOptionsStored result;
    {
        TMainDM::ShareUse share(dm);
        TSqlQuery table(&dm.UnivShareConn);
        table.OpenTable(u"T_YXZT"_s);
        if (table.Eof())
            throw EZKError(u"T_YXZT 中没有院校状态记录。"_s);
        const qint64 row = table.RowId();
        const std::optional<int> previousLetter = StoredPeriod(table, u"XJXZZQ"_s);
        const std::optional<int> previousDossier = StoredPeriod(table, u"SJXZZQ"_s);
        table.Close();
        UpdateRow(dm.UnivShareConn, u"T_YXZT"_s, row,
                  {{u"XJXZZQ"_s, letter},
                   {u"SJXZZQ"_s, dossier},
                   {u"ZDXZZP"_s, Flag(v.AutoPhoto)},
                   {u"TDDXSDM"_s, Flag(v.ShowCodes)},
                   {u"JYKSYSWJ"_s, Flag(v.AutoUnpack)}});
        result.PeriodsChanged = previousLetter != letter || previousDossier != dossier;
    }
    TZKMainDef &def = ZKMainDef();
    result.ShowCodesChanged = v.ShowCodes != def.ShowCodes;
    def.AutoPhoto = v.AutoPhoto;
    def.ShowCodes = v.ShowCodes;
    def.AutoUnpack = v.AutoUnpack;
    return result;
}
