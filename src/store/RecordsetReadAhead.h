#pragma once

#include "store/Recordset.h"

#include <QString>
#include <QStringList>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

// Reads recordset (ADTG) files on a thread of its own, one after the other in the order
// given, while the caller works on something else (an import writing the previous file
// into the database). A file is taken as OpenRecordsetFile gives it: the recordset at
// its first row, or the error its reading threw, thrown again by Take.
//
// The destructor lets the thread finish the file in hand, skips the rest and waits for
// it, so the files may be deleted as soon as the reader is gone.
// When no thread can be started, every file is read when it is taken.
class TRecordsetReadAhead
{
public:
    explicit TRecordsetReadAhead(const QStringList &fileNames);
    ~TRecordsetReadAhead();
    TRecordsetReadAhead(const TRecordsetReadAhead &) = delete;
    TRecordsetReadAhead &operator=(const TRecordsetReadAhead &) = delete;

    // Waits for the file, one of those given, to be read and hands its recordset over.
    // A file not given, or taken before, is read at once on the calling thread.
    TRecordset Take(const QString &fileName);

private:
    struct TSlot
    {
        QString FileName;
        std::optional<TRecordset> Read;
        std::exception_ptr Error;
        bool Done = false;
        bool Taken = false;
    };

    void ReadAll();

    std::vector<TSlot> FSlots;
    std::mutex FMutex;
    std::condition_variable FDone;
    bool FStop = false;
    std::thread FThread; // last: it starts once the slots are in place
};
