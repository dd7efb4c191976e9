#ifndef PORTIVA_APP_FILE_UTIL_H
#define PORTIVA_APP_FILE_UTIL_H

#include <wx/string.h>

#include <cstddef>
#include <string>

// Reads a regular file whole. Anything else at the path (nothing, a folder,
// a named pipe, a device node) or a file larger than max_size reads as
// missing: false. Never blocks on what it opens.
bool ReadRegularFile(const wxString& path, std::string* contents,
                     size_t max_size = 16u << 20);

// Writes a file through a temporary one and a rename, so a failed write
// never leaves half a file, and whatever stood at the path (a named pipe
// included) is replaced rather than written into.
bool WriteFileWhole(const wxString& path, const std::string& contents);

// Removes a folder with everything in it; links inside are removed, never
// followed. True when nothing is left at the path.
bool RemoveTree(const wxString& path);

#endif
