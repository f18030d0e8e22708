#pragma once

#include <QString>

// The member's storage is the member's alone: the user databases hold the sealed server
// password and candidates' data. Folders the client makes there are 0700 and files it
// writes there 0600, whatever the process's umask; what is already there is tightened
// (the group's and others' bits taken away, nothing ever added for them) when the client
// or zelkinc-cli opens it.

// Makes folder with any missing parents, each new one 0700, and takes the group's and
// others' bits off the folder itself when it existed. True when the folder exists.
bool MakePrivateFolder(const QString &folder);

// Makes a file the client has just written 0600. False when the mode could not be set.
bool MakePrivateFile(const QString &file);

// Takes the group's and others' bits off folder and everything below it. Symbolic links
// are neither followed nor changed. A missing folder is fine.
void TightenPrivateTree(const QString &folder);
