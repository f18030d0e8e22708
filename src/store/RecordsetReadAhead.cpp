#include "store/RecordsetReadAhead.h"

#include "store/TableTools.h"

#include <system_error>
#include <utility>

TRecordsetReadAhead::TRecordsetReadAhead(const QStringList &fileNames)
{
    FSlots.reserve(size_t(fileNames.size()));
    for (const QString &name : fileNames)
        FSlots.push_back(TSlot{name, std::nullopt, nullptr, false, false});
    try {
        FThread = std::thread([this] { ReadAll(); });
    } catch (const std::system_error &) {
        // No thread to be had (the process's limit): every file is read when taken.
        FSlots.clear();
    }
}

TRecordsetReadAhead::~TRecordsetReadAhead()
{
    {
        const std::lock_guard lock(FMutex);
        FStop = true;
    }
    if (FThread.joinable())
        FThread.join();
}

void TRecordsetReadAhead::ReadAll()
{
    for (TSlot &slot : FSlots) {
        QString fileName;
        {
            const std::lock_guard lock(FMutex);
            if (FStop)
                return;
            fileName = slot.FileName;
        }
        std::optional<TRecordset> read;
        std::exception_ptr error;
        try {
            read.emplace();
            OpenRecordsetFile(*read, fileName);
        } catch (...) {
            read.reset();
            error = std::current_exception();
        }
        {
            const std::lock_guard lock(FMutex);
            slot.Read = std::move(read);
            slot.Error = error;
            slot.Done = true;
        }
        FDone.notify_all();
    }
}

TRecordset TRecordsetReadAhead::Take(const QString &fileName)
{
    std::unique_lock lock(FMutex);
    for (TSlot &slot : FSlots) {
        if (slot.FileName != fileName || slot.Taken)
            continue;
        FDone.wait(lock, [&slot] { return slot.Done; });
        slot.Taken = true;
        if (slot.Error)
            std::rethrow_exception(std::exchange(slot.Error, nullptr));
        TRecordset read = std::move(*slot.Read);
        slot.Read.reset();
        return read;
    }
    lock.unlock();
    TRecordset read;
    OpenRecordsetFile(read, fileName);
    return read;
}
