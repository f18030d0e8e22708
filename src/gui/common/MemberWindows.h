#pragma once

// The windows of other subsystems that the main window's commands open. The start-up
// sequence fills it with the real windows; a window that is absent leaves its commands
// disabled, so the main window runs (and is tested) without them.
class IMemberWindows
{
public:
    virtual ~IMemberWindows() = default;

    // The candidate detail window for the focused grid row's candidate ("考生详细信息",
    // Ctrl+I, a grid double click outside the status columns): the window fills its record
    // from TMainDM's focused candidate and navigates the shown candidates. Called only
    // while a set is open and a row is focused.
    virtual bool HasDetailWindow() const { return false; }
    virtual void ShowDetailWindow() {}

    // "统计信息..."
    virtual bool HasStatistics() const { return false; }
    virtual void ShowStatistics() {}

    // "打印投档单..."
    virtual bool HasPrinting() const { return false; }
    virtual void PrintDossierList() {}

    // "导出投档单(&S)..." (the main window runs it as a foreground long task of the task
    // thread) and "导出屏幕显示的投档单信息..."
    virtual bool HasExport() const { return false; }
    virtual void ExportDossiers() {}
    virtual void ExportScreen() {}

    // The options dialog.
    virtual bool HasOptions() const { return false; }
    virtual void ShowOptions() {}

    // The decision journal of the open set ("决定记录...", only while a set is open).
    virtual bool HasJournal() const { return false; }
    virtual void ShowJournal() {}

    // The reconnect dialog of the login ("连接网络(&C)...", only while not connected and the
    // link is idle); it reports its own failures. True when the link is connected
    // afterwards; the main window then starts the dossier query itself.
    virtual bool HasReconnect() const { return false; }
    virtual bool Reconnect() { return false; }
};
