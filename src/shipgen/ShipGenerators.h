#pragma once

#include <QList>
#include <QString>
#include <functional>

// The files the build writes into the program folder. Each generator writes its file
// at the path it is given (a temporary name beside the final one); the caller moves
// it into place, so a failed run never leaves a half-written file under the real name.
struct TShipGenerator
{
    QString FileName;
    std::function<void(const QString &path)> Write; // throws EZKError
};

QList<TShipGenerator> ShipGenerators();

// Runs every generator for the folder; returns the names that failed with their errors.
QStringList WriteShippedFiles(const QString &folder);
