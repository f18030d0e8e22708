#pragma once

// The part of the commands that show one dossier set as the grid does (grid, page,
// stats, print, export --screen): their common options and the opening of the user's
// data and the set.
//
//   --storage DIR --province SSDM --user NAME --set PCDM KLDM JHXZ
//   [--unit TDDWDM] [--major ZYDH] [--sort FIELD]

#include "store/UiSinks.h"
#include "workspace/MainDM.h"

#include <QString>
#include <QStringList>

struct TCliSetArgs
{
    QString Storage, Province, User, Pcdm, Kldm, Jhxz, Unit, Major, Sort;
    bool HasUnit = false, HasMajor = false, HasSort = false;
};

// Takes the set options above out of args at position i (advancing i past their
// values). True when args[i] was one of them; ok turns false when its value is missing.
bool TakeCliSetOption(const QStringList &args, int &i, TCliSetArgs &a, bool &ok);
// True when the options every set command needs are present.
bool HasCliSetOptions(const TCliSetArgs &a);

// Messages of the workspace go to stderr as "zelkinc-cli COMMAND: caption: text"; a
// warning or error marks the run as failed.
class TCliMessageSink : public IMessageSink
{
public:
    explicit TCliMessageSink(const char *command)
        : FCommand(command)
    {}
    TMsgResult ShowMessage(const QString &text, const QString &caption, TMsgIcon icon,
                           TMsgButtons buttons = TMsgButtons::Ok) override;
    bool Failed = false;

private:
    const char *FCommand;
};

// A text on one line: tabs and line breaks become spaces.
QString CliOneLine(QString text);

// Opens the user folder DIR/<SSPY>/<NAME>/ as the client does (login values of
// ZKMainDef, the user database, code tables), without a set. False when the workspace
// reported a failure through sink; throws EZKError for an unknown province or user folder.
bool OpenCliUserData(TMainDM &dm, TCliMessageSink &sink, const TCliSetArgs &a);

// Opens the user folder DIR/<SSPY>/<NAME>/ as the client does (login values of
// ZKMainDef, code tables, templates) and the set, then narrows and sorts as asked. The
// set is opened without becoming the user's remembered set. False when the workspace
// reported a failure through sink; throws EZKError for an unknown province, user folder,
// set, unit, major or column.
bool OpenCliSet(TMainDM &dm, TCliMessageSink &sink, const TCliSetArgs &a);
