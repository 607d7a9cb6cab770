// The runtime's path and directory services.
#pragma once

#include <QString>

namespace TPath {
// The user's Pictures folder without a trailing separator; empty when unknown.
QString GetPicturesPath();
} // namespace TPath

// True for an existing directory (links followed when FollowLink), false for a
// missing path or a file, true when the attributes cannot be read otherwise.
bool DirectoryExists(const QString &Directory, bool FollowLink = true);

// Creates the one directory S, not its parents; raises EInOutError on failure.
void MkDir(const QString &S);

// The EInOutError text for a Windows error code.
QString InOutErrorText(int code);

// The Windows error code the runtime reports for a POSIX errno.
int WindowsErrorCode(int posixErrno);
