// TJwcData: a drawing of the older single-byte JWC format, and the record
// types it shares with JWK figures (legacy/jwk_data.h).
//
// A JWC file is four 200-byte text header blocks, then temporary points, text
// types, layer-group scales and flags, lines, arcs, texts, the string area the
// texts address by segment:offset, points, and the layer and group names.
// Coordinates are stored in 4-byte floats in paper units and converted to
// millimetres by dataUnit on reading.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace jw {

using JwString = std::u16string;

namespace legacy {
struct LegacyReads;  // the read operations JWC and JWK share (legacy/legacy_reads.h)
}

struct TEntJwcVten {
    float x = 0, y = 0;
    uint8_t lay = 0;
};

struct TEntJwcMojiType {
    uint16_t penNo = 0, width = 0, height = 0, dist = 0;
};

struct TEntJwcLayerGroup {
    float scale = 0;
    uint8_t srchF = 0, dispF = 0, w_lay = 0;
    JwString name;
};

struct TEntJwcLayer {
    uint8_t srchF = 0, dispF = 0;
    JwString name;
};

struct TEntJwcLine {
    float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    uint8_t typ = 0, col = 0, lay = 0, flg1 = 0, flg2 = 0, flg3 = 0;
};

struct TEntJwcArc2 {
    float x = 0, y = 0;  // centre
    float r = 0;         // radius
    float h = 0;         // flatness
    float st = 0, et = 0, tt = 0;  // start, end and tilt angle
    uint8_t typ = 0, col = 0, lay = 0, flg1 = 0, flg2 = 0, flg3 = 0;
};

struct TEntJwcMoji2 {
    float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    int32_t p = 0;  // address of the string in the string area
    uint8_t no = 0, lay = 0, flg1 = 0, flg2 = 0;
    JwString s;
};

struct TEntJwcTen {
    float x = 0, y = 0;
    uint8_t lay = 0, col = 0, flg1 = 0, flg2 = 0;
};

// Record sizes in the files.
inline constexpr size_t kJwcLineSize = 22;
inline constexpr size_t kJwcArcSize = 32;
inline constexpr size_t kJwcMojiSize = 24;
inline constexpr size_t kJwcTenSize = 12;

struct TEntJwcHeader {
    // block 1
    JwString jwID;
    JwString comment1, comment2;
    bool scaleF = true;  // layer-group scales stored as Singles (else Words)
    // block 2
    int32_t lineCount = 0, arcCount = 0, mojiCount = 0, tenCount = 0, vtenCount = 0;
    int32_t curFno = 1, curMfno = 1, curMlcol = 1, curMpcol = 1;
    float wLayScale = 1.0f;
    int32_t wLayNo = 0;
    int32_t psize = 3;
    int32_t lcol = 2;
    int32_t ltyp = 1;
    float plotOrgX = 0, plotOrgY = 0;
    float lpitch1 = 5.0f, lpitch2 = 10.0f;
    int32_t drawtime = 0;
    int32_t penWidth[6] = {};
    float gridX = 5.0f, gridY = 5.0f;
    float gridOrgX = 0, gridOrgY = 0, gridScale = 0;
    int32_t drawWidth = 518;
    int32_t flgPthin = 0;
    // block 3
    float mvDist = 0, mtDist = 0;
    float arLen = 3.0f, arAng = 15.0f;
    int32_t locMR = 0, flgMconma = 0, flgMzeros = 0, typLside = 0, mvUnit = 0;
    int32_t mvKeta = 1;
    float sOfsetXL = 0, sOfsetXM = 0, sOfsetXR = 0, sOfsetYD = 0, sOfsetYM = 0, sOfsetYT = 0;
    int32_t s1len = 0, sOrgXm = 0, sOrgYm = 0;
    float dlinDistB = 100.0f;
    float dlinDist[5] = {100.0f, 100.0f, 100.0f, 100.0f, 100.0f};
    float svScrnOX = 0, svScrnOY = 0;
    float svScrnScl = 1.0f;
    // block 4
    int32_t sBufAdr1 = 0x60000, sBufAdr2 = 0x60000;
    float subZm0X = 0, subZm0Y = 0, subZm0S = 0;
    float subZm1X = 0, subZm1Y = 0, subZm1S = 0;
    float subZm2X = 0, subZm2Y = 0, subZm2S = 0;
    float subZm3X = 0, subZm3Y = 0, subZm3S = 0;
    float subZm4X = 0, subZm4Y = 0, subZm4S = 0;
    float hiIdo = 0, hiHi = 0, hiTaka = 0;
    int32_t flgHok = 0, flg25Dm = 0;
    // work list of the header reader
    std::vector<JwString> para;
    // millimetres per file unit (paper width / drawWidth)
    float dataUnit = 1.0f;
};

class TJwcData {
public:
    TJwcData();   // Create
    ~TJwcData();  // Destroy
    TJwcData(const TJwcData&) = default;
    TJwcData& operator=(const TJwcData&) = default;

    int32_t lineN = 0, arcN = 0, mojiN = 0, tenN = 0;  // entities actually read
    TEntJwcHeader Enthd;
    std::vector<TEntJwcVten> EntVten;
    std::vector<TEntJwcMojiType> EntMjtp;
    std::vector<TEntJwcLayerGroup> EntLgrp;
    std::vector<TEntJwcLayer> EntLay;
    std::vector<TEntJwcLine> EntLine;
    std::vector<TEntJwcArc2> EntArc;
    std::vector<TEntJwcMoji2> EntMoji;
    std::vector<TEntJwcTen> EntTen;

    // What failed in the last FileCheck / FileHeaderIn / FileIn; empty after
    // a success.
    std::string LastError;

    void DataInit();
    void DataFree();

    // None of these throws; a failure answers false and sets LastError.
    // True when the file begins with the JWC identification.
    bool FileCheck(const JwString& fname);
    // DataInit, then the four header blocks.
    bool FileHeaderIn(const JwString& fname);
    // The whole file. After a failure the model keeps what was read; the
    // counters tell how many entities of each kind were filled.
    bool FileIn(const JwString& fname);
    // Parses a file already in memory, as FileIn does (without publishing the
    // text-variable context).
    bool ParseBytes(const uint8_t* data, size_t size);

private:
    friend struct legacy::LegacyReads;
    // The parsers raise an internal failure that the public operations catch.
    void HeaderParse(const uint8_t* data, size_t size, size_t& used);
    void BodyParse(const uint8_t* data, size_t size);
};

// Identification text at the start of every JWC file (20 characters).
inline constexpr char16_t kJwcIdent[] = u"jw_cad(c)data.......";

}  // namespace jw
