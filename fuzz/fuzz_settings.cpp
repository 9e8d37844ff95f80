// libFuzzer target: any bytes as the Jw_cad settings file Jw_win.jwf (the
// search for REF_FILE) and as the reference file of user text variables
// (read into JwRefList), both read from files in the process's folder as the
// programs read them.
#include <cstddef>
#include <cstdint>
#include <fstream>

#include "fuzz_common.h"
#include "support/jw_settings.h"
#include "support/program_values.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    jw::fuzz::Folders& f = jw::fuzz::Setup();
    std::ofstream(f.out / "Jw_win.jwf", std::ios::binary).write(reinterpret_cast<const char*>(data),
                                                                 static_cast<std::streamsize>(size));
    std::ofstream(f.out / "REF.TXT", std::ios::binary).write(reinterpret_cast<const char*>(data),
                                                              static_cast<std::streamsize>(size));
    jw::JwAppPath = f.outText;
    jw::GetRefFileName(f.outText);
    // The reference file of the program folder, whatever Jw_win.jwf named.
    jw::JwRefFileName = u"REF.TXT";
    jw::RefFileOpen();
    jw::JwRefList.clear();
    jw::fuzz::CheckAndEmpty(f);
    return 0;
}
