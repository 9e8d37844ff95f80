// The entity records and string area of JWC drawings and JWK figures, and the
// identification check of both (see legacy_reads.h).
#include "legacy/legacy_reads.h"

#include "support/text_encoding.h"

namespace jw::legacy {

namespace {

// Reads count records of recSize bytes, each filled into the next element of
// out by fill(record bytes, element).
template <class Rec, class Fill>
void ReadRecords(ByteCursor& cur, int32_t count, size_t recSize, const char* what, std::vector<Rec>& out,
                 int32_t& n, Fill fill) {
    uint8_t rec[32];
    out.resize(cur.Capacity(count, recSize));
    for (int32_t i = 0; i < count; ++i) {
        TakeRecord(cur, rec, recSize, what, i, count);
        fill(rec, out[static_cast<size_t>(i)]);
        ++n;
    }
}

float Coord(const uint8_t* p, std::optional<float> unit) {
    const float v = GetSingle(p);
    return unit ? v * *unit : v;
}

// The line type, colour, layer and three flags that end a line or an arc.
template <class Rec>
void TakeStyle(const uint8_t* p, Rec& e) {
    e.typ = p[0];
    e.col = p[1];
    e.lay = p[2];
    e.flg1 = p[3];
    e.flg2 = p[4];
    e.flg3 = p[5];
}

}  // namespace

void ReadIdentBlock(ByteCursor& cur, JwString& id, JwString& comment1, JwString& comment2) {
    uint8_t blk[kBlockSize];
    if (cur.Read(blk, kBlockSize) == 0) Fail("the file is empty");
    id = AnsiBytesStr(blk, 40);
    comment1 = AnsiBytesStr(blk + 40, 32);
    comment2 = AnsiBytesStr(blk + 72, 32);
}

void ReadLineRecords(ByteCursor& cur, int32_t count, std::optional<float> unit, std::vector<TEntJwcLine>& out,
                     int32_t& n) {
    ReadRecords(cur, count, kJwcLineSize, "lines", out, n, [unit](const uint8_t* rec, TEntJwcLine& e) {
        e.x1 = Coord(rec, unit);
        e.y1 = Coord(rec + 4, unit);
        e.x2 = Coord(rec + 8, unit);
        e.y2 = Coord(rec + 12, unit);
        TakeStyle(rec + 16, e);
    });
}

void ReadArcRecords(ByteCursor& cur, int32_t count, std::optional<float> unit, std::vector<TEntJwcArc2>& out,
                    int32_t& n) {
    ReadRecords(cur, count, kJwcArcSize, "arcs", out, n, [unit](const uint8_t* rec, TEntJwcArc2& e) {
        e.x = Coord(rec, unit);
        e.y = Coord(rec + 4, unit);
        e.r = Coord(rec + 8, unit);
        e.h = static_cast<float>(GetWord(rec + 12) / 10000.0);
        e.st = static_cast<float>(GetInt(rec + 14) / 65536.0);
        e.et = static_cast<float>(GetInt(rec + 18) / 65536.0);
        e.tt = static_cast<float>(GetInt(rec + 22) / 65536.0);
        TakeStyle(rec + 26, e);
    });
}

void ReadTenRecords(ByteCursor& cur, int32_t count, std::optional<float> unit, std::vector<TEntJwcTen>& out,
                    int32_t& n) {
    ReadRecords(cur, count, kJwcTenSize, "points", out, n, [unit](const uint8_t* rec, TEntJwcTen& e) {
        e.x = Coord(rec, unit);
        e.y = Coord(rec + 4, unit);
        e.lay = rec[8];
        e.col = rec[9];
        e.flg1 = rec[10];
        e.flg2 = rec[11];
    });
}

void ReadTextRecords(ByteCursor& cur, int32_t count, std::optional<float> unit, bool segmented,
                     std::vector<TEntJwcMoji2>& out, int32_t& n) {
    ReadRecords(cur, count, kJwcMojiSize, "texts", out, n, [unit, segmented](const uint8_t* rec, TEntJwcMoji2& e) {
        e.x1 = Coord(rec, unit);
        e.y1 = Coord(rec + 4, unit);
        e.x2 = Coord(rec + 8, unit);
        e.y2 = Coord(rec + 12, unit);
        e.p = segmented ? GetWord(rec + 18) * 16 + GetWord(rec + 16) : GetWord(rec + 16);
        e.no = rec[20];
        e.lay = rec[21];
        e.flg1 = rec[22];
        e.flg2 = rec[23];
        e.s.clear();
    });
}

void ReadStringArea(ByteCursor& cur, int64_t size, int64_t base, std::vector<TEntJwcMoji2>& texts, int32_t n) {
    if (size <= 0) return;
    size_t got = 0;
    const uint8_t* area = cur.Take(static_cast<size_t>(size), got);
    if (got == 0) Fail("the file ends before the string area");
    for (int32_t i = 0; i < n; ++i) {
        TEntJwcMoji2& e = texts[static_cast<size_t>(i)];
        e.s = AreaString(area, got, static_cast<int64_t>(e.p) - base);
    }
}

bool FileHasIdent(const JwString& fname, std::u16string_view ident, const char* notIt, std::string& error) {
    return Guarded(error, [&] {
        error.clear();
        FileBytes head;
        bool whole = false;
        if (!ReadFileStart(fname, 20, head, whole, error)) return false;
        if (AnsiBytesStr(head.data.get(), head.size) != ident) {
            error = notIt;
            return false;
        }
        return true;
    });
}

}  // namespace jw::legacy
