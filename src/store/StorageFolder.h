#pragma once

#include "store/ZKMainDef.h"

#include <QString>
#include <QStringList>

// The folders of the local store. Every folder value ends with '/'.
//
//   StorageFolder   <documents>/.ZelkinCUStorage2012/        one per machine and user account
//   province folder StorageFolder + SSPY + '/'
//   UserFolder      province folder + UserName + '/'
//   ServerFolder    UserFolder + "SERVER/"                    (kept empty by this edition)
//   DownloadFolder  UserFolder + "Download/"  with BMB, TJB, FJB, KSZP (attachment kinds 0..3)
//   UploadFolder    UserFolder + "Upload/"

inline const QString StorageFolderStem = QStringLiteral(".ZelkinCUStorage");
inline const QString StorageFolderYear = QStringLiteral("2012");

inline const QString ProvinceListFileName = QStringLiteral("t_sszt.adtg");
inline const QString CommonDatabaseFileName = QStringLiteral("ZelkinCCommon.mdb");
inline const QString UnivDatabaseFileName = QStringLiteral("ZelkinCUniv.mdb");
inline const QString UnivShareDatabaseFileName = QStringLiteral("ZelkinCUnivShare.mdb");

// The attachment sub-folders of DownloadFolder, by kind 0..3: registration forms,
// health-check forms, additional forms, candidate photos.
const QStringList &AttachmentFolderNames();

// The storage folder below the user's documents folder for a stem:
// <documents>/ + stem + "2012" + '/'.
QString StorageFolderFor(const QString &stem = StorageFolderStem);

// Sets ZKMainDef().LoginInfo.StorageFolder to the folder of OpenStorageFolder and returns
// it. Failures are not reported here: they show when the files are first opened.
QString EstablishStorageFolder(const QString &stem = StorageFolderStem);

// Opens a storage folder for the client or zelkinc-cli. When it does not exist it is
// created (0700) with any missing parents and the province list and the common database
// are copied into it from the program folder; an existing folder is left as it is, even
// when one of those files is missing, except that it and everything in it is made the
// member's alone (PrivateFiles.h). False when the folder is missing afterwards.
bool OpenStorageFolder(const QString &folder);

// Copies ProgramFolder + fileName to targetFolder + fileName, replacing an existing file
// in one step, and makes the copy a writable file of the member's alone (0600; shipped
// files may be read-only). Failures are not reported to the user; the result says
// whether the copy was made.
bool CopyProgramFile(const QString &targetFolder, const QString &fileName);

// Derives UserFolder, ServerFolder, DownloadFolder and UploadFolder from StorageFolder,
// SSPY and UserName. A user name that is not one plain folder name (IsPlainUserName), a
// province folder name that is not plain or a missing storage folder gives no folders:
// all four are emptied and the result is false, so that nothing can be joined outside
// the storage folder.
bool DeriveUserFolders(TLoginInfo &info);

// The folders of a user's first set-up: DownloadFolder + "BMB", "TJB", "FJB", "KSZP" (in
// that order, with missing parents) and UploadFolder, each new folder 0700. False when
// one could not be made or the folders were not derived.
bool CreateFirstSetUpFolders(const TLoginInfo &info);

// Deletes a folder with everything in it, making read-only parts deletable first.
// Failures are ignored (what is left stays); a missing folder is fine.
void DeleteFolderTree(const QString &folder);

// The first file (by name) of folder + the attachment sub-folder of kind (0..3) whose name
// is name + "." + any extension, or the bare name; the full path, or an empty text when
// there is none.
QString FindAttachmentFile(const QString &folder, const QString &name, int kind);
