#pragma once

#include <QStringList>

// Entry points of the commands of zelkinc-cli; each returns the exit status.
int RunRecordsetCommand(const QStringList &args);
int RunLinkCommand(const QStringList &args);
int RunGridCommand(const QStringList &args);
int RunSyncCommand(const QStringList &args);
int RunSendResultsCommand(const QStringList &args);
int RunPageCommand(const QStringList &args);
int RunStatsCommand(const QStringList &args);
int RunPrintCommand(const QStringList &args);
int RunExportCommand(const QStringList &args);
int RunJournalCommand(const QStringList &args);
