// The JWS header, described once (WalkJwsHeader): a figure's variant of the
// JWW header. It starts the same way, with a signature (in a 200-byte block)
// and the version, and of the layer groups it holds the scales alone; the
// rest is the base point, reserved values and the figure's coordinate range.
// The reader (HeaderIn) and the writer (HeaderOut) both walk it; every value
// is written as held. FileCheck and FileHeaderIn read the header alone.
#include <utility>

#include "jww/archive.h"
#include "jww/header_io.h"
#include "model/jw_data.h"

namespace jw {

namespace {

// Signature and version: all that FileCheck reads.
template <class Io, class Header>
void WalkJwsHead(Io& io, Header& h) {
    io.Signature(h.jwID, kJwsSignature, kErrJwsHeader);
    io.Reserved(kJwsSignatureBlock - kJwsSignature.size(), '.');
    io.Version(h.jwVer, kJwsFirstVersion, kErrJwsVersion);
}

// The whole header. Data is TJwsData, const for the writer.
template <class Io, class Data>
void WalkJwsHeader(Io& io, Data& d) {
    auto& h = d.Enthd;
    WalkJwsHead(io, h);
    io.Fields(h.BasePoint_x, h.BasePoint_y);
    for (int g = 0; g < kLgrpCount; ++g) io.Fields(d.EntLgrp[g].adScale);
    io.Fields(h.dmy01, h.dmy02, h.dmy03, h.dmy04, h.dmy05, h.dmy06);
    io.Fields(h.dmy11, h.dmy12, h.dmy13, h.dmy14, h.dmy15, h.dmy16);
    io.Fields(h.Mx1, h.My1, h.Mx2);
    io.LastField(h.My2);
}

// What a figure does not hold of its layer groups: they are shown, with
// layer 0 to write on, unprotected and without a name.
void FigureGroupStates(std::vector<TEntJwwLayerGroup>& groups) {
    for (auto& g : groups) {
        g.anGLay = 2;
        g.anWriteLay = 0;
        g.anGLayProtect = 0;
        g.aStrGLayName.clear();
    }
}

}  // namespace

bool TJwsData::HeaderIn(ArchiveReader& ar) {
    EntLgrp.resize(kLgrpCount);
    return ReadHeader(*this, ar, [&](HeaderReading& io) {
        WalkJwsHeader(io, *this);
        FigureGroupStates(EntLgrp);
        // The last field cut short: the file ended inside the header.
        if (io.LastDelivered() < sizeof Enthd.My2) throw JwIOError(kErrFileIO);
    });
}

void TJwsData::HeaderOut(ArchiveWriter& aw, int32_t Ver) {
    HeaderWriting io(aw, Ver);
    WalkJwsHeader(io, std::as_const(*this));
}

bool TJwsData::FileCheck(const JwString& FName) const {
    return FileStartsWithHead(FName, kJwsSignatureBlock + sizeof(int32_t), true, [](HeaderReading& io) {
        TEntJwsHeader h;
        WalkJwsHead(io, h);
    });
}

bool TJwsData::FileHeaderIn(const JwString& FName) {
    return HeaderFileIn(FName, [this](ArchiveReader& ar) { return HeaderIn(ar); });
}

}  // namespace jw
