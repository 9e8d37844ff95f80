// JWS figure files: header reader, FileCheck, FileHeaderIn, FileIn and
// FilePrevIn. The body after the header is the JWW entity list.
#include <algorithm>
#include <cstring>
#include <string>

#include "jww/archive.h"
#include "model/jw_data.h"
#include "support/program_values.h"
#include "support/text_encoding.h"

namespace jw {

namespace {

constexpr size_t kJwsSignatureLen = 7;
constexpr size_t kJwsSignatureBlock = 200;

bool IsJwsSignature(const uint8_t* p) { return AnsiBytesStr(p, kJwsSignatureLen) == u"JwsData"; }

}  // namespace

bool TJwsData::HeaderIn(ArchiveReader& ar) {
    TEntJwsHeader& h = Enthd;
    EntLgrp.resize(16);
    try {
        uint8_t sig[kJwsSignatureLen];
        ar.Read(sig, sizeof sig);
        h.jwID = AnsiBytesStr(sig, sizeof sig);
        if (h.jwID != u"JwsData") throw JwIOError(kErrJwsHeader);
        ar.Skip(kJwsSignatureBlock - kJwsSignatureLen);
        h.jwVer = ar.ReadInt();
        if (h.jwVer < 230 || h.jwVer > 700) throw JwIOError(kErrJwsVersion);
        ar.version = h.jwVer;
        h.BasePoint_x = ar.ReadDouble();
        h.BasePoint_y = ar.ReadDouble();
        for (auto& g : EntLgrp) {
            g.adScale = ar.ReadDouble();
            g.anGLay = 2;
            g.anWriteLay = 0;
            g.anGLayProtect = 0;
            g.aStrGLayName.clear();
        }
        h.dmy01 = ar.ReadInt();
        h.dmy02 = ar.ReadInt();
        h.dmy03 = ar.ReadInt();
        h.dmy04 = ar.ReadInt();
        h.dmy05 = ar.ReadInt();
        h.dmy06 = ar.ReadInt();
        h.dmy11 = ar.ReadDouble();
        h.dmy12 = ar.ReadDouble();
        h.dmy13 = ar.ReadDouble();
        h.dmy14 = ar.ReadDouble();
        h.dmy15 = ar.ReadDouble();
        h.dmy16 = ar.ReadDouble();
        h.Mx1 = ar.ReadDouble();
        h.My1 = ar.ReadDouble();
        h.Mx2 = ar.ReadDouble();
        double my2;
        const size_t got = ar.Read(&my2, sizeof my2);
        h.My2 = my2;
        if (got < sizeof my2) throw JwIOError(kErrFileIO);
    } catch (const JwIOError& e) {
        LastError = e.what();
        return false;
    }
    LastError.clear();
    return true;
}

bool TJwsData::FileCheck(const JwString& FName) const {
    FileBytes start;
    bool whole = false;
    std::string err;
    const size_t n = kJwsSignatureBlock + 4;  // signature block and version
    if (!ReadFileStart(FName, n, start, whole, err) || start.size < n) return false;
    const uint8_t* buf = start.data.get();
    if (!IsJwsSignature(buf)) return false;
    int32_t ver;
    std::memcpy(&ver, buf + kJwsSignatureBlock, sizeof ver);
    return ver >= 230 && ver <= 700;
}

bool TJwsData::FileHeaderIn(const JwString& FName) {
    return HeaderFileIn(FName, [this](ArchiveReader& ar) { return HeaderIn(ar); });
}

bool TJwsData::BufferIn(const uint8_t* data, size_t size, const JwString& FName, int32_t ZMaxN) {
    DataInit();
    ArchiveReader ar(data, size);
    if (!HeaderIn(ar)) {
        ReadEnd = ar.Pos();
        return false;
    }
    const bool preview = ZMaxN >= 0;
    if (!preview) {
        // A figure has no drawing time and no memo.
        JwFileName = FName;
        JwDrawTime.clear();
        JwMemo1.clear();
        JwMemo2.clear();
        JwMemo.clear();
        JwPrtScale = 1.0;
    }
    return BodyIn(ar, ZMaxN, false);
}

bool TJwsData::FileIn(const JwString& FName) {
    return WholeFileIn(FName, [&](const uint8_t* data, size_t size) { return BufferIn(data, size, FName, -1); });
}

bool TJwsData::FilePrevIn(const JwString& FName, int32_t ZMaxN) {
    const int32_t budget = std::max(ZMaxN, 0);
    return WholeFileIn(FName, [&](const uint8_t* data, size_t size) { return BufferIn(data, size, FName, budget); });
}

}  // namespace jw
