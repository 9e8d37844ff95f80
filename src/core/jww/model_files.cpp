// The public file operations FileIn, FilePrevIn, BufferIn and FileOut of
// JWW drawings and JWS figures, written once for both models, and the steps
// they share with FileHeaderIn. The formats differ in their header codec
// (jww_header.cpp, jws_header.cpp) and in the few things FileFormat names
// side by side below.
#include <algorithm>
#include <cstdint>
#include <exception>
#include <string_view>

#include "jww/archive.h"
#include "model/jw_data.h"
#include "support/numbers.h"
#include "support/program_values.h"

namespace jw {

namespace {

// What FileHeaderIn reads first. A header takes a few kilobytes; one that
// runs past this block makes the whole file be read.
constexpr size_t kHeaderBlock = 64 * 1024;

}  // namespace

bool TJwEntities::HeaderFileIn(const JwString& FName, const std::function<bool(ArchiveReader&)>& header) {
    FileBytes buf;
    std::string err;
    bool whole = false;
    // A header parsed from the start of the file that never reads past that
    // start is the header parsed from the whole file: no read stops short of
    // what it asked for, and nothing else looks at the end of the buffer.
    for (size_t limit = kHeaderBlock;; limit = SIZE_MAX) {
        DataInit();
        ReadEnd = 0;
        if (!ReadFileStart(FName, limit, buf, whole, err)) {
            LastError = err;
            return false;
        }
        ArchiveReader ar(buf.data.get(), buf.size);
        const bool ok = header(ar);
        if (ar.shortRead && !whole) continue;  // parse it again from the whole file
        ReadEnd = ar.Pos();
        return ok;
    }
}

bool TJwEntities::WholeFileIn(const JwString& FName, const std::function<bool(ArchiveReader&)>& parse) {
    DataInit();
    ReadEnd = 0;
    SequentialFile file;
    std::string err;
    if (!file.Open(FName, err)) {
        LastError = err;
        return false;
    }
    ArchiveReader ar(file);
    return parse(ar);
}

bool TJwEntities::BodyIn(ArchiveReader& ar, int32_t budget, bool images) {
    bool ok = true;
    try {
        ReadEntityLists(ar, budget);
        if (images) ReadBindImageSection(ar);
        // A file that ends before its last record does is damaged, even when
        // the reads that decide the structure all found something.
        if (ar.shortRead) throw JwIOError(kErrFileIO);
    } catch (const JwIOError& e) {
        LastError = e.what();
        LastErrorDetail = ar.FailureDetail();
        ok = false;
    } catch (const std::exception& e) {
        // Out of memory, most likely: where it happened is still worth saying.
        LastError = kErrFileIO;
        LastErrorDetail = DescribePlace(ar.place) + ": " + e.what();
        ok = false;
    }
    MojiEncode = MojiEncode || ar.mojiEncode;
    ReadEnd = ar.Pos();
    MakeBlockTree();
    if (ok) {
        LastError.clear();
        LastErrorDetail.clear();
    }
    return ok;
}

bool TJwEntities::WholeFileOut(const JwString* FName, std::vector<uint8_t>* bytes, int32_t Ver,
                               const std::function<void(ArchiveWriter&)>& header, bool images) {
    auto write = [&](OutputSink& sink) {
        ArchiveWriter aw(sink);
        aw.fileOutOpt = FileOutOpt;
        header(aw);
        WriteEntityLists(aw, Ver);
        if (images) WriteBindImageSection(aw);
    };
    try {
        if (FName != nullptr) {
            AtomicFileSink sink(*FName);
            write(sink);
            sink.Commit();
        } else {
            MemorySink sink;
            write(sink);
            *bytes = sink.Take();
        }
        return true;
    } catch (const JwIOError& e) {
        LastError = e.what();
    } catch (const std::exception&) {
        LastError = kErrFileIO;
    }
    return false;
}

namespace {

// What sets the two formats apart around their headers.
template <class Model>
struct FileFormat;

template <>
struct FileFormat<TJwwData> {
    static constexpr std::string_view kSignature = kJwwSignature;

    static int32_t WrittenVersion(int32_t Ver) { return Ver; }
    // Bound images follow the block definitions from 7.00 on.
    static bool HasImages(int32_t ver) { return ver >= kVerBoundImages; }
    // The writer needs every header table at its full length, the extended
    // ones only for the versions that hold them.
    static bool TablesComplete(const TJwwData& d, int32_t Ver) {
        if (d.EntLgrp.size() < kLgrpCount || d.EntLay.size() < kLgrpCount * kLayPerGroup ||
            d.EntCol.size() < kColCount || d.EntLtp1.size() < kLtp1Count || d.EntLtp2.size() < kLtp2Count ||
            d.EntLtp3.size() < kLtp3Count || d.EntMoj.size() < kMojCount)
            return false;
        return Ver < kVerSxf || (d.EntColS.size() >= kColSCount && d.EntLtpS.size() >= kLtpSCount);
    }
    // The text-variable context of a drawing: its name, drawing time, memo
    // (and the memo's two lines) and print scale.
    static void PublishContext(const JwString& FName, const TEntJwwHeader& h) {
        JwFileName = FName;
        const int32_t minutes = (h.lnDrawTime / 60) % 60;
        JwString mm = IntStr(minutes);
        if (minutes >= 0 && minutes < 10) mm = u"0" + mm;
        JwDrawTime = IntStr(h.lnDrawTime / 3600) + u" : " + mm;
        const size_t crlf = h.strMemo.find(u"\r\n");
        if (crlf == JwString::npos) {
            JwMemo1 = h.strMemo;
            JwMemo2.clear();
            JwMemo = JwMemo1;
        } else {
            JwMemo1 = h.strMemo.substr(0, crlf);
            JwMemo2 = h.strMemo.substr(crlf + 2);
            JwMemo = JwMemo1 + u"\u3000" + JwMemo2;
        }
        JwPrtScale = h.dPrtBairitsu;
    }
};

template <>
struct FileFormat<TJwsData> {
    static constexpr std::string_view kSignature = kJwsSignature;

    static int32_t WrittenVersion(int32_t Ver) { return FigureVersion(Ver); }
    // A figure ends after its block definitions at every version.
    static bool HasImages(int32_t) { return false; }
    static bool TablesComplete(const TJwsData& d, int32_t) { return d.EntLgrp.size() >= kLgrpCount; }
    // A figure has no drawing time and no memo.
    static void PublishContext(const JwString& FName, const TEntJwsHeader&) {
        JwFileName = FName;
        JwDrawTime.clear();
        JwMemo1.clear();
        JwMemo2.clear();
        JwMemo.clear();
        JwPrtScale = 1.0;
    }
};

}  // namespace

class ModelFiles {
public:
    // ZMaxN < 0: FileIn; otherwise FilePrevIn's budget of entities.
    template <class Model>
    static bool BufferIn(Model& m, const uint8_t* data, size_t size, const JwString& FName, int32_t ZMaxN) {
        ArchiveReader ar(data, size);
        return ReaderIn(m, ar, FName, ZMaxN);
    }

    template <class Model>
    static bool ReaderIn(Model& m, ArchiveReader& ar, const JwString& FName, int32_t ZMaxN) {
        m.DataInit();
        if (!m.HeaderIn(ar)) {
            m.ReadEnd = ar.Pos();
            return false;
        }
        // A preview publishes nothing and lists no bound images.
        const bool preview = ZMaxN >= 0;
        if (!preview) FileFormat<Model>::PublishContext(FName, m.Enthd);
        return m.BodyIn(ar, ZMaxN, !preview && FileFormat<Model>::HasImages(m.Enthd.jwVer));
    }

    template <class Model>
    static bool FileIn(Model& m, const JwString& FName, int32_t ZMaxN) {
        return m.WholeFileIn(FName, [&](ArchiveReader& ar) { return ReaderIn(m, ar, FName, ZMaxN); });
    }

    // Into the file FName, or into bytes when FName is null.
    template <class Model>
    static bool FileOut(Model& m, const JwString* FName, std::vector<uint8_t>* bytes, int32_t Ver) {
        using Format = FileFormat<Model>;
        Ver = Format::WrittenVersion(Ver);
        m.LastError.clear();
        m.Enthd.jwID = JwString(Format::kSignature.begin(), Format::kSignature.end());
        if (!Format::TablesComplete(m, Ver)) {
            m.LastError = "header tables are incomplete";
            return false;
        }
        return m.WholeFileOut(FName, bytes, Ver, [&](ArchiveWriter& aw) { m.HeaderOut(aw, Ver); },
                              Format::HasImages(Ver));
    }
};

bool TJwwData::FileIn(const JwString& FName) { return ModelFiles::FileIn(*this, FName, -1); }

bool TJwwData::FilePrevIn(const JwString& FName, int32_t ZMaxN) {
    return ModelFiles::FileIn(*this, FName, std::max(ZMaxN, 0));
}

bool TJwwData::BufferIn(const uint8_t* data, size_t size, const JwString& FName, int32_t ZMaxN) {
    return ModelFiles::BufferIn(*this, data, size, FName, ZMaxN);
}

bool TJwwData::FileOut(const JwString& FName, int32_t Ver) {
    return ModelFiles::FileOut(*this, &FName, nullptr, Ver);
}

bool TJwwData::BufferOut(std::vector<uint8_t>& bytes, int32_t Ver) {
    return ModelFiles::FileOut(*this, nullptr, &bytes, Ver);
}

bool TJwsData::FileIn(const JwString& FName) { return ModelFiles::FileIn(*this, FName, -1); }

bool TJwsData::FilePrevIn(const JwString& FName, int32_t ZMaxN) {
    return ModelFiles::FileIn(*this, FName, std::max(ZMaxN, 0));
}

bool TJwsData::BufferIn(const uint8_t* data, size_t size, const JwString& FName, int32_t ZMaxN) {
    return ModelFiles::BufferIn(*this, data, size, FName, ZMaxN);
}

bool TJwsData::FileOut(const JwString& FName, int32_t Ver) {
    return ModelFiles::FileOut(*this, &FName, nullptr, Ver);
}

bool TJwsData::BufferOut(std::vector<uint8_t>& bytes, int32_t Ver) {
    return ModelFiles::FileOut(*this, nullptr, &bytes, Ver);
}

}  // namespace jw
