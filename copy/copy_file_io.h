#pragma once
// Reading and writing a copy file on disk. A copy file is small (32 768
// bytes when written by "Camera->PC"); it is read whole so that it can be
// checked before anything is sent, and written whole so that it never exists
// half-written where the folder allows it.
//
// Only regular files are copy files: a FIFO, a device or a folder chosen in
// the dialog is refused before it is opened for reading or writing (opening a
// FIFO waits for a writer, reading a device may never end).

#include <QString>

#include <string>

// Larger files are not copy files (a copy file replays at most this many
// bytes of commands) and are refused unread.
inline constexpr qint64 kCopyFileMaxSize = 1024 * 1024;

// Reads the whole file. False, with the reason, when it is not a regular
// file, cannot be opened or read, or is too large.
bool ReadCopyFile(const QString& path, std::string* text, QString* error);

// Writes `text` as the file `path`. Where the folder allows it, into a
// temporary file beside it, which replaces `path` only once every byte has
// been written and flushed; on failure `path` is left as it was and the
// temporary file is removed. Where the folder takes no new file (a read-only
// folder holding a writable copy file), the file is written in place; on a
// failure there its earlier contents are written back. A `path` that exists
// and is not a regular file is refused.
bool WriteCopyFile(const QString& path, const std::string& text, QString* error);

// True when `path` can become a copy file: it does not exist yet or is a
// regular file. Otherwise false with the reason (asked before a copy starts,
// so that "Camera->PC" does not read 1024 words for a file it cannot write).
bool CanWriteCopyFile(const QString& path, QString* error);
