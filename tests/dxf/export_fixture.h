// The program-wide values the DXF export reads, set to known values for a
// test and restored afterwards, a drawing converted by a test, and a small
// PNG file writer.
#pragma once

#include <gtest/gtest.h>
#include <zlib.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "attributes/gra_attribute.h"
#include "dxf/dxf_model.h"
#include "dxf/jww_to_dxf.h"
#include "dxf/text_variables.h"
#include "model/jw_data.h"
#include "support/program_values.h"

namespace jw::dxftest {

// 2024-03-05 14:07:09 (a Tuesday) and 2019-05-01 08:04:02.
inline double FixedNow() { return DxfEncodeDate(2024, 3, 5, 14, 7, 9); }
inline double FixedFileDate(const JwString&) { return DxfEncodeDate(2019, 5, 1, 8, 4, 2); }

class ExportFixture : public ::testing::Test {
protected:
    void SetUp() override {
        saved_.graAttr = JwGraAttr;
        saved_.fileName = JwFileName;
        saved_.refList = JwRefList;
        JwGraAttrSetup(attr_);
        JwGraAttr = &attr_;
        JwFileName.clear();
        JwRefList.clear();
        DxfOutSpace = 0;
        DxfOutAppName = u"test";
        DxfOutPaperX = 420;
        DxfOutPaperY = 297;
        ZahyoMinX = -210, ZahyoMinY = -148.5, ZahyoMaxX = 210, ZahyoMaxY = 148.5;
        DxfOutScaleGroup = 0;
        DxfOutLayerNameType = 0;
        DxfOutTenType = 0;
        DxfOutTenRadius = 0.5;
        DxfOutMojiStyle = 0;
        DxfOutMojiExp1 = false;
        DxfOutMojiExp2 = false;
        DxfOutJoinLines = false;
        DxfOutDimension = false;
        DxfOutPrintX = 420;
        DxfOutPrintY = 297;
        DxfOutNowFunc = FixedNow;
        DxfOutFileDateFunc = FixedFileDate;
    }
    void TearDown() override {
        JwGraAttr = saved_.graAttr;
        JwFileName = saved_.fileName;
        JwRefList = saved_.refList;
        DxfOutNowFunc = nullptr;
        DxfOutFileDateFunc = nullptr;
    }

    TgraAttribute attr_;

private:
    struct {
        TgraAttribute* graAttr = nullptr;
        JwString fileName;
        std::vector<TStr2List> refList;
    } saved_;
};

// A new drawing d, built by a test and converted into m.
class DrawingExport : public ExportFixture {
protected:
    void SetUp() override {
        ExportFixture::SetUp();
        d.DataDefaultSet();
    }
    // Starts d afresh (a new drawing, an empty model).
    void Fresh() {
        d.DataInit();
        d.DataDefaultSet();
        m.DataInit();
    }
    // Builds the drawing with `build`, then converts it in release ver.
    void Convert(const std::function<void(TJwwData&)>& build, int32_t ver = kDxf2000) {
        ASSERT_TRUE(d.AddEntPre());
        build(d);
        ASSERT_TRUE(d.AddEntPost());
        JwwToDxfModel(d, m, ver, out);
    }

    TJwwData d;
    TDXFmodel m;
    JwString out = u"out.dxf";  // the DXF the conversion is for (its folder takes image copies)
};

// Bytes of a grey PNG of w x h pixels.
inline std::string PngBytes(uint32_t w, uint32_t h) {
    auto be32 = [](std::string& s, uint32_t v) {
        for (int i = 3; i >= 0; --i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    };
    auto chunk = [&](std::string& out, const char* type, const std::string& data) {
        be32(out, static_cast<uint32_t>(data.size()));
        std::string td = std::string(type, 4) + data;
        out += td;
        be32(out, static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(td.data()), static_cast<uInt>(td.size()))));
    };
    std::string ihdr;
    be32(ihdr, w);
    be32(ihdr, h);
    ihdr += std::string("\x08\x00\x00\x00\x00", 5);
    std::string raw;
    for (uint32_t y = 0; y < h; ++y) raw += std::string(1, '\0') + std::string(w, '\x80');
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::string z(size, '\0');
    compress(reinterpret_cast<Bytef*>(z.data()), &size, reinterpret_cast<const Bytef*>(raw.data()),
             static_cast<uLong>(raw.size()));
    z.resize(size);
    std::string out("\x89PNG\r\n\x1a\n", 8);
    chunk(out, "IHDR", ihdr);
    chunk(out, "IDAT", z);
    chunk(out, "IEND", "");
    return out;
}

inline void WriteFile(const std::filesystem::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
}

// The bytes gzip-compressed.
inline std::string GzipBytes(const std::string& bytes) {
    z_stream zs{};
    deflateInit2(&zs, 9, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&zs, static_cast<uLong>(bytes.size())) + 32, '\0');
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    zs.avail_in = static_cast<uInt>(bytes.size());
    zs.next_out = reinterpret_cast<Bytef*>(out.data());
    zs.avail_out = static_cast<uInt>(out.size());
    deflate(&zs, Z_FINISH);
    out.resize(zs.total_out);
    deflateEnd(&zs);
    return out;
}

}  // namespace jw::dxftest
