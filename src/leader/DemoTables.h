#pragma once

#include "leader/DemoModel.h"
#include "store/Recordset.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The recordsets of the demo packages, built from the province model.

// A member of a package: its file name and bytes.
struct TZipMember
{
    QString Name;
    QByteArray Bytes;
};
// A ZIP of the members (deflated, UTF-8 names, a fixed time stamp so that a seed
// always gives the same bytes). Throws EZKError.
QByteArray ZipMembers(const QList<TZipMember> &members);
// The members of a recordset file: "T_TDD.adtg" and its ADTG bytes.
TZipMember RecordsetMember(const QString &name, const TRecordset &set);

// Code library "dmk.zip" of a member: T_YXZT, T_QBZYK (allWishes: rows the leader
// already holds for the member), the 18 code tables, TD_ZYLBDM, TD_ZYSXDM,
// t_common_params, td_cjxlxdm and td_djdm (graded provinces), T_TDDZDSX, T_TDDW.
QList<TZipMember> CodeLibraryMembers(const TDemoProvince &province, const TRecordset &allWishes);
// The field attributes: one row per dossier field, rank-only fields included.
TRecordset FieldAttributesRecordset(const TDemoProvince &province);

// Plan library "jhk.zip" of a member: T_ZYYHLQZTB (the member's state of each set),
// T_JHK (the whole plan, CZYHM naming the member in charge), the check templates.
QList<TZipMember> PlanLibraryMembers(const TDemoProvince &province, int member);
TRecordset UnitsRecordset(const TDemoProvince &province);

// A dossier package's recordsets: T_TDD, T_KSHKCJ, T_KSJL, T_TJXX of the candidates.
TRecordset DossierRecordset(const TDemoProvince &province, const QList<const TDemoCandidate *> &candidates);
TRecordset ProficiencyRecordset(const QList<const TDemoCandidate *> &candidates, uint64_t seed);
TRecordset ResumeRecordset(const TDemoProvince &province, const QList<const TDemoCandidate *> &candidates,
                           uint64_t seed);
TRecordset HealthRecordset(const QList<const TDemoCandidate *> &candidates, uint64_t seed);
// The all-wishes rows of candidates of a set (the institution's own wish among
// the others), ready for T_QBZYK.
void AddAllWishes(TRecordset &rows, const TDemoProvince &province, int set, const TDemoCandidate &candidate,
                  uint64_t seed);
