// TJwcData: lifecycle and the JWC reader.
//
// The whole file is read into memory once and parsed from the buffer. Entity
// arrays are sized by what the header states, but never larger than the rest
// of the file can hold, so absurd counts cost no memory; the read then ends
// with "File I/O Error" at the first record the file cannot deliver.
#include "legacy/jwc_data.h"

#include "legacy/legacy_io.h"
#include "legacy/legacy_reads.h"
#include "model/file_formats.h"
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
    return FileHasIdent(fname, kJwcIdent, "Not a JWC drawing (identification missing)", LastError);
}

void TJwcData::HeaderParse(const uint8_t* data, size_t size, size_t& used) {
    ByteCursor cur(data, size);
    uint8_t blk[kBlockSize];
    TEntJwcHeader& h = Enthd;

    // Block 1: identification and the two comment lines.
    ReadIdentBlock(cur, h.jwID, h.comment1, h.comment2);
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

    int32_t width = PaperWidth(h.psize);
    if (width == 0) width = h.drawWidth;
    h.dataUnit = ToSingle(static_cast<double>(width) / h.drawWidth);

    used = cur.Pos();
}

bool TJwcData::FileHeaderIn(const JwString& fname) { return LegacyReads::FileHeaderIn(*this, fname, kJwcHeaderSize); }

bool TJwcData::ParseBytes(const uint8_t* data, size_t size) {
    return LegacyReads::ParseFile(*this, data, size, nullptr);
}

bool TJwcData::FileIn(const JwString& fname) { return LegacyReads::FileIn(*this, fname); }

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

    // Lines, arcs and texts (the string address segment * 16 + offset), the
    // string area between the two addresses of header block 4, points.
    ReadLineRecords(cur, h.lineCount, du, EntLine, lineN);
    ReadArcRecords(cur, h.arcCount, du, EntArc, arcN);
    ReadTextRecords(cur, h.mojiCount, du, true, EntMoji, mojiN);
    ReadStringArea(cur, static_cast<int64_t>(h.sBufAdr2) - h.sBufAdr1, h.sBufAdr1, EntMoji, mojiN);
    ReadTenRecords(cur, h.tenCount, du, EntTen, tenN);

    // Names.
    uint8_t rec[16];
    for (size_t i = 0; i < kLayerN; ++i) {
        TakeRecord(cur, rec, 8, "layer names", static_cast<int32_t>(i), static_cast<int32_t>(kLayerN));
        EntLay[i].name = StrNoCtrl(AnsiBytesStr(rec, 8));
    }
    for (size_t i = 0; i < kGroupN; ++i) {
        TakeRecord(cur, rec, 16, "layer-group names", static_cast<int32_t>(i), static_cast<int32_t>(kGroupN));
        EntLgrp[i].name = StrNoCtrl(AnsiBytesStr(rec, 16));
    }
}

}  // namespace jw
