#pragma once

#include <QFile>
#include <QString>
#include <mutex>

// The message log of the stand-in: one line per message received or sent, from
// every connection, appended to one file (none when the path is empty). Lines:
//   <local time> #<connection> <direction> <text>
// with the direction "<-" for a message from the client, "->" for one to it and
// "--" for an event (connect, close, violation).
class TLeaderLog
{
public:
    explicit TLeaderLog(const QString &path);
    bool IsOpen() const { return FFile.isOpen(); }
    QString ErrorString() const { return FFile.errorString(); }
    void Write(int connection, const char *direction, const QString &text);

private:
    std::mutex FMutex;
    QFile FFile;
};
