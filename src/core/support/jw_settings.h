// Reading the Jw_cad settings file Jw_win.jwf and the reference file of user
// text variables it names.
#pragma once

#include <string>

namespace jw {

using JwString = std::u16string;

// Finds the REF_FILE setting in JwAppPath + "Jw_win.jwf", or else in the file
// "Jw_win.jwf" of the folder jwwPath; sets JwRefFileName (upper-cased).
void GetRefFileName(const JwString& jwwPath);
// Reads the reference file named by JwRefFileName into JwRefList.
void RefFileOpen();

}  // namespace jw
