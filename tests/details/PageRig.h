#pragma once

#include "WorkspaceFixture.h"
#include "details/DNPageBuilder.h"

#include <QTemporaryDir>

// A small workspace (WorkspaceFixture) with the tables the candidate pages read besides
// the dossiers: the health checks, proficiency scores and résumés of the user database
// and the all-wishes table of the shared database; a page generator on it.
class TPageRig
{
public:
    explicit TPageRig(bool graded = false);

    // Adds dossier columns the fixture's table lacks (TZCJ, TDCJ, ZYTZ, DXTJ, GKCJX02),
    // the page's field types, and opens the set.
    void Open();
    // A health-check row; values by column (TJJLDM, ZYSXDM1 …).
    void AddTjxx(const QString &ksh, const QMap<QString, QString> &values);
    void AddHkcj(const QString &ksh, const QString &cjxdm, const QString &cj);
    void AddKsjl(const QString &ksh, const QDate &from, const QDate &to, const QString &jl);
    // An all-wishes row: pcdm, kldm, jhxzdm, zyh, tddw, yxdh, yxmc, zytz, zyzytj, dxtj, then
    // up to six majors as "ZYDH ZYMC".
    void AddQbzy(const QString &ksh, const QStringList &row, const QStringList &majors);
    // Sets a dossier column of a candidate (after Open the row is read again per page).
    void SetDossier(const QString &ksh, const QString &field, const QVariant &value);

    // The text of a template evaluated for a candidate as page 0.
    QString Page(const QString &ksh, const QString &templateText);
    // The error text of evaluating the template, empty when there was none.
    QString PageError(const QString &ksh, const QString &templateText);

    TWorkspaceFixture F;
    TDNPageBuilder B;
    QTemporaryDir Download;
};
