// Reading the Jw_cad settings file Jw_win.jwf and the reference file of user
// text variables it names.
#pragma once

#include <string>

namespace jw {

using JwString = std::u16string;

// The Jw_cad folder of a Linux user: "<Wine prefix>/drive_c/JWW/" (Jw_cad's
// own "C:\JWW" under Wine).
JwString DefaultJwwPath();
// Finds the REF_FILE setting in JwAppPath + "Jw_win.jwf", or else in the file
// "Jw_win.jwf" of the folder jwwPath; sets JwRefFileName (upper-cased; empty
// when there is none). The file name and folders are matched without regard
// to letter case.
void GetRefFileName(const JwString& jwwPath);
// Reads the reference file named by JwRefFileName into JwRefList: a name
// without folder is looked up in JwAppPath, a folder part is resolved with
// ResolveWindowsPath (drive letters are Wine drives, letter case is ignored).
void RefFileOpen();

}  // namespace jw
