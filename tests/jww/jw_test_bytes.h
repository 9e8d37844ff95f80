// Builds JWW/JWS file images byte by byte for the reader tests.
#pragma once

#include <cstdint>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/jww_attr.h"
#include "common/test_files.h"
#include "model/jw_data.h"

namespace jw::test {

class ByteBuilder {
public:
    std::vector<uint8_t> bytes;

    size_t Size() const { return bytes.size(); }
    ByteBuilder& Raw(const void* p, size_t n) {
        const uint8_t* s = static_cast<const uint8_t*>(p);
        bytes.insert(bytes.end(), s, s + n);
        return *this;
    }
    ByteBuilder& Raw(std::initializer_list<uint8_t> l) {
        bytes.insert(bytes.end(), l);
        return *this;
    }
    ByteBuilder& Fill(size_t n, uint8_t v = 0) {
        bytes.insert(bytes.end(), n, v);
        return *this;
    }
    ByteBuilder& U8(uint8_t v) { return Raw(&v, 1); }
    ByteBuilder& U16(uint16_t v) { return Raw(&v, 2); }
    ByteBuilder& I32(int32_t v) { return Raw(&v, 4); }
    ByteBuilder& U32(uint32_t v) { return Raw(&v, 4); }
    ByteBuilder& F64(double v) { return Raw(&v, 8); }

    // Archive string in the single-byte form (bytes as given).
    ByteBuilder& Str(const std::string& s) {
        if (s.size() >= 255) {
            U8(0xFF);
            U16(static_cast<uint16_t>(s.size()));
        } else {
            U8(static_cast<uint8_t>(s.size()));
        }
        return Raw(s.data(), s.size());
    }
    // Archive string in the UTF-16 form.
    ByteBuilder& WStr(const std::u16string& s) {
        Raw({0xFF, 0xFE, 0xFF});
        if (s.size() >= 255) {
            U8(0xFF);
            U16(static_cast<uint16_t>(s.size()));
        } else {
            U8(static_cast<uint8_t>(s.size()));
        }
        for (char16_t c : s) U16(c);
        return *this;
    }
    ByteBuilder& Count(int32_t n) {
        if (n < 0xFFFF) return U16(static_cast<uint16_t>(n));
        U16(0xFFFF);
        return I32(n);
    }
    ByteBuilder& NewClass(const std::string& name, uint16_t schema = 700) {
        U16(0xFFFF);
        U16(schema);
        U16(static_cast<uint16_t>(name.size()));
        return Raw(name.data(), name.size());
    }
    ByteBuilder& ClassRef(uint32_t index) { return U16(static_cast<uint16_t>(0x8000 + index)); }
    ByteBuilder& ClassRefLong(uint32_t index) {
        U16(0x7FFF);
        return U32(0x80000000u | index);
    }

    // Entity attribute: 15 bytes from version 351 on, else 13 (no width).
    ByteBuilder& Attr(int ver, const TEntJwwAttr& a) {
        U32(a.lGroup);
        U8(a.nPenStyle);
        U16(a.nPenColor);
        if (ver >= 351) U16(a.nPenWidth);
        U16(a.nLayer);
        U16(a.nGLayer);
        return U16(a.sFlg);
    }
    ByteBuilder& Line(int ver, const TEntJwwAttr& a, double x1, double y1, double x2, double y2) {
        Attr(ver, a);
        return F64(x1).F64(y1).F64(x2).F64(y2);
    }
    ByteBuilder& Point(int ver, const TEntJwwAttr& a, double x, double y, uint32_t kariten = 0,
                       uint32_t code = 0, double rot = 0, double scale = 0) {
        Attr(ver, a);
        F64(x).F64(y).U32(kariten);
        if (a.nPenStyle == 100) U32(code).F64(rot).F64(scale);
        return *this;
    }
    ByteBuilder& MojiFixed(int ver, const TEntJwwAttr& a, double x1, double y1, double sx, double sy, double kk,
                           uint32_t shu = 1) {
        Attr(ver, a);
        F64(x1).F64(y1).F64(x1 + 10).F64(y1 + 2).U32(shu);
        return F64(sx).F64(sy).F64(kk).F64(0);
    }
    ByteBuilder& Text(int ver, const TEntJwwAttr& a, const std::string& s, double x = 0, double y = 0) {
        MojiFixed(ver, a, x, y, 3, 3, 0);
        return Str("MS Gothic").Str(s);
    }
    ByteBuilder& Block(int ver, const TEntJwwAttr& a, double x, double y, uint32_t number) {
        Attr(ver, a);
        return F64(x).F64(y).F64(1).F64(1).F64(0).U32(number);
    }
    // Definition after its tag: fixed part, name, member count.
    ByteBuilder& BlockDefHead(int ver, const TEntJwwAttr& a, uint32_t number, uint32_t dtime,
                              const std::string& name, int32_t members) {
        Attr(ver, a);
        U32(number).U32(0).U32(dtime);
        if (dtime & 0x80000000u) Fill(8, 0x77);
        Str(name);
        return Count(members);
    }
};

// A JWW header of version ver built from the fields of src (rows 1-42 of the
// header layout, each row only where the version holds it).
inline void AppendJwwHeader(ByteBuilder& b, int ver, const TJwwData& src, const char* signature = "JwwData.") {
    const TEntJwwHeader& h = src.Enthd;
    b.Raw(signature, 8).I32(ver).Str(std::string(h.strMemo.begin(), h.strMemo.end()));
    b.I32(h.nZumen).I32(h.nWriteGLay);
    for (int g = 0; g < 16; ++g) {
        const auto& lg = src.EntLgrp[g];
        b.I32(lg.anGLay).I32(lg.anWriteLay).F64(lg.adScale).I32(lg.anGLayProtect);
        for (int l = 0; l < 16; ++l) b.I32(src.EntLay[g * 16 + l].aanLay).I32(src.EntLay[g * 16 + l].aanLayProtect);
    }
    b.Fill(56, 0xEE);
    b.I32(h.lnSunpou1).I32(h.lnSunpou2).I32(h.lnSunpou3).I32(h.lnSunpou4).I32(h.lnSunpou5);
    b.Fill(4, 0xEE).I32(h.nMaxDrawWid);
    b.F64(h.DPPrtGenten_x).F64(h.DPPrtGenten_y).F64(h.dPrtBairitsu).I32(h.nPrtSet).I32(h.nMemoriMode);
    b.F64(h.dMemoriHyoujiMin).F64(h.dMemoriX).F64(h.dMemoriY).F64(h.DpMemoriKjTen_x).F64(h.DpMemoriKjTen_y);
    auto ascii = [](const JwString& s) { return std::string(s.begin(), s.end()); };
    for (int i = 0; i < 256; ++i) b.Str(ascii(src.EntLay[i].aStrLayName));
    for (int g = 0; g < 16; ++g) b.Str(ascii(src.EntLgrp[g].aStrGLayName));
    b.F64(h.dKageLevel).F64(h.dKageIdo).I32(h.nKage9_15JiFlg).F64(h.dKabeKageLevel);
    if (ver >= 300) b.F64(h.dTenkuuZuLevel).F64(h.dTenkuuZuEnkoR);
    b.I32(h.nMMTani3D);
    b.F64(h.dBairitsu).F64(h.DPGenten_x).F64(h.DPGenten_y).F64(h.dHanniBairitsu).F64(h.DPHanniGenten_x)
        .F64(h.DPHanniGenten_y);
    if (ver >= 231) {
        for (int m = 0; m < 8; ++m)
            b.F64(h.dZoomJumpBairitsu[m]).F64(h.DPZoomJumpGenten_x[m]).F64(h.DPZoomJumpGenten_y[m])
                .I32(h.nZoomJumpGLay[m]);
        b.F64(h.dDm11).F64(h.dDm12).F64(h.dDm13).I32(h.lnDm1).F64(h.dDm21).F64(h.dDm22).F64(h.dMojiBG)
            .I32(h.nMojiBG);
    } else {
        for (int m = 0; m < 4; ++m)
            b.F64(h.dZoomJumpBairitsu[m]).F64(h.DPZoomJumpGenten_x[m]).F64(h.DPZoomJumpGenten_y[m]);
    }
    for (double d : h.adFukusenSuuchi) b.F64(d);
    b.F64(h.dRyougawaFukusenTomeDe);
    for (const auto& c : src.EntCol) b.I32(c.aPenColor).I32(c.anPenWidth);
    for (const auto& c : src.EntCol) b.I32(c.aPrtPenColor).I32(c.anPrtPenWidth).F64(c.adPrtTenHankei);
    for (const auto& t : src.EntLtp1)
        b.I32(t.alLType).I32(t.anTokushuSenUintDot).I32(t.anTokushuSenPich).I32(t.anPrtTokushuSenPich);
    for (const auto& r : src.EntLtp2)
        b.I32(r.alLType).I32(r.anRandSenWide).I32(r.anTokushuSenPich).I32(r.anPrtRandSenWide)
            .I32(r.anPrtTokushuSenPich);
    for (const auto& t : src.EntLtp3)
        b.I32(t.alLType).I32(t.anTokushuSenUintDot).I32(t.anTokushuSenPich).I32(t.anPrtTokushuSenPich);
    b.I32(h.nDrawGamenTen).I32(h.nDrawPrtTen).I32(h.nBitMapFirstDraw).I32(h.nGyakuDraw).I32(h.nGyakuSearch)
        .I32(h.nColorPrint).I32(h.nLayJunPrint).I32(h.nColJunPrint).I32(h.nPrtRenzoku).I32(h.nPrtKyoutsuuGray);
    b.I32(h.nPrtDpi * 10 + h.nPrtDispOnlyNonDraw);
    if (ver >= 223)
        b.I32(h.lnDrawTime).I32(h.nEyeInit).I32(h.dEye_H_Ichi_1).I32(h.dEye_H_Ichi_2).I32(h.dEye_H_Ichi_3)
            .F64(h.dEye_Z_Ichi_1).F64(h.dEye_Y_Ichi_1).F64(h.dEye_Z_Ichi_2).F64(h.dEye_Y_Ichi_2)
            .F64(h.dEye_V_Ichi_3);
    if (ver >= 225) b.F64(h.dSenNagasaSnpou).F64(h.dBoxSunpouX).F64(h.dBoxSunpouY).F64(h.dEnHankeiSnpou);
    if (ver >= 230) b.I32(h.nSolidNinniColor).I32(h.SolidColor);
    if (ver >= 420) {
        for (const auto& c : src.EntColS) b.I32(c.aPenColor).I32(c.anPenWidth);
        for (const auto& c : src.EntColS)
            b.Str(ascii(c.astrUDColorName)).I32(c.aPrtPenColor).I32(c.anPrtPenWidth).F64(c.adPrtTenHankei);
        for (const auto& t : src.EntLtpS)
            b.I32(t.alLType).I32(t.anTokushuSenUintDot).I32(t.anTokushuSenPich).I32(t.anPrtTokushuSenPich);
        for (const auto& t : src.EntLtpS) {
            b.Str(ascii(t.astrUDLTypeName)).I32(t.anUDLTypeSegment);
            for (double d : t.aadUDLTypePitch) b.F64(d);
        }
    }
    for (const auto& m : src.EntMoj) b.F64(m.adMojiX).F64(m.adMojiY).F64(m.adMojiD).I32(m.anMojiCol);
    b.F64(h.dMojiSizeX).F64(h.dMojiSizeY).F64(h.dMojiKankaku).I32(h.nMojiColor).I32(h.nMojiShu);
    b.F64(h.dMojiSeiriGyouKan).F64(h.dMojiSeiriSuu).I32(h.nMojiKijunZureOn);
    b.F64(h.adMojiKijunZureX0).F64(h.adMojiKijunZureX1).F64(h.adMojiKijunZureX2);
    b.F64(h.adMojiKijunZureY0).F64(h.adMojiKijunZureY1).F64(h.adMojiKijunZureY2);
}

// A model whose header and tables hold plain values (tables at their lengths).
inline TJwwData PlainHeaderModel() {
    TJwwData m;
    m.SizeHeaderTables();
    m.Enthd.dMojiSizeX = m.Enthd.dMojiSizeY = 3;
    for (auto& t : m.EntMoj) t.adMojiX = t.adMojiY = 2.5;
    return m;
}

// A JWW file image: header of version ver followed by `body`.
inline std::vector<uint8_t> JwwFile(int ver, const ByteBuilder& body) {
    ByteBuilder b;
    AppendJwwHeader(b, ver, PlainHeaderModel());
    b.Raw(body.bytes.data(), body.bytes.size());
    return b.bytes;
}

// A JWS file image: header of version ver followed by `body`.
inline std::vector<uint8_t> JwsFile(int ver, const ByteBuilder& body) {
    ByteBuilder b;
    b.Raw("JwsData", 7).Fill(193, '.').I32(ver).F64(10).F64(20);
    for (int g = 0; g < 16; ++g) b.F64(g + 1);
    for (int i = 0; i < 6; ++i) b.I32(i);
    for (int i = 0; i < 10; ++i) b.F64(i * 0.5);
    b.Raw(body.bytes.data(), body.bytes.size());
    return b.bytes;
}

// A temporary folder (common/test_files.h) with the forms the reader tests
// use.
class TempFolder : public TempDir {
public:
    TempFolder() : TempDir("zs-reader") {}

    // The folder as a model's BindImageFolder (with its trailing separator).
    std::u16string Folder() const { return Utf16(folder()); }
    // ASCII paths only (temporary folders are).
    static std::u16string Utf16(const std::string& s) { return std::u16string(s.begin(), s.end()); }
    std::string File(const std::string& name, const std::vector<uint8_t>& bytes) const {
        const std::string p = (path() / name).string();
        WriteFileBytes(p, bytes);
        return p;
    }
};

}  // namespace jw::test
