#pragma once

#include <QString>
#include <cstdint>
#include <optional>

// The data folder of the leader's server stand-in. Plain files and small UTF-8
// text files; the packages are opaque to the server:
//
//   ROOT/<SSDM>/                      a province, named by its code ("11")
//     dqpc.txt                        the leader's current batch code (first line)
//     <UserName>/                     a member, named by the user name
//       password.txt                  the password (first line)
//       state.txt                     lines "newdmk=1" and "newjhk=0" (missing = 0)
//       dmk.zip                       the code library package
//       jhk.zip                       the plan package
//       tdd/<PCDM>_<KLDM>_<JHXZ>/<N>.zip   dossier package number N of a set
//       qbzy/<KSH>.zip                the all-wishes package of a candidate
//       images/<KSH>/<KIND>.<ext>     image of a candidate, KIND 0 registration
//                                     form, 1 health check, 2 additional form,
//                                     3 photo; the extension is passed on
//       results/                      uploaded result files (made by the server):
//         lqjg_<PCDM>_<KLDM>_<JHXZ>_<TDDBH>_<n>.zip, n = 1, 2, … per upload
//
// The server file name announced for a package is its path relative to the
// member's folder with "\" separators ("tdd\1_5_1\3.zip"); a data request names
// the file by it again, together with the file number of its kind.

enum TServedKind : uint8_t
{
    skNone = 0,
    skDMK = 1,
    skJHK = 2,
    skTDD = 3,
    skAllZY = 4,
    skImage = 5,
};

struct TServedFile
{
    TServedKind Kind = skNone; // also the file number on the wire
    QString ServerName;        // relative path with "\" separators
    QString Path;              // local path
    qint64 Size = 0;
};

struct TMemberFlags
{
    bool NewDMK = false;
    bool NewJHK = false;
};

class TLeaderFolder
{
public:
    explicit TLeaderFolder(QString root);
    const QString &Root() const { return FRoot; }

    // The member's folder (ends with '/'), or empty when the province or the
    // member does not exist or a name is not usable as a folder name.
    QString UserFolder(const QString &SSDM, const QString &UserName) const;
    QString ProvinceFolder(const QString &SSDM) const;

    static std::optional<QString> ReadPassword(const QString &userFolder);
    static TMemberFlags ReadState(const QString &userFolder);
    static std::optional<QString> ReadDQPC(const QString &provinceFolder);

    static TServedFile FindDMK(const QString &userFolder);
    static TServedFile FindJHK(const QString &userFolder);
    // The package of the set with the highest number above lastTDDBH.
    static TServedFile FindTDD(const QString &userFolder, const QString &PCDM, const QString &KLDM,
                               const QString &JHXZ, int32_t lastTDDBH);
    static TServedFile FindAllZY(const QString &userFolder, const QString &KSH);
    static TServedFile FindImage(const QString &userFolder, const QString &KSH, uint8_t kind);
    // The file a data request names, checked against its kind.
    static TServedFile Resolve(const QString &userFolder, const QString &serverName);

    // A new file name for an uploaded result of a set.
    static QString NewResultPath(const QString &userFolder, const QString &PCDM, const QString &KLDM,
                                 const QString &JHXZ, int32_t TDDBH);

    // A name usable as one folder or file name: not empty, not "." or "..", no
    // separators or control characters.
    static bool IsSafeName(const QString &name);

private:
    QString FRoot;
};
