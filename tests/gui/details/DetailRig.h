#pragma once

#include "ExchangeFixture.h"
#include "gui/details/DNForm.h"

#include <QByteArray>
#include <QStringList>
#include <memory>

// A demo province on the stand-in, downloaded and with its first set that has dossiers
// open, and the detail window on it with recording windows.
class TDetailRig
{
public:
    explicit TDetailRig(bool graded = false, bool images = true);

    // Opens the window on the first candidate of the list.
    void ShowFirst();
    // Runs the event loop until the animation was stopped `stops` times in all.
    bool WaitForStops(int stops);
    // The text the browser shows.
    QString BrowserText() const;
    // The leader's stored image of a candidate (kind 0..3, "png" or "zip"), if any.
    bool LeaderHasImage(const QString &ksh, int kind, const QString &suffix) const;
    // Writes window grabs of every page to ZK_DETAILS_SHOTS (when set) with this prefix.
    void Shoot(const QString &prefix);

    std::unique_ptr<TExchangeFixture> F;
    std::unique_ptr<TDNForm> Form;
    QStringList OpenedFolders;
};

// A stored RAR 4 archive of files (name → bytes); names use '\\' as separator.
QByteArray StoredRar4(const QList<QPair<QString, QByteArray>> &files);
