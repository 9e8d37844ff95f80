// Writes the seed corpus of the fuzz targets into the folder given (the
// repository keeps the result in fuzz/corpus): small drawings and figures of
// every format version with every kind of entity, nested and cyclic block
// definitions, image texts and bound images; drawings built to break the
// renderer (texts beyond any glyph size, corners that are no numbers, blocks
// copied into one another ten thousand times over, a tiny file of a huge
// picture, the print settings); recordings of canvas calls for the page's
// display list; legacy JWC and JWK files; a Jw_win.jwf and a reference
// file. They are built the way the tests build their fixtures.
//   cmake --build build-fuzz --target fuzz_seeds && build-fuzz/fuzz/fuzz_seeds fuzz/corpus
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "common/test_files.h"
#include "legacy/legacy_bytes.h"
#include "model/file_formats.h"
#include "model/jw_data.h"
#include "support/program_values.h"
#include "support/text_encoding.h"

namespace {

namespace fs = std::filesystem;
using jw::JwString;

// A tiny grey PNG (4 x 2 pixels), as an image file bound into a drawing.
const std::vector<uint8_t> kPng = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52,
    0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x02, 0x08, 0x00, 0x00, 0x00, 0x00, 0x8E, 0xC9, 0x7B,
    0x5F, 0x00, 0x00, 0x00, 0x0E, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9C, 0x63, 0x68, 0x80, 0x01, 0x06,
    0x20, 0x00, 0x00, 0x1D, 0x20, 0x02, 0x81, 0x5C, 0xD9, 0x6B, 0x4F, 0x00, 0x00, 0x00, 0x00, 0x49,
    0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};

// Every kind of entity at top level and in definitions: a definition in use
// with a nested one (which has a time stamp), one holding itself and two
// holding each other. The writer keeps only definitions in use, and inserts
// name definitions by index, so the definitions come first.
void Fill(jw::TJwEntities& m) {
    m.AddEntPre();
    m.AddEntLine(0, 0, 0, 1, 1, 0, 0, 0, 0, 100, 50);
    m.AddEntLine(0, 1, 2, 105, 33, 0, 0, -10, 0, 10, 80);  // SXF colour and line type
    m.AddEntArc(0, 0, 0, 2, 1, 0, 8, 10, 20, 5, 1, 0, 360, 0);
    m.AddEntArc(0, 0, 0, 3, 2, 0, 0, 30, 20, 8, 0.5, 30, 120, 15);
    m.AddEntTen(0, 0, 0, 4, 1, 0, 0, -7.5, 8, 0, 1);
    m.AddEntTen(0, 0, 0, 4, 100, 0, 0, 7.5, 8, 45, 2);  // a point with code
    m.AddEntMoji(0, 0, 0, 5, 1, 0, 0, 3, 0, 0, 2.5, 3, 0.5, 0, u"ＭＳ ゴシック", u"文字列 %f =y %%name");
    m.AddEntMoji(0, 0, 0, 5, 1, 0, 0x20, 1, 0, 10, 2.5, 3, 0.5, 90, u"@ＭＳ 明朝", u"^u縦^$3");
    m.AddEntMoji(0, 0, 0, 1, 1, 0, 0, 1, 50, 50, 2, 2, 0, 0, u"", u"^@BM%temp%pic.png,40,20,0,0,1,0");
    m.AddEntMoji(0, 0, 0, 1, 1, 0, 0, 1, 60, 50, 2, 2, 0, 0, u"", u"^@BMimages\\linked.png,30,15,0,0,1,0");
    m.AddEntSunpo(0, 0, 0, 1, 1, 0, 0, 2, 1, 0, 0, 1, 0, 0, 100, 0, 50, 1, 2.5, 2.5, 0, 0, u"ＭＳ ゴシック", u"100");
    m.AddEntSolid(0, 0, 0, 10, 1, 0, 0, 0xFF8000, 0, 0, 1, 0, 1, 1, 0, 1);
    m.AddEntSolid(0, 0, 0, 3, 1, 0, 0, 0, 5, 5, 8, 8);
    m.AddBlkDef(0, 0, 0, 1, 1, 0, 0, 1, u"部品");  // index 0
    m.AddBlkLine(0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 1, 1);
    m.AddBlkMoji(0, 0, 0, 0, 1, 1, 0, 0, 1, 0, 0, 2, 2, 0, 0, u"", u"^@BM%temp%pic.png,10,5,0,0,1,0");
    m.AddBlkDef(0, 0, 0, 1, 1, 0, 0, 2, u"nested");  // index 1
    m.AddBlkArc(1, 0, 0, 0, 1, 1, 0, 0, 0, 0, 1, 1, 0, 360, 0);
    m.EntBlockDef.back().bTime64 = true;
    m.EntBlockDef.back().dtimeFile = 0x80000002u;
    for (uint8_t k = 0; k < 8; ++k) m.EntBlockDef.back().time64[k] = static_cast<uint8_t>(0x10 + k);
    m.AddBlkDef(0, 0, 0, 1, 1, 0, 0, 3, u"self");  // index 2
    m.AddBlkLine(2, 0, 0, 0, 1, 1, 0, 0, 0, 0, 2, 2);
    m.AddBlkDef(0, 0, 0, 1, 1, 0, 0, 4, u"ping");  // index 3
    m.AddBlkDef(0, 0, 0, 1, 1, 0, 0, 1, u"pong");  // index 4
    m.AddBlkLine(4, 0, 0, 0, 1, 1, 0, 0, 0, 0, 3, 3);
    m.AddBlkBlock(0, 0, 0, 0, 1, 1, 0, 0, 1, 2, 2, 1, 1, 0);  // 部品 holds nested
    m.AddBlkBlock(2, 0, 0, 0, 1, 1, 0, 0, 2, 0, 0, 1, 1, 0);  // self holds self
    m.AddBlkBlock(3, 0, 0, 0, 1, 1, 0, 0, 4, 1, 0, 1, 1, 0);  // ping holds pong
    m.AddBlkBlock(4, 0, 0, 0, 1, 1, 0, 0, 3, 0, 1, 1, 1, 0);  // and pong ping
    m.AddEntBlock(0, 0, 0, 1, 1, 0, 0, 0, 20, 20, 2, 1, 0.5);
    m.AddEntBlock(0, 0, 0, 1, 1, 0, 0, 2, 40, 20, 1, 1, 0);
    m.AddEntBlock(0, 0, 0, 1, 1, 0, 0, 3, 80, 20, 1, 1, 0);
    m.AddEntPost();
}

void Write(const fs::path& p, const std::vector<uint8_t>& bytes) {
    jw::test::WriteFileBytes(p, bytes);
    std::printf("%s %zu\n", p.string().c_str(), bytes.size());
}

void Write(const fs::path& p, const std::string& text) { Write(p, std::vector<uint8_t>(text.begin(), text.end())); }

// A drawing on A4 made by fill, as a JWW 7.00 file.
template <class F>
bool WriteDrawing(const fs::path& p, F&& fill) {
    jw::TJwwData d;
    d.DataDefaultSet();
    d.Enthd.nZumen = 4;
    d.AddEntPre();
    fill(d);
    d.AddEntPost();
    std::vector<uint8_t> bytes;
    if (!d.BufferOut(bytes, 700)) return false;
    Write(p, bytes);
    return true;
}

// A definition (numbered as made) holding ten copies of definition inner.
int32_t TenOf(jw::TJwwData& d, int32_t inner) {
    const int32_t def = d.EntBlockDefN;
    d.AddBlkDef(0, 0, 0, 1, 1, 0, 0, 1, u"ten" + jw::FromUtf8(std::to_string(def)));
    for (int k = 0; k < 10; ++k) d.AddBlkBlock(def, 0, 0, 0, 1, 1, 0, 0, inner, 0, 0, 1, 1, 0);
    return def;
}

void StbWrite(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    out->insert(out->end(), static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
}

// The drawings built to break the renderer.
bool WriteRenderSeeds(const fs::path& dir) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    bool ok = WriteDrawing(dir / "texts.jww", [](jw::TJwwData& d) {
        d.AddEntMoji(0, 0, 0, 2, 1, 0, 0, 0, -100, 0, 1e6, 1e6, 1e300, 0, u"ＭＳ ゴシック", u"巨大な文字");
        d.AddBlkDef(0, 0, 0, 1, 1, 0, 0, 1, u"thin");
        d.AddBlkMoji(0, 0, 0, 0, 2, 1, 0, 0, 0, 0, 0, 5, 5, 0, 0, u"ＭＳ ゴシック", u"細い文字");
        d.AddEntBlock(0, 0, 0, 2, 1, 0, 0, 0, 50, -50, 1e-10, 1e4, 0);
        d.AddEntMoji(0, 0, 0, 2, 1, 0, 0, 0, -140, -100, 1e5, 1e5, 0, 0, u"ＭＳ 明朝", u"A");
        d.AddEntMoji(0, 0, 0, 2, 1, 0, 0, 0, -100, 50, 0.3, 0.3, 0, 30, u"ＭＳ ゴシック", u"小さな文字 small");
    });
    ok = ok && WriteDrawing(dir / "not-a-number.jww", [nan](jw::TJwwData& d) {
        d.AddEntSolid(0, 0, 0, 2, 1, 0, 0, 0, -100, -50, nan, -50, 100, 50, -100, 50);
        d.AddEntLine(0, 0, 0, 2, 1, 0, 0, -1e9, 0, 1e9, 0);
        d.AddEntArc(0, 0, 0, 2, 1, 0, 0, 0, 0, 1e12, 1, 0, 360, 0);
    });
    ok = ok && WriteDrawing(dir / "copies.jww", [](jw::TJwwData& d) {
        d.AddBlkDef(0, 0, 0, 1, 1, 0, 0, 1, u"sheet");
        d.AddBlkSolid(0, 0, 0, 0, 2, 1, 0, 0, 0, -148, -104, -148, 104, 148, -104, 148, 104);
        d.AddBlkSolidA(0, 0, 0, 0, 3, 0, 0, 0, 0, 0, 50, 1, 0);
        int32_t top = 0;
        for (int l = 0; l < 4; ++l) top = TenOf(d, top);
        d.AddEntBlock(0, 0, 0, 2, 1, 0, 0, top, 0, 0, 1, 1, 0);
    });
    ok = ok && WriteDrawing(dir / "print.jww", [](jw::TJwwData& d) {
        d.AddEntLine(0, 0, 0, 6, 1, 0, 0, -100, 40, 100, 40);
        d.AddEntLine(0, 0, 0, 9, 1, 0, 0, -100, 20, 100, 20);
        d.AddEntLine(0, 0, 0, 2, 9, 0, 0, -100, 0, 100, 0);
        d.AddEntLine(0, 0, 1, 6, 1, 0, 0, -100, -20, 100, -20);
        d.AddEntTen(0, 0, 0, 4, 1, 0, 0, 10, 10, 0, 1);
        d.EntLay[1].aanLay = 1;
        d.Enthd.nColorPrint = 0;
        d.Enthd.nPrtKyoutsuuGray = 1;
        d.Enthd.nDrawPrtTen = 1;
    });
    // A picture of 1000 x 1000 pixels of one grey in a few hundred bytes,
    // bound into the drawing.
    std::vector<uint8_t> grey(1000 * 1000, 80), png;
    stbi_write_png_to_func(StbWrite, &png, 1000, 1000, 1, grey.data(), 1000);
    jw::test::TempDir images("zs-seed-images");
    jw::test::WriteFileBytes(images.path() / "huge.png", png);
    ok = ok && WriteDrawing(dir / "huge-picture.jww", [&](jw::TJwwData& d) {
        d.BindImage = {jw::TBindImageType{u"huge.png", static_cast<int32_t>(png.size())}};
        d.BindImageN = 1;
        d.BindImageExp = true;
        d.BindImageFolder = jw::FromUtf8(images.folder());
        for (int i = 0; i < 8; ++i)
            d.AddEntMoji(0, 0, 0, 2, 1, 0, 0, 0, -140 + 30 * i, 0, 2, 2, 0, 0, u"",
                         u"^@BM%temp%huge.png,25,25,0,0,1," + jw::FromUtf8(std::to_string(10 * i)));
    });
    return ok;
}

// Recordings for the display list: canvas calls as fuzz_display reads them
// (a kind, a width, a dash pattern, points, then what the kind needs), from a
// small generator of drawing-like numbers.
void WriteDisplaySeeds(const fs::path& dir) {
    for (int seed = 1; seed <= 3; ++seed) {
        std::vector<uint8_t> bytes;
        uint32_t x = static_cast<uint32_t>(seed) * 2654435761u;
        auto next = [&] {
            x ^= x << 13;
            x ^= x >> 17;
            x ^= x << 5;
            return static_cast<uint8_t>(x);
        };
        for (int i = 0; i < 600 * seed; ++i) {
            uint8_t b = next();
            // Numbers: mostly the small kind (a first byte below 200).
            if (i % 3 == 1 && b >= 200) b = static_cast<uint8_t>(b - 100);
            bytes.push_back(b);
        }
        Write(dir / ("calls" + std::to_string(seed)), bytes);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds FOLDER\n");
        return 2;
    }
    const fs::path root = argv[1];
    jw::JwDefMojiTypeInit();
    jw::JwGlobalInit();
    for (const char* sub : {"jw", "render", "display", "legacy", "settings"}) fs::create_directories(root / sub);
    if (!WriteRenderSeeds(root / "render")) return 1;
    WriteDisplaySeeds(root / "display");

    // Drawings and figures of every version; the bound image goes into 7.00.
    jw::test::TempDir images("zs-seed-images");
    jw::test::WriteFileBytes(images.path() / "pic.png", kPng);
    for (const jw::JwFormatVersion& v : jw::kJwFormatVersions) {
        jw::TJwwData d;
        d.DataDefaultSet();
        d.Enthd.strMemo = u"seed\r\nmemo";
        d.EntLay[1].aStrLayName = u"壁";
        d.BindImage = {jw::TBindImageType{u"pic.png", static_cast<int32_t>(kPng.size())}};
        d.BindImageN = 1;
        d.BindImageExp = true;
        d.BindImageFolder = jw::FromUtf8(images.folder());
        Fill(d);
        for (const bool utf16 : {false, true}) {
            if (utf16 && v.ver != 700 && v.ver != 351) continue;
            d.SetFileOutOption(utf16 ? jw::kFileOutOptUtf16 : 0);
            std::vector<uint8_t> bytes;
            if (!d.BufferOut(bytes, v.ver)) return 1;
            Write(root / "jw" / ("jww" + std::to_string(v.ver) + (utf16 ? "-utf16" : "") + ".jww"), bytes);
        }
        jw::TJwsData s;
        s.DataDefaultSet();
        Fill(s);
        std::vector<uint8_t> bytes;
        if (!s.BufferOut(bytes, v.ver)) return 1;
        if (v.ver == 230 || v.ver == 351 || v.ver == 420 || v.ver == 700)
            Write(root / "jw" / ("jws" + std::to_string(v.ver) + ".jws"), bytes);
    }

    // Legacy files with a few entities of each kind.
    legacy_test::JwcFile jwc;
    jwc.lines = {{0, 0, 10, 10, 1, 2, 3, 0, 0, 0}, {5, 5, -5, 5, 2, 3, 0, 0, 0, 0}};
    jwc.arcs.resize(1);
    jwc.tens.resize(1);
    Write(root / "legacy" / "drawing.jwc", jwc.Bytes());
    legacy_test::JwkFile jwk;
    jwk.lines = jwc.lines;
    jwk.arcs.resize(1);
    jwk.tens.resize(1);
    Write(root / "legacy" / "figure.jwk", jwk.Bytes());

    // Jw_win.jwf and a reference file (code page 932 text).
    Write(root / "settings" / "Jw_win.jwf", std::string("[JW_WIN]\r\nREF_FILE = C:\\JWW\\REF.TXT\r\nEND\r\n"));
    Write(root / "settings" / "ref.txt",
          std::string("%%name\tvalue one\r\n%%date\t2024\t05\r\nbad name\tx\r\n%%\x83\x65\x83\x58\x83\x67\tz\n"));
    return 0;
}
