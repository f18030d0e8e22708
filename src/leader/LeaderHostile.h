#pragma once

#include "leader/LeaderFolder.h"

#include <QString>

// Switches that make the stand-in a hostile leader: it accepts any user name and serves
// packages and documents whose names and codes try to lead the client's files out of
// its storage folder. The served folder stays as it is; each hostile package is a
// changed copy written into a scratch folder of the server.
struct TLeaderHostility
{
    // A user name with no member folder (or one unusable as a folder name) logs in as
    // the province's first member (by name), with that member's password.
    bool AcceptAnyUser = false;
    // Non-empty: the first dossier of every dossier package gets this KSH.
    QString KSH;
    // Non-empty: the first set of the plan (T_ZYYHLQZTB) and the first dossier of every
    // dossier package get this KLDM.
    QString SetCode;
    // Non-empty: the dossiers (T_TDD) of every dossier package get a column so named.
    QString Column;
    // Every package (code library, plan, dossiers, all wishes) holds, besides its own
    // members, a member whose path leaves the folder it is extracted into
    // (UnsafeMemberName).
    bool UnsafeMember = false;
    // Documents (images of kinds 0 to 2) are announced as ".desktop" launchers and hold
    // a desktop entry that runs a command.
    bool DocumentAsDesktop = false;

    bool ChangesPackages() const
    {
        return !KSH.isEmpty() || !SetCode.isEmpty() || !Column.isEmpty() || UnsafeMember || DocumentAsDesktop;
    }
};

// The path of the unsafe member of a hostile dossier package.
inline const QString UnsafeMemberName = QStringLiteral("../../zk-hostile-member.txt");

// The folder of the member a hostile leader serves for a user name it does not know:
// the province's first member folder by name; empty when there is none.
QString AnyMemberFolder(const TLeaderFolder &folder, const QString &SSDM);

// The hostile form of a served file, written into scratchFolder (which exists): the file
// to announce and send instead, of the same kind. The file itself when no switch
// applies to its kind, or when it cannot be rewritten (as a real leader serves what it has).
TServedFile HostileServedFile(const TLeaderHostility &hostility, const TServedFile &file,
                              const QString &scratchFolder);
