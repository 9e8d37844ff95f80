// Path and file helpers. Names that come from drawing files or Jw_cad settings
// are Windows paths, so parsing accepts both "\" and "/"; the platform
// separator of this program is "/". None of these functions throws.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace jw {

using JwString = std::u16string;

// The platform's folder separator ("/").
char16_t PathDelimChar();
// s + separator unless it already ends in "\" or "/"; "" gives the separator.
JwString AddPathDelim(std::u16string_view s);
// Folder part of path (before the last "\" or "/") with a trailing separator;
// empty when path is empty, 260 characters or longer, or holds characters
// invalid in a path.
JwString FileDir(std::u16string_view path);
// Text after the last "\", "/" or ":"; empty when path holds invalid characters.
JwString FileNameOnly(std::u16string_view path);
// Extension with its dot, lower-cased; empty when the last component has none.
JwString FileExtLower(std::u16string_view path);
// path with its extension replaced by ext (appended when none; "" removes it).
JwString FileExtChange(std::u16string_view path, std::u16string_view ext);
// True when path holds a character that is not allowed in a path.
bool PathHasInvalidChars(std::u16string_view path);

// File system (paths are converted to the platform's encoding).
std::filesystem::path NativePath(std::u16string_view path);
bool FileExistsEx(std::u16string_view path);
// True when anything at all stands at path: a file, a folder, a device, a
// symbolic link (also one that points nowhere); also when path cannot be
// looked at.
bool PathEntryExists(std::u16string_view path);
bool FolderCreate(std::u16string_view path);
bool FileDelete(std::u16string_view path);
// Removes the folder only when it is empty (never the program's own folder).
bool FolderRemove(std::u16string_view path);
// Copies src over dst (replacing dst); false on any failure.
bool FileCopyReplace(std::u16string_view src, std::u16string_view dst);
// Folder of the running executable with a trailing separator.
JwString ProgramFolder();
// Makes a folder of its own (mode 0700) under the system's temporary folder
// and answers its path; empty when it cannot, with error saying why.
std::filesystem::path MakePrivateTempFolder(std::string& error);

// Text of a native path (UTF-8 decoded).
JwString FromNativePath(const std::filesystem::path& p);
// The Wine prefix that holds the Windows drives of a Linux user: $WINEPREFIX,
// else ~/.wine.
std::filesystem::path WinePrefix();
// Maps a path written on Windows (or a native one) to this file system: "\"
// and "/" separate folders; a drive "X:" is the Wine drive folder
// (<prefix>/dosdevices/x:), "\\server\share" Wine's UNC folder; a path
// beginning with a separator is absolute; any other path is relative to
// baseFolder (the current directory when baseFolder is empty). Each component
// is the entry of that exact name when it exists, else the entry whose name
// equals it without regard to letter case (names in Windows settings are
// often upper-cased); a component that matches nothing is kept as written, so
// a missing file stays missing. Empty for an empty path.
std::filesystem::path ResolveWindowsPath(std::u16string_view path,
                                         std::u16string_view baseFolder = {});

}  // namespace jw
