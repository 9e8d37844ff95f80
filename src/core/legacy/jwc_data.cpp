// TJwcData: lifecycle and the JWC reader.
//
// The whole file is read into memory once and parsed from the buffer. Entity
// arrays are sized by what the header states, but never larger than the rest
// of the file can hold, so absurd counts cost no memory; the read then ends
// with "File I/O Error" at the first record the file cannot deliver.
#include "legacy/jwc_data.h"

#include <exception>

#include "jww/archive.h"
#include "legacy/legacy_io.h"
#include "support/strings.h"
#include "support/text_encoding.h"

namespace jw {

using namespace legacy;

namespace {

// Number of header blocks and the size of the whole header.
constexpr size_t kJwcHeaderSize = 4 * kBlockSize;
constexpr size_t kVtenN = 101;
constexpr size_t kMjtpFileN = 11;
constexpr size_t kGroupN = 16;
constexpr size_t kLayerN = 256;

}  // namespace

int32_t JwcPaperWidth(int32_t psize) {
    switch (psize) {
    case 0: return 1189;
    case 1: return 841;
    case 2: return 594;
    case 3: return 420;
    case 4: return 297;
    case 8: return 1682;
    case 9: return 2378;
    case 10: return 3364;
    case 11: return 4756;
    case 12: return 10000;
    case 13: return 50000;
    case 14: return 100000;
    default: return 0;
    }
}

TJwcData::TJwcData() { DataInit(); }

TJwcData::~TJwcData() { DataFree(); }

void TJwcData::DataInit() {
    lineN = arcN = mojiN = tenN = 0;
    Enthd = TEntJwcHeader();
    EntVten.clear();
    EntMjtp.clear();
    EntLgrp.clear();
    EntLay.clear();
    EntLine.clear();
    EntArc.clear();
    EntMoji.clear();
    EntTen.clear();
    LastError.clear();
}

void TJwcData::DataFree() { DataInit(); }

bool TJwcData::FileCheck(const JwString& fname) {
    try {
        LastError.clear();
        std::vector<uint8_t> head;
        if (!ReadFilePrefix(fname, 20, head, LastError)) return false;
        if (AnsiBytesStr(head) != kJwcIdent) {
            LastError = "Not a JWC drawing (identification missing)";
            return false;
        }
        return true;
    } catch (const std::exception& e) {
        LastError = e.what();
        return false;
    }
}

bool TJwcData::HeaderParse(const uint8_t* data, size_t size, size_t& used) {
    ByteCursor cur(data, size);
    uint8_t blk[kBlockSize];
    TEntJwcHeader& h = Enthd;

    // Block 1: identification and the two comment lines.
    if (cur.Read(blk, kBlockSize) == 0) Fail("the file is empty");
    h.jwID = AnsiBytesStr(blk, 40);
    h.comment1 = AnsiBytesStr(blk + 40, 32);
    h.comment2 = AnsiBytesStr(blk + 72, 32);
    h.scaleF = h.jwID.size() >= 23 && h.jwID[22] == u'f';

    // Block 2.
    if (cur.Read(blk, kBlockSize) == 0) Fail("the file ends in header block 2");
    h.para = BlockFields(blk, kBlockSize, 32);
    {
        const auto& f = h.para;
        int32_t* ints[] = {&h.lineCount, &h.arcCount, &h.mojiCount, &h.tenCount, &h.vtenCount,
                           &h.curFno, &h.curMfno, &h.curMlcol, &h.curMpcol};
        for (size_t k = 0; k < 9; ++k) *ints[k] = FieldInt(f[k]);
        h.wLayScale = FieldSingle(f[9]);
        h.wLayNo = FieldInt(f[10]);
        h.psize = FieldInt(f[11]);
        h.lcol = FieldInt(f[12]);
        h.ltyp = FieldInt(f[13]);
        h.plotOrgX = FieldSingle(f[14]);
        h.plotOrgY = FieldSingle(f[15]);
        h.lpitch1 = FieldSingle(f[16]);
        h.lpitch2 = FieldSingle(f[17]);
        h.drawtime = FieldInt(f[18]);
        for (size_t k = 0; k < 6; ++k) h.penWidth[k] = FieldInt(f[19 + k]);
        h.gridX = FieldSingle(f[25]);
        h.gridY = FieldSingle(f[26]);
        h.gridOrgX = FieldSingle(f[27]);
        h.gridOrgY = FieldSingle(f[28]);
        h.gridScale = FieldSingle(f[29]);
        h.drawWidth = FieldInt(f[30]);
        if (h.drawWidth == 0) h.drawWidth = 518;
        h.flgPthin = FieldInt(f[31]);
    }

    // Block 3.
    if (cur.Read(blk, kBlockSize) == 0) Fail("the file ends in header block 3");
    h.para = BlockFields(blk, kBlockSize, 28);
    {
        const auto& f = h.para;
        h.mvDist = FieldSingle(f[0]);
        h.mtDist = FieldSingle(f[1]);
        h.arLen = FieldSingle(f[2]);
        h.arAng = FieldSingle(f[3]);
        int32_t* ints[] = {&h.locMR, &h.flgMconma, &h.flgMzeros, &h.typLside, &h.mvUnit, &h.mvKeta};
        for (size_t k = 0; k < 6; ++k) *ints[k] = FieldInt(f[4 + k]);
        float* ofs[] = {&h.sOfsetXL, &h.sOfsetXM, &h.sOfsetXR, &h.sOfsetYD, &h.sOfsetYM, &h.sOfsetYT};
        for (size_t k = 0; k < 6; ++k) *ofs[k] = FieldSingle(f[10 + k]);
        h.s1len = FieldInt(f[16]);
        h.sOrgXm = FieldInt(f[17]);
        h.sOrgYm = FieldInt(f[18]);
        h.dlinDistB = FieldSingle(f[19]);
        for (size_t k = 0; k < 5; ++k) h.dlinDist[k] = FieldSingle(f[20 + k]);
        h.svScrnOX = FieldSingle(f[25]);
        h.svScrnOY = FieldSingle(f[26]);
        h.svScrnScl = FieldSingle(f[27]);
    }

    // Block 4.
    if (cur.Read(blk, kBlockSize) == 0) Fail("the file ends in header block 4");
    h.para = BlockFields(blk, kBlockSize, 22);
    {
        const auto& f = h.para;
        h.sBufAdr1 = SegOfsAddress(f[0]);
        h.sBufAdr2 = SegOfsAddress(f[1]);
        float* zm[] = {&h.subZm0X, &h.subZm0Y, &h.subZm0S, &h.subZm1X, &h.subZm1Y, &h.subZm1S,
                       &h.subZm2X, &h.subZm2Y, &h.subZm2S, &h.subZm3X, &h.subZm3Y, &h.subZm3S,
                       &h.subZm4X, &h.subZm4Y, &h.subZm4S};
        for (size_t k = 0; k < 15; ++k) *zm[k] = FieldSingle(f[2 + k]);
        h.hiIdo = FieldSingle(f[17]);
        h.hiHi = FieldSingle(f[18]);
        h.hiTaka = FieldSingle(f[19]);
        h.flgHok = FieldInt(f[20]);
        h.flg25Dm = FieldInt(f[21]);
    }
    h.para.clear();

    int32_t width = JwcPaperWidth(h.psize);
    if (width == 0) width = h.drawWidth;
    h.dataUnit = ToSingle(static_cast<double>(width) / h.drawWidth);

    used = cur.Pos();
    return true;
}

bool TJwcData::FileHeaderIn(const JwString& fname) {
    try {
        DataInit();
        std::vector<uint8_t> buf;
        if (!ReadFilePrefix(fname, kJwcHeaderSize, buf, LastError)) return false;
        size_t used = 0;
        return HeaderParse(buf.data(), buf.size(), used);
    } catch (const ReadFailure& e) {
        LastError = e.message;
    } catch (const std::exception& e) {
        LastError = e.what();
    }
    return false;
}

bool TJwcData::ParseBytes(const uint8_t* data, size_t size) {
    return ParseFile(data, size, nullptr);
}

bool TJwcData::FileIn(const JwString& fname) {
    try {
        DataInit();
        std::vector<uint8_t> buf;
        if (!ReadWholeFile(fname, buf, LastError)) {
            if (LastError.empty()) LastError = kErrFileIO;
            return false;
        }
        return ParseFile(buf.data(), buf.size(), &fname);
    } catch (const std::exception& e) {
        LastError = e.what();
        return false;
    }
}

bool TJwcData::ParseFile(const uint8_t* data, size_t size, const JwString* fname) {
    try {
        DataInit();
        size_t used = 0;
        HeaderParse(data, size, used);
        if (fname) PublishContext(*fname, Enthd.comment1, Enthd.comment2);
        BodyParse(data + used, size - used);
        return true;
    } catch (const ReadFailure& e) {
        LastError = e.message;
    } catch (const std::exception& e) {
        LastError = e.what();
    }
    // Keep exactly the entities that were read.
    EntLine.resize(static_cast<size_t>(lineN));
    EntArc.resize(static_cast<size_t>(arcN));
    EntMoji.resize(static_cast<size_t>(mojiN));
    EntTen.resize(static_cast<size_t>(tenN));
    return false;
}

void TJwcData::BodyParse(const uint8_t* data, size_t size) {
    ByteCursor cur(data, size);
    TEntJwcHeader& h = Enthd;
    const float du = h.dataUnit;

    EntVten.assign(kVtenN, TEntJwcVten());
    EntMjtp.assign(12, TEntJwcMojiType());
    EntLgrp.assign(kGroupN, TEntJwcLayerGroup());
    EntLay.assign(kLayerN, TEntJwcLayer());

    // Temporary points, text types, group scales and flags: a short file
    // leaves zeros here; the entity reads below report it.
    uint8_t buf[kLayerN * 4];
    cur.Read(buf, kVtenN * 4);
    for (size_t i = 0; i < kVtenN; ++i) EntVten[i].x = GetSingle(buf + 4 * i) * du;
    cur.Read(buf, kVtenN * 4);
    for (size_t i = 0; i < kVtenN; ++i) EntVten[i].y = GetSingle(buf + 4 * i) * du;
    cur.Read(buf, kVtenN);
    for (size_t i = 0; i < kVtenN; ++i) EntVten[i].lay = buf[i];

    uint16_t TEntJwcMojiType::*mjtp[] = {&TEntJwcMojiType::penNo, &TEntJwcMojiType::width,
                                         &TEntJwcMojiType::height, &TEntJwcMojiType::dist};
    for (auto field : mjtp) {
        cur.Read(buf, kMjtpFileN * 2);
        for (size_t i = 0; i < kMjtpFileN; ++i) EntMjtp[i].*field = GetWord(buf + 2 * i);
    }

    if (h.scaleF) {
        cur.Read(buf, kGroupN * 4);
        for (size_t i = 0; i < kGroupN; ++i) EntLgrp[i].scale = GetSingle(buf + 4 * i);
    } else {
        cur.Read(buf, kGroupN * 2);
        for (size_t i = 0; i < kGroupN; ++i) EntLgrp[i].scale = GetWord(buf + 2 * i);
    }
    cur.Read(buf, kGroupN);
    for (size_t i = 0; i < kGroupN; ++i) EntLgrp[i].srchF = buf[i];
    cur.Read(buf, kLayerN);
    for (size_t i = 0; i < kLayerN; ++i) EntLay[i].srchF = buf[i];
    cur.Read(buf, kGroupN);
    for (size_t i = 0; i < kGroupN; ++i) EntLgrp[i].dispF = buf[i];
    cur.Read(buf, kLayerN);
    for (size_t i = 0; i < kLayerN; ++i) EntLay[i].dispF = buf[i];
    cur.Read(buf, kGroupN);
    for (size_t i = 0; i < kGroupN; ++i) EntLgrp[i].w_lay = buf[i];

    uint8_t rec[32];

    // Lines.
    EntLine.resize(cur.Capacity(h.lineCount, kJwcLineSize));
    for (int32_t i = 0; i < h.lineCount; ++i) {
        TakeRecord(cur, rec, kJwcLineSize, "lines", i, h.lineCount);
        TEntJwcLine& e = EntLine[static_cast<size_t>(i)];
        e.x1 = GetSingle(rec) * du;
        e.y1 = GetSingle(rec + 4) * du;
        e.x2 = GetSingle(rec + 8) * du;
        e.y2 = GetSingle(rec + 12) * du;
        e.typ = rec[16];
        e.col = rec[17];
        e.lay = rec[18];
        e.flg1 = rec[19];
        e.flg2 = rec[20];
        e.flg3 = rec[21];
        ++lineN;
    }

    // Arcs: flatness in 1/10000, angles in 1/65536.
    EntArc.resize(cur.Capacity(h.arcCount, kJwcArcSize));
    for (int32_t i = 0; i < h.arcCount; ++i) {
        TakeRecord(cur, rec, kJwcArcSize, "arcs", i, h.arcCount);
        TEntJwcArc2& e = EntArc[static_cast<size_t>(i)];
        e.x = GetSingle(rec) * du;
        e.y = GetSingle(rec + 4) * du;
        e.r = GetSingle(rec + 8) * du;
        e.h = static_cast<float>(GetWord(rec + 12) / 10000.0);
        e.st = static_cast<float>(GetInt(rec + 14) / 65536.0);
        e.et = static_cast<float>(GetInt(rec + 18) / 65536.0);
        e.tt = static_cast<float>(GetInt(rec + 22) / 65536.0);
        e.typ = rec[26];
        e.col = rec[27];
        e.lay = rec[28];
        e.flg1 = rec[29];
        e.flg2 = rec[30];
        e.flg3 = rec[31];
        ++arcN;
    }

    // Texts: the string address is segment * 16 + offset.
    EntMoji.resize(cur.Capacity(h.mojiCount, kJwcMojiSize));
    for (int32_t i = 0; i < h.mojiCount; ++i) {
        TakeRecord(cur, rec, kJwcMojiSize, "texts", i, h.mojiCount);
        TEntJwcMoji2& e = EntMoji[static_cast<size_t>(i)];
        e.x1 = GetSingle(rec) * du;
        e.y1 = GetSingle(rec + 4) * du;
        e.x2 = GetSingle(rec + 8) * du;
        e.y2 = GetSingle(rec + 12) * du;
        e.p = GetWord(rec + 18) * 16 + GetWord(rec + 16);
        e.no = rec[20];
        e.lay = rec[21];
        e.flg1 = rec[22];
        e.flg2 = rec[23];
        e.s.clear();
        ++mojiN;
    }

    // String area between the two addresses of header block 4.
    int64_t areaSize = static_cast<int64_t>(h.sBufAdr2) - h.sBufAdr1;
    if (areaSize > 0) {
        size_t got = 0;
        const uint8_t* area = cur.Take(static_cast<size_t>(areaSize), got);
        if (got == 0) Fail("the file ends before the string area");
        // Bytes of the area beyond the end of the file count as zeros.
        for (int32_t i = 0; i < mojiN; ++i) {
            TEntJwcMoji2& e = EntMoji[static_cast<size_t>(i)];
            e.s = AreaString(area, got, static_cast<int64_t>(e.p) - h.sBufAdr1);
        }
    }

    // Points.
    EntTen.resize(cur.Capacity(h.tenCount, kJwcTenSize));
    for (int32_t i = 0; i < h.tenCount; ++i) {
        TakeRecord(cur, rec, kJwcTenSize, "points", i, h.tenCount);
        TEntJwcTen& e = EntTen[static_cast<size_t>(i)];
        e.x = GetSingle(rec) * du;
        e.y = GetSingle(rec + 4) * du;
        e.lay = rec[8];
        e.col = rec[9];
        e.flg1 = rec[10];
        e.flg2 = rec[11];
        ++tenN;
    }

    // Names.
    for (size_t i = 0; i < kLayerN; ++i) {
        TakeRecord(cur, rec, 8, "layer names", static_cast<int32_t>(i), static_cast<int32_t>(kLayerN));
        EntLay[i].name = StrNoCtrl(AnsiBytesStr(rec, 8));
    }
    for (size_t i = 0; i < kGroupN; ++i) {
        TakeRecord(cur, rec, 16, "layer-group names", static_cast<int32_t>(i), static_cast<int32_t>(kGroupN));
        EntLgrp[i].name = StrNoCtrl(AnsiBytesStr(rec, 16));
    }
}

TLegacySummary TJwcData::Summary() const {
    TLegacySummary s;
    s.format = "JWC";
    s.jwID = Enthd.jwID;
    s.comment1 = Enthd.comment1;
    s.comment2 = Enthd.comment2;
    s.lineCount = Enthd.lineCount;
    s.arcCount = Enthd.arcCount;
    s.mojiCount = Enthd.mojiCount;
    s.tenCount = Enthd.tenCount;
    s.lineN = lineN;
    s.arcN = arcN;
    s.mojiN = mojiN;
    s.tenN = tenN;
    s.vtenCount = Enthd.vtenCount;
    s.psize = Enthd.psize;
    s.drawWidth = Enthd.drawWidth;
    s.dataUnit = Enthd.dataUnit;
    s.scaleF = Enthd.scaleF;
    s.wLayScale = Enthd.wLayScale;
    for (const auto& g : EntLgrp) s.groupScales.push_back(g.scale);
    return s;
}

}  // namespace jw
