#pragma once
// Reading and writing a copy file on disk. A copy file is small (32 768
// bytes when written by "Camera->PC"); it is read whole so that it can be
// checked before anything is sent, and written whole so that it never exists
// half-written.

#include <QString>

#include <string>

// Larger files are not copy files (a copy file replays at most this many
// bytes of commands) and are refused unread.
inline constexpr qint64 kCopyFileMaxSize = 1024 * 1024;

// Reads the whole file. False, with the reason, when it cannot be opened or
// read, or is too large.
bool ReadCopyFile(const QString& path, std::string* text, QString* error);

// Writes `text` as the file `path`: into a temporary file in the same folder,
// which replaces `path` only once every byte has been written and flushed.
// On failure `path` is left as it was and the temporary file is removed.
bool WriteCopyFile(const QString& path, const std::string& text, QString* error);
