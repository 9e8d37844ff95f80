// libFuzzer target: any bytes, read as a JWW drawing (full read with image
// extraction, and a preview) and as a JWS figure, straight from memory, with
// the summary the `info` command makes of them. Besides crashes and sanitizer
// reports it checks that the readers never claim more bytes than there are
// and that extraction never puts anything outside the image folder.
#include <cstddef>
#include <cstdint>

#include <nlohmann/json.hpp>

#include "fuzz_common.h"
#include "model/jw_data.h"
#include "report/drawing_summary.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    jw::fuzz::Folders& f = jw::fuzz::Setup();
    {
        jw::TJwwData m;
        m.BindImageFolder = f.imagesText;
        m.BindImageExp = m.BindImageExr = true;
        m.BufferIn(data, size, u"fuzz.jww");
        if (m.ReadEnd > size) __builtin_trap();
        (void)jw::SummaryToJson(jw::SummarizeDrawing(m)).dump();
        m.BindImageDeleteGzFile();
        m.BindImageDeleteNonGzFile();
        jw::fuzz::CheckAndEmpty(f);
        m.BufferIn(data, size, u"fuzz.jww", static_cast<int32_t>(size % 64));
        if (m.ReadEnd > size) __builtin_trap();
    }
    {
        jw::TJwsData m;
        m.BufferIn(data, size, u"fuzz.jws");
        if (m.ReadEnd > size) __builtin_trap();
        (void)jw::SummaryToJson(jw::SummarizeDrawing(m)).dump();
    }
    return 0;
}
