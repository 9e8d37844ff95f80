// TJwkData: lifecycle, the JWK reader and the JWK writer.
//
// Reading works like the JWC reader: the file is read into memory once, array
// sizes are capped by what the rest of the file can hold, and a record the
// file cannot deliver at all ends the read with "File I/O Error".
//
// Writing builds the whole file in memory and hands it to an AtomicFileSink,
// which replaces the target only when everything was written.
#include "legacy/jwk_data.h"

#include <cstring>
#include <exception>
#include <limits>

#include "legacy/legacy_io.h"
#include "legacy/legacy_reads.h"
#include "model/entity_list_view.h"
#include "support/file_io.h"
#include "support/numbers.h"
#include "support/program_values.h"
#include "support/strings.h"
#include "support/text_encoding.h"

namespace jw {

using namespace legacy;

namespace {

constexpr size_t kJwkHeaderSize = 2 * kBlockSize;
// The text record keeps a 16-bit string offset: a string must start below it.
constexpr int64_t kMaxStringStart = 0xFFFF;

void PutSingle(std::vector<uint8_t>& out, float v) {
    uint8_t b[4];
    std::memcpy(b, &v, 4);
    out.insert(out.end(), b, b + 4);
}
void PutWord(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v & 0xFF));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void PutInt(std::vector<uint8_t>& out, int32_t v) {
    uint8_t b[4];
    std::memcpy(b, &v, 4);
    out.insert(out.end(), b, b + 4);
}

uint8_t RepairColor(uint8_t col) { return (col >= 1 && col <= 6) ? col : static_cast<uint8_t>(JwLegacyDefaultColor); }
uint8_t RepairLineType(uint8_t typ) {
    bool ok = (typ >= 1 && typ <= 9) || (typ >= 11 && typ <= 18);
    return ok ? typ : static_cast<uint8_t>(JwLegacyDefaultLineType);
}

// The line type and colour (repaired), layer and three flags that end a line
// or an arc.
template <class Rec>
void PutStyle(std::vector<uint8_t>& out, const Rec& e) {
    out.push_back(RepairLineType(e.typ));
    out.push_back(RepairColor(e.col));
    out.push_back(e.lay);
    out.push_back(e.flg1);
    out.push_back(e.flg2);
    out.push_back(e.flg3);
}

}  // namespace

JwString JwkPrepareString(const JwString& s) {
    JwString t = StrNoCtrl(s);
    static const JwString kTemp = u"^@BM%temp%";
    if (t.compare(0, kTemp.size(), kTemp) == 0) t = u"^@BM" + t.substr(kTemp.size());
    return t;
}

TJwkData::TJwkData() { DataInit(); }

TJwkData::~TJwkData() { DataFree(); }

void TJwkData::DataInit() {
    lineN = arcN = tenN = mojiN = 0;
    Enthd = TEntJwkHeader();
    EntLine.clear();
    EntArc.clear();
    EntTen.clear();
    EntMoji.clear();
    LastError.clear();
    EntMjtp.assign(12, TEntJwcMojiType());
    for (int k = 1; k <= 10; ++k) {
        const TJwDefMojiType& d = JwDefMojiType[k - 1];
        TEntJwcMojiType& m = EntMjtp[static_cast<size_t>(k)];
        m.penNo = static_cast<uint16_t>(RoundClamp(d.pen, 0, 0xFFFF));
        m.width = static_cast<uint16_t>(RoundClamp(d.width * 10, 0, 0xFFFF));
        m.height = static_cast<uint16_t>(RoundClamp(d.height * 10, 0, 0xFFFF));
        m.dist = static_cast<uint16_t>(RoundClamp(d.spacing * 10, 0, 0xFFFF));
    }
}

void TJwkData::DataFree() {
    DataInit();
    EntMjtp.clear();
}

bool TJwkData::FileCheck(const JwString& fname) {
    return FileHasIdent(fname, kJwkIdent, "Not a JWK figure (identification missing)", LastError);
}

void TJwkData::HeaderParse(const uint8_t* data, size_t size, size_t& used) {
    ByteCursor cur(data, size);
    uint8_t blk[kBlockSize];
    TEntJwkHeader& h = Enthd;

    ReadIdentBlock(cur, h.jwID, h.comment1, h.comment2);

    // Block 2; a short block is zero-filled, so it never picks up bytes of
    // block 1.
    if (cur.Read(blk, kBlockSize) == 0) Fail("the file ends in header block 2");
    h.para = BlockFields(blk, kBlockSize, 9);
    const auto& f = h.para;
    h.lineCount = FieldInt(f[0]);
    h.arcCount = FieldInt(f[1]);
    h.tenCount = FieldInt(f[2]);
    h.mojiCount = FieldInt(f[3]);
    h.org_x = FieldSingle(f[4]);
    h.org_y = FieldSingle(f[5]);
    h.dispScale = FieldSingle(f[6]);
    h.strSpace = FieldInt(f[7]);
    h.scale = FieldSingle(f[8]);
    if (h.scale <= 1e-14) h.scale = 1.0f;
    h.para.clear();
    used = cur.Pos();
}

bool TJwkData::FileHeaderIn(const JwString& fname) { return LegacyReads::FileHeaderIn(*this, fname, kJwkHeaderSize); }

bool TJwkData::ParseBytes(const uint8_t* data, size_t size) {
    return LegacyReads::ParseFile(*this, data, size, nullptr);
}

bool TJwkData::FileIn(const JwString& fname) { return LegacyReads::FileIn(*this, fname); }

void TJwkData::BodyParse(const uint8_t* data, size_t size) {
    ByteCursor cur(data, size);
    const TEntJwkHeader& h = Enthd;
    // Coordinates as stored; the string offset of a text is the Word at bytes
    // 16-17 (bytes 18-19 play no part in reading).
    ReadLineRecords(cur, h.lineCount, std::nullopt, EntLine, lineN);
    ReadArcRecords(cur, h.arcCount, std::nullopt, EntArc, arcN);
    ReadTenRecords(cur, h.tenCount, std::nullopt, EntTen, tenN);
    ReadTextRecords(cur, h.mojiCount, std::nullopt, false, EntMoji, mojiN);
    ReadStringArea(cur, h.strSpace, 0, EntMoji, mojiN);
}

bool TJwkData::BuildBytes(std::vector<uint8_t>& out, std::vector<JwString>& prepared, int32_t& strSpace) {
    const size_t nLine = HeldCount(EntLine, lineN);
    const size_t nArc = HeldCount(EntArc, arcN);
    const size_t nTen = HeldCount(EntTen, tenN);
    const size_t nMoji = HeldCount(EntMoji, mojiN);

    // Strings and the size of the string area.
    prepared.clear();
    prepared.reserve(nMoji);
    std::vector<Bytes> strBytes(nMoji);
    int64_t space = 0;
    for (size_t i = 0; i < nMoji; ++i) {
        prepared.push_back(JwkPrepareString(EntMoji[i].s));
        strBytes[i] = AnsiBytes(prepared.back());
        if (space > kMaxStringStart) {
            LastError = "The texts do not fit the string area of a JWK figure (text " + std::to_string(i + 1) +
                        " would start beyond byte 65535)";
            return false;
        }
        space += static_cast<int64_t>(strBytes[i].size()) + 1;
    }
    strSpace = static_cast<int32_t>(space);

    out.clear();
    out.reserve(kJwkHeaderSize + nLine * kJwcLineSize + nArc * kJwcArcSize + nTen * kJwcTenSize +
                nMoji * kJwcMojiSize + static_cast<size_t>(space));

    // Block 1.
    PutAnsiField(out, Enthd.jwID, 40, 0);
    PutAnsiField(out, Enthd.comment1, 32, 0);
    PutAnsiField(out, Enthd.comment2, 32, 0);
    out.insert(out.end(), 95, ' ');
    out.push_back('\n');

    // Block 2: counts, origin, scales and the string area size.
    JwString text = IntStr(static_cast<int32_t>(nLine)) + u"," + IntStr(static_cast<int32_t>(nArc)) + u"," +
                    IntStr(static_cast<int32_t>(nTen)) + u"," + IntStr(static_cast<int32_t>(nMoji)) + u"," +
                    FloatStr(Enthd.org_x) + u"," + FloatStr(Enthd.org_y) + u"," + FloatStr(Enthd.dispScale) +
                    u"," + IntStr(strSpace) + u"," + FloatStr(Enthd.scale);
    Bytes b2 = AnsiBytes(text);
    b2.push_back(0);
    PutBytesField(out, b2, kBlockSize - 1, ' ');
    out.push_back('\n');

    for (size_t i = 0; i < nLine; ++i) {
        const TEntJwcLine& e = EntLine[i];
        PutSingle(out, e.x1);
        PutSingle(out, e.y1);
        PutSingle(out, e.x2);
        PutSingle(out, e.y2);
        PutStyle(out, e);
    }
    const int64_t kIntMin = std::numeric_limits<int32_t>::min();
    const int64_t kIntMax = std::numeric_limits<int32_t>::max();
    for (size_t i = 0; i < nArc; ++i) {
        const TEntJwcArc2& e = EntArc[i];
        PutSingle(out, e.x);
        PutSingle(out, e.y);
        PutSingle(out, e.r);
        PutWord(out, static_cast<uint16_t>(RoundClamp(ToSingle(e.h * 10000.0), 0, 0xFFFF)));
        PutInt(out, static_cast<int32_t>(RoundClamp(ToSingle(e.st * 65536.0), kIntMin, kIntMax)));
        PutInt(out, static_cast<int32_t>(RoundClamp(ToSingle(e.et * 65536.0), kIntMin, kIntMax)));
        PutInt(out, static_cast<int32_t>(RoundClamp(ToSingle(e.tt * 65536.0), kIntMin, kIntMax)));
        PutStyle(out, e);
    }
    for (size_t i = 0; i < nTen; ++i) {
        const TEntJwcTen& e = EntTen[i];
        PutSingle(out, e.x);
        PutSingle(out, e.y);
        out.push_back(e.lay);
        out.push_back(RepairColor(e.col));
        out.push_back(e.flg1);
        out.push_back(e.flg2);
    }
    int64_t q = 0;
    for (size_t i = 0; i < nMoji; ++i) {
        const TEntJwcMoji2& e = EntMoji[i];
        PutSingle(out, e.x1);
        PutSingle(out, e.y1);
        PutSingle(out, e.x2);
        PutSingle(out, e.y2);
        PutWord(out, static_cast<uint16_t>(q & 0xFFFF));
        PutWord(out, static_cast<uint16_t>(q >> 16));
        out.push_back(e.no);
        out.push_back(e.lay);
        out.push_back(e.flg1);
        out.push_back(e.flg2);
        q += static_cast<int64_t>(strBytes[i].size()) + 1;
    }
    for (size_t i = 0; i < nMoji; ++i) {
        out.insert(out.end(), strBytes[i].begin(), strBytes[i].end());
        out.push_back(0);
    }
    return true;
}

bool TJwkData::FileOut(const JwString& fname) {
    try {
        LastError.clear();
        std::vector<uint8_t> bytes;
        std::vector<JwString> prepared;
        int32_t space = 0;
        if (!BuildBytes(bytes, prepared, space)) return false;
        {
            AtomicFileSink sink(fname);
            sink.Write(bytes.data(), bytes.size());
            sink.Commit();
        }
        Enthd.strSpace = space;
        for (size_t i = 0; i < prepared.size(); ++i) EntMoji[i].s = std::move(prepared[i]);
        return true;
    } catch (const std::exception& e) {
        LastError = e.what();
        return false;
    }
}

}  // namespace jw
